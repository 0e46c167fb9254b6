#include "platform/sim/sim_windows.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/sim/sim_processes.h"
#include "ports/hook_port.h"
#include "ports/main_window.h"
#include "ports/touch_messages.h"
#include "text/utf8.h"

namespace {

// Spacing of successive handles; any step that keeps the lowest bit free.
constexpr SimWindows::Handle handleStep = 0x10;
constexpr WParam keyQ = 0x51;
constexpr LParam ctrlHeld = 1;

// The lowest bit of a handle may be set by a caller (the real platform
// accepts such a handle to bring a window forward).
WindowHandle plain(WindowHandle window) { return window & ~WindowHandle{1}; }

}  // namespace

SimWindows::SimWindows() : ownContext_(std::make_unique<SimContext>()), context_(*ownContext_) {}

SimWindows::SimWindows(SimContext& context, SimProcesses* processes)
    : context_(context), processes_(processes) {}

SimWindows::~SimWindows() = default;

// --- foreign windows ---

SimWindows::Handle SimWindows::create(const std::wstring& className, const std::wstring& title) {
  return create(className, title, 0, false);
}

SimWindows::Handle SimWindows::create(const std::wstring& className, const std::wstring& title,
                                      std::uint32_t processId, bool visible) {
  Window window;
  window.className = className;
  window.title = title;
  window.processId = processId;
  window.visible = visible;
  return add(std::move(window));
}

bool SimWindows::destroy(Handle window) {
  if (lookup(window) == nullptr) return false;
  remove(window);
  refreshForeground();
  return true;
}

bool SimWindows::exists(Handle window) const { return lookup(window) != nullptr; }

bool SimWindows::isOwn(Handle window) const {
  const Window* w = lookup(window);
  return w != nullptr && w->own;
}

bool SimWindows::setVisible(Handle window, bool visible) {
  Window* w = lookup(window);
  if (w == nullptr) return false;
  w->visible = visible;
  return true;
}

std::wstring SimWindows::title(Handle window) const {
  const Window* w = lookup(window);
  return w == nullptr ? std::wstring() : w->title;
}

SimWindows::Handle SimWindows::find(const std::wstring& className,
                                    const std::wstring& title) const {
  for (const auto& [handle, w] : windows_) {
    if (w.className == className && w.title == title) return handle;
  }
  return 0;
}

bool SimWindows::post(Handle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) {
  Window* w = lookup(window);
  if (w == nullptr) {
    lastError_ = errorInvalidWindowHandle;
    return false;
  }
  if (SimFaults::take(context_.faults.post)) {
    lastError_ = errorNotEnoughQuota;
    return false;
  }
  if (w->own) {
    posted_.push_back(Posted{window, Message{message, wParam, lParam}});
  } else {
    deliverForeign(window, message, wParam, lParam);
  }
  return true;
}

std::vector<SimWindows::Message> SimWindows::messages(Handle window) const {
  const Window* w = lookup(window);
  if (w == nullptr) return {};
  if (!w->own) return w->queue;
  std::vector<Message> result;
  for (const Posted& p : posted_) {
    if (p.window == window) result.push_back(p.message);
  }
  return result;
}

std::vector<SimWindows::Message> SimWindows::takeMessages(Handle window) {
  Window* w = lookup(window);
  if (w == nullptr) return {};
  if (!w->own) return std::exchange(w->queue, {});
  std::vector<Message> result = messages(window);
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [&](const Posted& p) { return p.window == window; }),
                posted_.end());
  return result;
}

