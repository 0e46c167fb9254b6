// The simulated phone's top-level windows and the program's message loop.
//
// Every window has a handle, a class name, a title (its text), an owner
// process id and a visibility. Two kinds exist:
//   - the program's own windows, made by createWindow() of a class that
//     registerClass() registered. Their messages go to that class's
//     MessageHandler; messages posted to them wait in one queue in posting
//     order until getMessage() hands them out;
//   - foreign windows (other applications, made by create() or by a launch).
//     A close message posted or sent to one is a close request: the
//     application closes at once (every window of its process goes, and the
//     process ends). Any other message is logged and kept in the window's own
//     queue (messages(), takeMessages()).
//
// Posting to a window that does not exist (never created, or destroyed) fails
// with ERROR_INVALID_WINDOW_HANDLE as the calling thread's last error; an
// injected post fault fails with ERROR_NOT_ENOUGH_QUOTA (a full queue); a
// successful post leaves the last error as it was, as on the real platform.
// Handles count up in steps of 0x10 and are never reused, so a destroyed
// window's handle stays invalid and the lowest bit of a handle is free.
//
// Enumeration and find follow creation order. The foreground window is
// whatever was last brought to the front; the windows also keep a z-order
// (a new window goes on top, bringing one to the front raises it) that
// decides which visible window comes to the front when the front one goes.
//
// getMessage() serves the program's thread, in this order: posted messages;
// the quit message once postQuitMessage() was called; a timer that is due;
// otherwise it runs the next scheduled external event (advancing the clock)
// or advances the clock to the next timer, whichever comes first (a timer
// first at equal times). When nothing is posted, no event is scheduled and no
// timer falls due within settleMs() of the last external event, the scenario
// is over: it logs "end of scenario" and returns 0 with exit code 0. (That
// bound keeps a periodic timer that nobody kills from running forever.)
//
// The program's windows: a create handler that answers -1 fails the
// creation; destroyWindow() refuses another application's window; a window
// that goes takes its queued messages and timers with it. Timers: id 0 is
// refused (its result could not be told from failure), periods below 10 ms
// are raised to 10 ms as the platform does, and setting a timer again
// restarts it.
//
// Accelerator table 2 holds one entry: a key-down message of 'Q' (0x51) with
// lParam 1, the simulated phone's way of saying that Ctrl is held, becomes
// the command message with command 40000 (and 1 in the high word, as from an
// accelerator), sent to the message's window.
//
// Single-threaded, like the rest of the simulated phone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_context.h"
#include "ports/window_port.h"

class SimProcesses;

class SimWindows : public WindowPort {
 public:
  using Handle = WindowHandle;  // 0 is never a window

  static constexpr std::uint32_t errorAccessDenied = 5;
  static constexpr std::uint32_t errorCannotFindClass = 1407;
  static constexpr std::uint32_t errorClassAlreadyExists = 1410;

  static constexpr AcceleratorTable acceleratorTable = 0xACC2;  // what loadAccelerators(2) gives
  static constexpr std::uint32_t visibleStyle = 0x10000000;
  static constexpr std::uint32_t minimumTimerMs = 10;  // shorter periods are raised to it

  struct Message {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;

    friend bool operator==(const Message& a, const Message& b) {
      return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
    }
  };

  // Stand-alone, with a clock, log and fault counters of its own and no
  // processes.
  SimWindows();
  // Part of a phone: shares its context; closing an application ends its
  // process in `processes` (which may be null).
  SimWindows(SimContext& context, SimProcesses* processes);
  ~SimWindows() override;

  SimWindows(const SimWindows&) = delete;
  SimWindows& operator=(const SimWindows&) = delete;

  // --- foreign windows, for tests and scenarios ---
  // An invisible window of no process.
  Handle create(const std::wstring& className, const std::wstring& title);
  Handle create(const std::wstring& className, const std::wstring& title, std::uint32_t processId,
                bool visible);
  // Removes any window at once, without a destroy message. False when there
  // is no such window.
  bool destroy(Handle window);
  bool exists(Handle window) const;
  bool isOwn(Handle window) const;
  bool setVisible(Handle window, bool visible);
  std::wstring title(Handle window) const;
  std::size_t windowCount() const { return windows_.size(); }

