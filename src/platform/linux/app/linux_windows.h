// The window port of the Linux program. Its first half is the program's own
// hidden windows and its message loop, run on epoll:
//
//   - posted messages: a queue under a lock for the program's thread and
//     the shell, and a bounded lock-free queue (postFromAnyThread) for the
//     touch driver's thread; an eventfd wakes the loop;
//   - timers: one timerfd each; like the platform's timers they produce a
//     timer message only when the queue is otherwise empty, at most one
//     pending per timer;
//   - signals through a signalfd: SIGTERM and SIGINT send command 40000
//     (the Ctrl+Q of the accelerator table) to the main window, so the
//     program leaves by its usual path and writes its exit values; SIGCHLD
//     reaps the programs it started;
//   - further descriptors (the settings' inotify, the desktop's events)
//     with a callback run inside getMessage on the loop's thread.
//
// The second half, the other applications' windows, goes to the Desktop.
// The program's own windows have handles from firstOwnWindow up, a range no
// desktop hands out (X11 ids have 29 bits), so each call knows its side.
//
// Threads: everything runs on the thread that calls open() and getMessage(),
// except postFromAnyThread, findOwnWindow and isOwnWindow. open() blocks the
// three signals in the calling thread; call it before starting threads, so
// that they inherit the mask and the signals reach the signalfd.
#pragma once

#include <signal.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/linux/app/bounded_queue.h"
#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"
#include "ports/main_window.h"
#include "ports/window_port.h"

class LinuxWindowPort final : public WindowPort {
 public:
  static constexpr WindowHandle firstOwnWindow = WindowHandle{1} << 32;
  static constexpr std::size_t driverQueueSize = 4096;  // messages
  static constexpr std::uint32_t minimumTimerMs = 10;   // as the platform's timers

  LinuxWindowPort(Desktop& desktop, Log& log, std::int32_t screenWidth, std::int32_t screenHeight);
  ~LinuxWindowPort() override;

  LinuxWindowPort(const LinuxWindowPort&) = delete;
  LinuxWindowPort& operator=(const LinuxWindowPort&) = delete;

  // Sets up epoll, the eventfd and the signalfd and watches the desktop's
  // descriptor. False (logged) when the loop cannot run.
  bool open();
  // Calls `onReadable` on the loop's thread whenever `fd` is readable.
  bool watch(int fd, std::function<void()> onReadable);

  // Any thread; never blocks, allocates or locks. False when the queue is
  // full or the handle is not one of the program's windows.
  bool postFromAnyThread(WindowHandle window, std::uint32_t message, WParam wParam,
                         LParam lParam) noexcept;
  // Any thread.
  WindowHandle findOwnWindow(const std::wstring& className, const std::wstring& title) const;
  static bool isOwnHandle(WindowHandle window) { return window >= firstOwnWindow; }

  // The class of the window that gets the close command on SIGTERM/SIGINT.
  void setCloseTargetClass(std::wstring className) { closeClass_ = std::move(className); }

  std::wstring loadString(std::uint32_t id, std::size_t maxChars) override;
  AcceleratorTable loadAccelerators(std::uint32_t id) override;

  bool registerClass(const WindowClassSpec& params, MessageHandler& handler) override;
  WindowHandle createWindow(const WindowSpec& params) override;
  bool destroyWindow(WindowHandle window) override;
  LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                           LParam lParam) override;
  void validate(WindowHandle) override {}
  std::int32_t screenWidth() override { return screenWidth_; }
  std::int32_t screenHeight() override { return screenHeight_; }

  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  LResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                      LParam lParam) override;
  void postQuitMessage(std::int32_t exitCode) override;
  std::int32_t getMessage(QueuedMessage& message) override;
  bool translateAccelerator(WindowHandle window, AcceleratorTable table,
                            const QueuedMessage& message) override;
  void translateMessage(const QueuedMessage&) override {}
  LResult dispatchMessage(const QueuedMessage& message) override;
  std::uintptr_t setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) override;
  bool killTimer(WindowHandle window, std::uintptr_t id) override;

  WindowHandle findWindow(const std::wstring& className, const std::wstring& title) override;
  WindowHandle findWindowByTitle(const std::wstring& title) override;
  WindowHandle foregroundWindow() override { return desktop_.foregroundWindow(); }
  bool setForegroundWindow(WindowHandle window) override;
  bool activateWindow(WindowHandle window) override;
  bool windowProcessId(WindowHandle window, std::uint32_t& processId) override;
  bool isWindowVisible(WindowHandle window) override;
  std::wstring windowText(WindowHandle window, std::size_t maxChars) override;
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override {
    return desktop_.enumerateWindows(visit);
  }

 private:
  struct OwnWindow {
    std::wstring className;
    std::wstring title;
    MessageHandler* handler = nullptr;
  };
  struct Timer {
    int fd = -1;
    std::uint64_t token = 0;
    bool due = false;
  };
  using TimerKey = std::pair<WindowHandle, std::uintptr_t>;

  MessageHandler* handlerOf(WindowHandle window) const;
  // Runs the callbacks of ready descriptors; waits up to timeoutMs (-1: forever).
  void pump(int timeoutMs);
  bool takeMessage(QueuedMessage& message);
  std::uint64_t addWatch(int fd, std::function<void()> onReadable);
  void removeWatch(int fd, std::uint64_t token);
  void onSignal();
  void wake() const noexcept;

  Desktop& desktop_;
  Log& log_;
  std::int32_t screenWidth_;
  std::int32_t screenHeight_;
  std::wstring closeClass_ = MainWindow::className;

  int epoll_ = -1;
  int wake_ = -1;
  int signals_ = -1;
  sigset_t oldMask_{};
  bool maskChanged_ = false;

  mutable std::mutex windowsMutex_;
  std::map<std::wstring, MessageHandler*> classes_;
  std::map<WindowHandle, OwnWindow> windows_;
  WindowHandle nextWindow_ = firstOwnWindow;

  std::mutex postedMutex_;
  std::deque<QueuedMessage> posted_;
  BoundedQueue<QueuedMessage, driverQueueSize> fromDriver_;
  bool quitPending_ = false;
  std::int32_t quitCode_ = 0;
  std::map<TimerKey, Timer> timers_;
  std::map<std::uint64_t, std::function<void()>> watches_;
  std::uint64_t nextToken_ = 1;
};