void SimWindows::setScreenSize(std::int32_t width, std::int32_t height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

bool SimWindows::hasTimer(Handle window, std::uintptr_t id) const {
  return timers_.count({window, id}) != 0;
}

// --- resources ---

std::wstring SimWindows::loadString(std::uint32_t id, std::size_t maxChars) {
  // The string table holds the main window's title and class name.
  if (id == MainWindow::titleStringId && maxChars != 0) {
    return std::wstring(MainWindow::title).substr(0, maxChars - 1);
  }
  if (id == MainWindow::classStringId && maxChars != 0) {
    return std::wstring(MainWindow::className).substr(0, maxChars - 1);
  }
  return std::wstring();
}

WindowPort::AcceleratorTable SimWindows::loadAccelerators(std::uint32_t id) {
  return id == MainWindow::acceleratorTableId ? acceleratorTable : 0;
}

// --- the program's own windows ---

bool SimWindows::registerClass(const WindowClassSpec& params, MessageHandler& handler) {
  if (SimFaults::take(context_.faults.registerClass)) return false;
  if (params.className.empty() || classes_.count(params.className) != 0) {
    lastError_ = errorClassAlreadyExists;
    return false;
  }
  classes_[params.className] = &handler;
  return true;
}

WindowHandle SimWindows::createWindow(const WindowSpec& params) {
  if (SimFaults::take(context_.faults.createWindow)) return 0;
  const auto cls = classes_.find(params.className);
  if (cls == classes_.end()) {
    lastError_ = errorCannotFindClass;
    return 0;
  }
  Window window;
  window.className = params.className;
  window.title = params.title;
  window.processId = ownProcessId_;
  window.visible = (params.style & visibleStyle) != 0;
  window.own = true;
  window.handler = cls->second;
  const Handle handle = add(std::move(window));
  // As on the platform, a create handler that answers -1 fails the creation.
  if (cls->second->handleMessage(handle, WindowMessage::create, 0, 0) == -1) {
    destroyWindow(handle);
    return 0;
  }
  return exists(handle) ? handle : 0;
}

bool SimWindows::destroyWindow(WindowHandle window) {
  Window* w = lookup(window);
  if (w == nullptr) {
    lastError_ = errorInvalidWindowHandle;
    return false;
  }
  if (!w->own) {
    lastError_ = errorAccessDenied;  // another application's window
    return false;
  }
  if (w->destroying) return true;  // from inside its own destroy message
  w->destroying = true;
  MessageHandler* handler = w->handler;
  if (handler != nullptr) handler->handleMessage(window, WindowMessage::destroy, 0, 0);
  remove(window);
  refreshForeground();
  return true;
}

LResult SimWindows::defaultProcedure(WindowHandle window, std::uint32_t message, WParam, LParam) {
  if (message == WindowMessage::close) destroyWindow(window);
  return 0;
}

void SimWindows::validate(WindowHandle) { ++validateCount_; }

// --- messages ---

bool SimWindows::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                             LParam lParam) {
  return post(window, message, wParam, lParam);
}

LResult SimWindows::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  Window* w = lookup(window);
  if (w == nullptr) {
    lastError_ = errorInvalidWindowHandle;
    return 0;
  }
  if (!w->own) {
    deliverForeign(window, message, wParam, lParam);
    return 0;
  }
  MessageHandler* handler = w->handler;
  return handler != nullptr ? handler->handleMessage(window, message, wParam, lParam)
                            : defaultProcedure(window, message, wParam, lParam);
}

void SimWindows::postQuitMessage(std::int32_t exitCode) {
  quitPosted_ = true;
  quitCode_ = exitCode;
}

std::int32_t SimWindows::getMessage(QueuedMessage& message) {
  SimClock& clock = context_.clock;
  while (true) {
    if (!posted_.empty()) {
      const Posted next = posted_.front();
      posted_.pop_front();
      message = QueuedMessage{next.window, next.message.message, next.message.wParam,
                              next.message.lParam};
      return 1;
    }
    if (quitPosted_) {
      quitPosted_ = false;
      message = QueuedMessage{0, WindowMessage::quit, static_cast<WParam>(quitCode_), 0};
      return 0;
    }
    // A timer at the same time as an event goes first.
    const auto timer = nextTimer();
    const std::optional<std::uint64_t> eventAt = clock.nextEventTime();
    if (timer != timers_.end()) {
      const std::uint64_t due = timer->second.dueMs;
      const bool fire = due <= clock.now() ||
                        (eventAt ? due <= *eventAt : due <= clock.lastEventMs() + settleMs_);
      if (fire) {
        clock.advanceTo(due);
        timer->second.dueMs = clock.now() + timer->second.periodMs;
        message = QueuedMessage{timer->first.first, WindowMessage::timer, timer->first.second, 0};
        return 1;
      }
    }
    if (eventAt) {
      clock.runNextEvent();
      continue;
    }
    context_.record("end of scenario");
    message = QueuedMessage{0, WindowMessage::quit, 0, 0};
    return 0;
  }
}

bool SimWindows::translateAccelerator(WindowHandle window, AcceleratorTable table,
                                      const QueuedMessage& message) {
  if (table != acceleratorTable || message.message != WindowMessage::keyDown ||
      message.wParam != keyQ || message.lParam != ctrlHeld) {
    return false;
  }
  const WindowHandle target = window != 0 ? window : message.window;
  if (!exists(target)) return false;
  sendMessage(target, WindowMessage::command, (WParam{1} << 16) | MainWindow::closeCommandId, 0);
  return true;
}

LResult SimWindows::dispatchMessage(const QueuedMessage& message) {
  Window* w = lookup(message.window);
  if (w == nullptr || !w->own) return 0;
  return sendMessage(message.window, message.message, message.wParam, message.lParam);
}

std::uintptr_t SimWindows::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) {
  if (SimFaults::take(context_.faults.setTimer)) return 0;
  if (id == 0) return 0;  // 0 could not be told from failure
  if (lookup(window) == nullptr) {
    lastError_ = errorInvalidWindowHandle;
    return 0;
  }
  const std::uint32_t period = std::max(ms, minimumTimerMs);
  // Setting an existing timer again restarts it with the new period.
  timers_[{window, id}] = Timer{period, context_.clock.mainNow() + period, timerOrder_++};
  return id;
}

bool SimWindows::killTimer(WindowHandle window, std::uintptr_t id) {
  if (SimFaults::take(context_.faults.killTimer)) return false;
  return timers_.erase({window, id}) != 0;
}