  // The first window created of those with this class name and title, or 0.
  // Never fails (the hook library's lookup).
  Handle find(const std::wstring& className, const std::wstring& title) const;

  bool post(Handle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  // The messages posted to a window and not yet taken, oldest first; empty
  // for a window that does not exist.
  std::vector<Message> messages(Handle window) const;
  std::vector<Message> takeMessages(Handle window);

  std::uint32_t lastError() const { return lastError_; }
  void setLastError(std::uint32_t error) { lastError_ = error; }

  // --- state for tests and the phone ---
  void setScreenSize(std::int32_t width, std::int32_t height);
  // The process id of the program's own windows.
  void setOwnProcessId(std::uint32_t processId) { ownProcessId_ = processId; }
  bool hasTimer(Handle window, std::uintptr_t id) const;
  std::size_t timerCount() const { return timers_.size(); }
  // Messages waiting for getMessage().
  std::size_t queuedCount() const { return posted_.size(); }
  void setSettleMs(std::uint64_t ms) { settleMs_ = ms; }
  std::uint64_t settleMs() const { return settleMs_; }
  std::size_t validateCount() const { return validateCount_; }

  // --- WindowPort ---
  std::wstring loadString(std::uint32_t id, std::size_t maxChars) override;
  AcceleratorTable loadAccelerators(std::uint32_t id) override;
  bool registerClass(const WindowClassSpec& params, MessageHandler& handler) override;
  WindowHandle createWindow(const WindowSpec& params) override;
  bool destroyWindow(WindowHandle window) override;
  LResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam,
                           LParam lParam) override;
  void validate(WindowHandle window) override;
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
  WindowHandle foregroundWindow() override { return foreground_; }
  bool setForegroundWindow(WindowHandle window) override;
  bool activateWindow(WindowHandle window) override;
  bool windowProcessId(WindowHandle window, std::uint32_t& processId) override;
  bool isWindowVisible(WindowHandle window) override;
  std::wstring windowText(WindowHandle window, std::size_t maxChars) override;
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override;

 private:
  struct Window {
    std::wstring className;
    std::wstring title;
    std::uint32_t processId = 0;
    bool visible = false;
    bool own = false;
    bool destroying = false;
    MessageHandler* handler = nullptr;  // own windows only
    std::vector<Message> queue;         // foreign windows only
  };
  struct Posted {
    Handle window = 0;
    Message message;
  };
  struct Timer {
    std::uint32_t periodMs = 0;
    std::uint64_t dueMs = 0;
    std::uint64_t order = 0;  // setting order, for timers due together
  };
  using TimerKey = std::pair<Handle, std::uintptr_t>;

  Handle add(Window window);
  // A message reaching a foreign window: logged, or a close request.
  void deliverForeign(Handle window, std::uint32_t message, WParam wParam, LParam lParam);
  void closeApplication(Handle window);
  // Forgets the window, its timers and its queued messages.
  void remove(Handle window);
  void bringToFront(Handle window);
  // After windows went: the next visible window in z-order comes to the front.
  void refreshForeground();
  void logForeground();
  std::string quotedTitle(Handle window) const;
  const Window* lookup(Handle window) const;
  Window* lookup(Handle window);
  std::map<TimerKey, Timer>::iterator nextTimer();

  std::unique_ptr<SimContext> ownContext_;  // stand-alone only
  SimContext& context_;
  SimProcesses* processes_ = nullptr;

  std::map<Handle, Window> windows_;  // live windows; handle order is creation order
  std::vector<Handle> zOrder_;        // front first
  std::deque<Posted> posted_;         // for the program's own windows
  std::map<TimerKey, Timer> timers_;
  std::map<std::wstring, MessageHandler*> classes_;
  Handle nextHandle_ = 0x10010;
  Handle foreground_ = 0;
  std::uint32_t lastError_ = 0;
  std::uint32_t ownProcessId_ = 0;
  bool quitPosted_ = false;
  std::int32_t quitCode_ = 0;
  std::uint64_t timerOrder_ = 0;
  std::uint64_t settleMs_ = 60000;
  std::int32_t screenWidth_ = 480;
  std::int32_t screenHeight_ = 800;
  std::size_t validateCount_ = 0;
};
