// Acts on the other running applications when a gesture asks for it: starts
// a program, closes the application in front, brings the next or previous
// application to the front, sends the "back" key the way the front
// application expects, and tells which application is in front. Holds the
// four application lists of the settings, lower case.
//
// An application name is the lower-cased full module path of the process
// owning a window (NameForm::fullPath), or only the part after the last
// backslash (NameForm::fileName). A path that cannot be read whole (up to 32,767 characters) is
// unreadable: it gives an empty name, which matches no list. Nothing about
// other processes is kept between actions.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "ports/input_port.h"
#include "ports/process_port.h"
#include "ports/shell_port.h"
#include "ports/window_port.h"

// How an application is named: see the top of this file.
enum class NameForm { fullPath, fileName };

class TaskManager {
 public:
  using List = std::vector<std::wstring>;

  TaskManager(WindowPort& windows, ProcessPort& processes, InputPort& input, ShellPort& shell);

  void setBlackListClose(const List& list);
  void setBlackListAll(const List& list);
  void setBlackListSwitch(const List& list);
  void setWhiteListBack(const List& list);
  const List& blackListClose() const;
  const List& blackListAll() const;
  const List& blackListSwitch() const;
  const List& whiteListBack() const;

  // Shell "open" of the path with the arguments; true when it started. An
  // empty path names no program: false, the shell is not asked.
  bool launch(const std::wstring& path, const std::wstring& arguments);
  // Posts the close message to the front window unless its application is
  // in the close black list or its path cannot be read (it might be a listed
  // one). False when nothing was asked to close.
  bool closeForegroundApp();
  // Always true. Nothing is switched when no application is in front or it
  // is not among the running processes.
  bool switchToNextApp();
  bool switchToPreviousApp();
  bool sendBack();

  // Empty when there is no window, no owner, or the path cannot be read; an
  // empty name matches no entry of the lists above.
  std::wstring foregroundAppName(NameForm form);
  std::wstring windowAppName(WindowHandle window, NameForm form);
  bool isForegroundAppBlocked();
  static bool listContains(const List& list, const std::wstring& name);

  // Appends the processes of a fresh snapshot, at most `max`; the number
  // added.
  std::size_t collectProcesses(std::vector<ProcessInfo>& list,
                               std::size_t max = std::numeric_limits<std::size_t>::max());
  void attachWindows(std::vector<ProcessInfo>& list);

 private:
  // Buffer sizes of the platform calls, in characters including the
  // terminator.
  static constexpr std::size_t modulePathChars = 32768;  // the longest path the system allows
  static constexpr std::size_t windowTextChars = 64;

  // Brings the next eligible application after (forward) or before the one
  // in front to the front.
  void switchApp(bool forward);
  // The name is listed; an empty (unreadable) name is never listed.
  static bool nameListed(const List& list, const std::wstring& name);

  WindowPort& windows_;
  ProcessPort& processes_;
  InputPort& input_;
  ShellPort& shell_;
  List blackListClose_;   // full paths: never closed
  List blackListAll_;     // full paths: gestures are ignored in front of these
  List blackListSwitch_;  // bare executable names: never switched to
  List whiteListBack_;    // full paths: get Backspace as the back key
};