// --- all top-level windows ---

WindowHandle SimWindows::findWindow(const std::wstring& className, const std::wstring& title) {
  if (SimFaults::take(context_.faults.findWindow)) return 0;
  return find(className, title);
}

WindowHandle SimWindows::findWindowByTitle(const std::wstring& title) {
  if (SimFaults::take(context_.faults.findWindow)) return 0;
  for (const auto& [handle, w] : windows_) {
    if (w.title == title) return handle;
  }
  return 0;
}

bool SimWindows::setForegroundWindow(WindowHandle window) {
  window = plain(window);
  if (lookup(window) == nullptr) return false;
  bringToFront(window);
  return true;
}

bool SimWindows::activateWindow(WindowHandle window) {
  window = plain(window);
  if (lookup(window) == nullptr) return false;
  bringToFront(window);
  context_.record("activate " + quotedTitle(window));
  return true;
}

bool SimWindows::windowProcessId(WindowHandle window, std::uint32_t& processId) {
  const Window* w = lookup(window);
  if (w == nullptr) return false;
  processId = w->processId;
  return true;
}

bool SimWindows::isWindowVisible(WindowHandle window) {
  const Window* w = lookup(window);
  return w != nullptr && w->visible;
}

std::wstring SimWindows::windowText(WindowHandle window, std::size_t maxChars) {
  const Window* w = lookup(window);
  if (w == nullptr || maxChars == 0) return std::wstring();
  return w->title.substr(0, maxChars - 1);
}

bool SimWindows::enumerateWindows(const std::function<bool(WindowHandle)>& visit) {
  // A copy: the visitor may close windows.
  std::vector<Handle> handles;
  for (const auto& entry : windows_) handles.push_back(entry.first);
  for (const Handle handle : handles) {
    if (exists(handle) && !visit(handle)) break;
  }
  return true;
}

// --- internals ---

SimWindows::Handle SimWindows::add(Window window) {
  const Handle handle = nextHandle_;
  nextHandle_ += handleStep;
  windows_.emplace(handle, std::move(window));
  zOrder_.insert(zOrder_.begin(), handle);
  return handle;
}

void SimWindows::deliverForeign(Handle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  if (message == WindowMessage::close) {
    context_.record("close request to " + quotedTitle(window));
    closeApplication(window);
    return;
  }
  char number[16];
  std::snprintf(number, sizeof number, "0x%04x", message);
  const bool touch = message == WM_APP_TOUCH || message == WM_APP_TOUCH_END;
  context_.record(touch ? LogCategory::touch : LogCategory::event,
                  std::string("message ") + number + " to " + quotedTitle(window));
  if (Window* w = lookup(window)) w->queue.push_back(Message{message, wParam, lParam});
}

void SimWindows::closeApplication(Handle window) {
  const Window* closed = lookup(window);
  if (closed == nullptr) return;
  const std::uint32_t processId = closed->processId;
  context_.record(quotedTitle(window) + " closes");
  // Every window of its process goes with it; a window of no process alone.
  std::vector<Handle> closing;
  for (const auto& [handle, w] : windows_) {
    if (handle == window || (processId != 0 && !w.own && w.processId == processId)) {
      closing.push_back(handle);
    }
  }
  for (const Handle handle : closing) remove(handle);
  if (processId != 0 && processes_ != nullptr) processes_->endProcess(processId);
  refreshForeground();
}

void SimWindows::remove(Handle window) {
  windows_.erase(window);
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), window), zOrder_.end());
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [&](const Posted& p) { return p.window == window; }),
                posted_.end());
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == window ? timers_.erase(it) : std::next(it);
  }
}

void SimWindows::bringToFront(Handle window) {
  zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), window), zOrder_.end());
  zOrder_.insert(zOrder_.begin(), window);
  if (foreground_ == window) return;
  foreground_ = window;
  logForeground();
}

void SimWindows::refreshForeground() {
  if (foreground_ == 0 || exists(foreground_)) return;
  foreground_ = 0;
  for (const Handle handle : zOrder_) {
    const Window* w = lookup(handle);
    if (w != nullptr && w->visible) {
      foreground_ = handle;
      break;
    }
  }
  logForeground();
}

void SimWindows::logForeground() {
  context_.record(foreground_ == 0 ? std::string("foreground none")
                                   : "foreground " + quotedTitle(foreground_));
}

std::string SimWindows::quotedTitle(Handle window) const {
  return "\"" + Text::toUtf8(title(window)) + "\"";
}

const SimWindows::Window* SimWindows::lookup(Handle window) const {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindows::Window* SimWindows::lookup(Handle window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

std::map<SimWindows::TimerKey, SimWindows::Timer>::iterator SimWindows::nextTimer() {
  auto best = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (best == timers_.end() || it->second.dueMs < best->second.dueMs ||
        (it->second.dueMs == best->second.dueMs && it->second.order < best->second.order)) {
      best = it;
    }
  }
  return best;
}
