// The window port over the Windows API (user32).
//
// Every class registered here gets one and the same window procedure, which
// finds the class's MessageHandler by the class atom of the window. It cannot
// go by data stored on the window: the first messages, the create message
// among them, arrive inside CreateWindowExW, before anything could be stored
// there. A window of a class registered elsewhere never reaches a handler.
//
// A handler's exception never unwinds through the system's frames (some of
// them lie behind a kernel callback, which swallows it): the window procedure
// keeps it and answers the message as the default procedure would (the
// create messages with failure, so the creation fails), and the port call
// that led there (dispatch, send, get, create, destroy) throws it again once
// the system call has returned.
//
// Window handles are the HWND values; the lowest bit that a caller may set on
// a handle passed to setForegroundWindow or activateWindow is cleared, since
// desktop Windows refuses such a handle. Timers belong to a window and are
// identified by a non-zero id: a timer of no window, or id 0, is refused
// (the result could not be told from failure, nor the timer be killed by it).
//
// Resources (strings, accelerators, icons) and classes come from the module
// instance given (the program's own by default). Destroying the adapter
// unregisters its classes; their windows' messages then get the default
// procedure.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "ports/window_port.h"

class Win32Windows final : public WindowPort {
 public:
  explicit Win32Windows(HINSTANCE instance = GetModuleHandleW(nullptr)) : instance_(instance) {}
  ~Win32Windows() override;

  Win32Windows(const Win32Windows&) = delete;
  Win32Windows& operator=(const Win32Windows&) = delete;

  // The module whose resources and classes the later calls use.
  void setInstance(HINSTANCE instance) { instance_ = instance; }

  std::wstring loadString(std::uint32_t id, std::size_t maxChars) override;
  AcceleratorTable loadAccelerators(std::uint32_t id) override;

  bool registerClass(const WindowClassSpec& params, MessageHandler& handler) override;
  WindowHandle createWindow(const WindowSpec& params) override;
  bool destroyWindow(WindowHandle window) override;
  LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                           LParam lParam) override;
  void validate(WindowHandle window) override;
  std::int32_t screenWidth() override;
  std::int32_t screenHeight() override;

  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                      LParam lParam) override;
  void postQuitMessage(std::int32_t exitCode) override;
  std::int32_t getMessage(QueuedMessage& message) override;
  bool translateAccelerator(WindowHandle window, AcceleratorTable table,
                            const QueuedMessage& message) override;
  void translateMessage(const QueuedMessage& message) override;
  LResult dispatchMessage(const QueuedMessage& message) override;
  std::uintptr_t setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) override;
  bool killTimer(WindowHandle window, std::uintptr_t id) override;

  WindowHandle findWindow(const std::wstring& className, const std::wstring& title) override;
  WindowHandle findWindowByTitle(const std::wstring& title) override;
  WindowHandle foregroundWindow() override;
  bool setForegroundWindow(WindowHandle window) override;
  // Restores a minimised window, raises it and makes it the foreground
  // window, also when another process holds the foreground. Never waits for
  // the window's thread: a hung program does not stop the caller.
  bool activateWindow(WindowHandle window) override;
  bool windowProcessId(WindowHandle window, std::uint32_t& processId) override;
  bool isWindowVisible(WindowHandle window) override;
  std::wstring windowText(WindowHandle window, std::size_t maxChars) override;
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override;

 private:
  HINSTANCE instance_;
  std::vector<std::pair<ATOM, HINSTANCE>> classes_;  // registered here
};
