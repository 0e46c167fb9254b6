// The smaller ports of the Linux program: time, debug output, LEDs,
// processes and threads, the shell, and the hook's port for the touch
// driver's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/linux/app/file_registry.h"
#include "platform/linux/app/linux_windows.h"
#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"
#include "ports/clock_port.h"
#include "ports/debug_port.h"
#include "ports/hook_port.h"
#include "ports/led_port.h"
#include "ports/process_port.h"
#include "ports/shell_port.h"

// CLOCK_MONOTONIC; sleeps resume after signals.
class LinuxClock final : public ClockPort {
 public:
  void sleep(std::uint32_t ms) override;
  std::uint64_t nowMs() override;
};

// Detail lines of the core (the game-pad's key lines) with --verbose only.
class LinuxDebug final : public DebugPort {
 public:
  explicit LinuxDebug(Log& log) : log_(log) {}
  void debugOutput(const std::wstring& text) override;

 private:
  Log& log_;
};

// No notification LEDs and no vibrator: the count is 0, so a vibration
// gives no pulse.
class LinuxLeds final : public LedPort {
 public:
  bool ledCount(std::uint32_t& count) override {
    count = 0;
    return true;
  }
  bool setLed(std::uint32_t, std::int32_t) override { return false; }
};

// Processes from /proc: the executable's name and path come from
// /proc/PID/exe; a process whose link cannot be read (another user's, a
// kernel thread) has no module path, and its name falls back to
// /proc/PID/comm. A path longer than the caller's buffer is unreadable
// rather than cut (a cut path would name another program).
class LinuxProcesses final : public ProcessPort {
 public:
  explicit LinuxProcesses(std::string procRoot = "/proc") : procRoot_(std::move(procRoot)) {}
  ~LinuxProcesses() override;

  bool forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) override;
  bool moduleFileName(std::uint32_t processId, std::size_t maxChars, std::wstring& path) override;
  ThreadHandle createThread(std::function<void()> routine) override;
  // Threads keep the program's priority (raising it needs privileges the
  // program does not ask for); known handles report success.
  bool setThreadPriority(ThreadHandle thread, std::int32_t level) override;
  void closeThread(ThreadHandle thread) override;

 private:
  std::string procRoot_;
  std::mutex mutex_;
  std::map<ThreadHandle, std::thread> threads_;
  ThreadHandle nextThread_ = 1;
};

// The shell: notifications from the settings files, the on-screen keyboard
// from the desktop, and programs started with posix_spawn.
//
// execute() runs the file (searched in PATH when it has no slash) with the
// parameters split into arguments as the phone's C runtime splits a command
// line (splitArguments). The program gets default signal handling and no
// blocked signals, /dev/null as input and a session of its own, so ending
// ZEM does not end it. Only the verb "open" (or none) is known.
class LinuxShell final : public ShellPort {
 public:
  LinuxShell(FileRegistry& registry, WindowPort& windows, Desktop& desktop, Log& log)
      : registry_(registry), windows_(windows), desktop_(desktop), log_(log) {}

  void initialize() override {}
  void handleActivate(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}
  void handleSettingChange(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}
  bool notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                            const std::wstring& valueName, WindowHandle window,
                            std::uint32_t message, std::uint32_t userData) override;
  // Fails unless the record's size field is 48, as the phone's does.
  bool querySip(SipInfo& info) override;
  bool execute(const ShellExecuteRequest& request) override;

  // Whitespace separates arguments; double quotes group; n backslashes
  // before a quote give n/2 backslashes and, when n is odd, a literal quote;
  // other backslashes are literal; "" inside quotes is a literal quote.
  static std::vector<std::wstring> splitArguments(const std::wstring& parameters);
  // The settings keep program paths as the phone does, lower-cased (learn
  // mode writes them so, and lists compare them so). Linux names are
  // case-sensitive: a path that does not exist as written is looked up one
  // folder at a time, ignoring case, where exactly one entry matches.
  // Otherwise the path comes back as given.
  static std::string resolveIgnoringCase(const std::string& path);

 private:
  FileRegistry& registry_;
  WindowPort& windows_;
  Desktop& desktop_;
  Log& log_;
};

// The hook's port on the touch driver's thread: the main window from the
// window port, posts into its lock-free queue. lastError() gives the
// platform's codes: errorInvalidWindowHandle for a handle that is not the
// program's window, errorNotEnoughQuota when the queue is full.
class LinuxHookPort final : public HookPort {
 public:
  LinuxHookPort(LinuxWindowPort& windows, Log& log) : windows_(windows), log_(log) {}

  WindowHandle findWindow(const wchar_t* className, const wchar_t* title) override;
  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  std::uint32_t lastError() override;
  void debugOutput(const wchar_t* text) override;

 private:
  LinuxWindowPort& windows_;
  Log& log_;
};
