#include "platform/linux/app/linux_windows.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "ports/main_window.h"

namespace {

constexpr int maxEvents = 16;

std::string errorText() { return std::strerror(errno); }

sigset_t loopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGCHLD);
  return set;
}

}  // namespace

LinuxWindowPort::LinuxWindowPort(Desktop& desktop, Log& log, std::int32_t screenWidth,
                                 std::int32_t screenHeight)
    : desktop_(desktop), log_(log), screenWidth_(screenWidth), screenHeight_(screenHeight) {}

LinuxWindowPort::~LinuxWindowPort() {
  for (auto& [key, timer] : timers_) close(timer.fd);
  if (signals_ >= 0) close(signals_);
  if (wake_ >= 0) close(wake_);
  if (epoll_ >= 0) close(epoll_);
  if (maskChanged_) pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
}

bool LinuxWindowPort::open() {
  epoll_ = epoll_create1(EPOLL_CLOEXEC);
  wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (epoll_ < 0 || wake_ < 0) {
    log_.info("message loop: " + errorText());
    return false;
  }
  addWatch(wake_, [this] {
    std::uint64_t count = 0;
    while (read(wake_, &count, sizeof count) > 0) {
    }
  });
  const sigset_t set = loopSignals();
  if (pthread_sigmask(SIG_BLOCK, &set, &oldMask_) == 0) maskChanged_ = true;
  signals_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signals_ < 0) {
    log_.info("signalfd: " + errorText() + ": SIGTERM ends the program without its exit steps");
  } else {
    addWatch(signals_, [this] { onSignal(); });
  }
  if (desktop_.eventFd() >= 0) addWatch(desktop_.eventFd(), [this] { desktop_.processEvents(); });
  return true;
}

bool LinuxWindowPort::watch(int fd, std::function<void()> onReadable) {
  return addWatch(fd, std::move(onReadable)) != 0;
}

std::uint64_t LinuxWindowPort::addWatch(int fd, std::function<void()> onReadable) {
  if (epoll_ < 0 || fd < 0) return 0;
  const std::uint64_t token = nextToken_++;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = token;
  if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
    log_.info("epoll: " + errorText());
    return 0;
  }
  watches_[token] = std::move(onReadable);
  return token;
}

void LinuxWindowPort::removeWatch(int fd, std::uint64_t token) {
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  watches_.erase(token);
}

void LinuxWindowPort::onSignal() {
  signalfd_siginfo info{};
  while (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    if (info.ssi_signo == SIGCHLD) {
      // The programs started for bindings: no zombies.
      while (waitpid(-1, nullptr, WNOHANG) > 0) {
      }
      continue;
    }
    log_.info(std::string(strsignal(static_cast<int>(info.ssi_signo))) + ": closing");
    const WindowHandle target = [this] {
      const std::lock_guard<std::mutex> lock(windowsMutex_);
      for (const auto& [handle, window] : windows_) {
        if (window.className == closeClass_) return handle;
      }
      return WindowHandle{0};
    }();
    if (target == 0) {
      postQuitMessage(0);
    } else {
      postMessage(target, WindowMessage::command, MainWindow::closeCommandId, 0);
    }
  }
}

void LinuxWindowPort::wake() const noexcept {
  if (wake_ < 0) return;
  const std::uint64_t one = 1;
  // A full counter (never in practice) still leaves the loop awake.
  [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
}

// --- resources ---

std::wstring LinuxWindowPort::loadString(std::uint32_t id, std::size_t maxChars) {
  // The string table holds the main window's title and class name.
  if (id == MainWindow::titleStringId && maxChars != 0) {
    return std::wstring(MainWindow::title).substr(0, maxChars - 1);
  }
  if (id == MainWindow::classStringId && maxChars != 0) {
    return std::wstring(MainWindow::className).substr(0, maxChars - 1);
  }
  return std::wstring();
}

WindowPort::AcceleratorTable LinuxWindowPort::loadAccelerators(std::uint32_t id) {
  return id == MainWindow::acceleratorTableId ? MainWindow::acceleratorTableId : 0;
}

bool LinuxWindowPort::translateAccelerator(WindowHandle, AcceleratorTable, const QueuedMessage&) {
  // The program never has the keyboard focus here: no key message arrives
  // for Ctrl+Q to turn into its command. Signals take that path instead.
  return false;
}

// --- the program's own windows ---

MessageHandler* LinuxWindowPort::handlerOf(WindowHandle window) const {
  const std::lock_guard<std::mutex> lock(windowsMutex_);
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.handler;
}

bool LinuxWindowPort::registerClass(const WindowClassSpec& params, MessageHandler& handler) {
  const std::lock_guard<std::mutex> lock(windowsMutex_);
  return classes_.emplace(params.className, &handler).second;
}

WindowHandle LinuxWindowPort::createWindow(const WindowSpec& params) {
  WindowHandle handle = 0;
  MessageHandler* handler = nullptr;
  {
    const std::lock_guard<std::mutex> lock(windowsMutex_);
    const auto windowClass = classes_.find(params.className);
    if (windowClass == classes_.end()) return 0;
    handler = windowClass->second;
    handle = nextWindow_++;
    windows_[handle] = OwnWindow{params.className, params.title, handler};
  }
  // As on the platform, a create handler that answers -1 fails the creation.
  if (handler->handleMessage(handle, WindowMessage::create, 0, 0) == -1) {
    destroyWindow(handle);
    return 0;
  }
  return handle;
}

bool LinuxWindowPort::destroyWindow(WindowHandle window) {
  MessageHandler* handler = handlerOf(window);
  if (handler == nullptr) return false;
  handler->handleMessage(window, WindowMessage::destroy, 0, 0);
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it->first.first == window) {
      removeWatch(it->second.fd, it->second.token);
      close(it->second.fd);
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
  const std::lock_guard<std::mutex> lock(windowsMutex_);
  windows_.erase(window);
  return true;
}

LResult LinuxWindowPort::defaultProcedure(WindowHandle window, std::uint32_t message, WParam,
                                          LParam) {
  // A close request destroys the window, as the platform's default does.
  if (message == WindowMessage::close) destroyWindow(window);
  return 0;
}

// --- messages ---

bool LinuxWindowPort::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                  LParam lParam) {
  if (window != 0 && !isOwnHandle(window)) {
    return desktop_.postToWindow(window, message, wParam, lParam);
  }
  if (window != 0 && handlerOf(window) == nullptr) return false;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(QueuedMessage{window, message, wParam, lParam});
  }
  wake();
  return true;
}

bool LinuxWindowPort::postFromAnyThread(WindowHandle window, std::uint32_t message, WParam wParam,
                                        LParam lParam) noexcept {
  if (!isOwnHandle(window)) return false;
  if (!fromDriver_.push(QueuedMessage{window, message, wParam, lParam})) return false;
  wake();
  return true;
}

LResult LinuxWindowPort::sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                     LParam lParam) {
  MessageHandler* handler = handlerOf(window);
  // Other applications' windows get nothing sent: the program only posts.
  return handler == nullptr ? 0 : handler->handleMessage(window, message, wParam, lParam);
}

void LinuxWindowPort::postQuitMessage(std::int32_t exitCode) {
  quitPending_ = true;
  quitCode_ = exitCode;
  wake();
}

void LinuxWindowPort::pump(int timeoutMs) {
  if (epoll_ < 0) return;
  epoll_event events[maxEvents];
  int count = 0;
  do {
    count = epoll_wait(epoll_, events, maxEvents, timeoutMs);
  } while (count < 0 && errno == EINTR);
  for (int i = 0; i < count; ++i) {
    const auto watch = watches_.find(events[i].data.u64);
    if (watch == watches_.end()) continue;  // removed by an earlier callback
    const std::function<void()> onReadable = watch->second;
    onReadable();
  }
}

bool LinuxWindowPort::takeMessage(QueuedMessage& message) {
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    if (!posted_.empty()) {
      message = posted_.front();
      posted_.pop_front();
      return true;
    }
  }
  if (fromDriver_.pop(message)) return true;
  if (quitPending_) {
    quitPending_ = false;
    message = QueuedMessage{0, WindowMessage::quit, static_cast<WParam>(quitCode_), 0};
    return true;
  }
  for (auto& [key, timer] : timers_) {
    if (timer.due) {
      timer.due = false;
      message = QueuedMessage{key.first, WindowMessage::timer, key.second, 0};
      return true;
    }
  }
  return false;
}

std::int32_t LinuxWindowPort::getMessage(QueuedMessage& message) {
  if (epoll_ < 0) return -1;
  for (;;) {
    // Ready descriptors first (without waiting), so a steady stream of
    // posted messages never starves signals, timers or settings.
    pump(0);
    if (takeMessage(message)) return message.message == WindowMessage::quit ? 0 : 1;
    pump(-1);
  }
}

LResult LinuxWindowPort::dispatchMessage(const QueuedMessage& message) {
  MessageHandler* handler = handlerOf(message.window);
  // A message for a window destroyed meanwhile is dropped.
  if (handler == nullptr) return 0;
  return handler->handleMessage(message.window, message.message, message.wParam, message.lParam);
}

std::uintptr_t LinuxWindowPort::setTimer(WindowHandle window, std::uintptr_t id, std::uint32_t ms) {
  if (id == 0 || handlerOf(window) == nullptr || epoll_ < 0) return 0;
  const TimerKey key{window, id};
  auto existing = timers_.find(key);
  if (existing == timers_.end()) {
    Timer timer;
    timer.fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timer.fd < 0) {
      log_.info("timerfd: " + errorText());
      return 0;
    }
    timer.token = addWatch(timer.fd, [this, key] {
      const auto it = timers_.find(key);
      if (it == timers_.end()) return;
      std::uint64_t expirations = 0;
      if (read(it->second.fd, &expirations, sizeof expirations) > 0) it->second.due = true;
    });
    if (timer.token == 0) {
      close(timer.fd);
      return 0;
    }
    existing = timers_.emplace(key, timer).first;
  }
  // Setting a timer again restarts it with the new period.
  const std::uint32_t period = ms < minimumTimerMs ? minimumTimerMs : ms;
  itimerspec timing{};
  timing.it_value.tv_sec = static_cast<time_t>(period / 1000);
  timing.it_value.tv_nsec = static_cast<long>(period % 1000) * 1000000L;
  timing.it_interval = timing.it_value;
  existing->second.due = false;
  if (timerfd_settime(existing->second.fd, 0, &timing, nullptr) != 0) {
    killTimer(window, id);
    return 0;
  }
  return id;
}

bool LinuxWindowPort::killTimer(WindowHandle window, std::uintptr_t id) {
  const auto it = timers_.find(TimerKey{window, id});
  if (it == timers_.end()) return false;
  removeWatch(it->second.fd, it->second.token);
  close(it->second.fd);
  timers_.erase(it);
  return true;
}

// --- all top-level windows ---

WindowHandle LinuxWindowPort::findOwnWindow(const std::wstring& className,
                                            const std::wstring& title) const {
  const std::lock_guard<std::mutex> lock(windowsMutex_);
  for (const auto& [handle, window] : windows_) {
    if (window.className == className && window.title == title) return handle;
  }
  return 0;
}

WindowHandle LinuxWindowPort::findWindow(const std::wstring& className, const std::wstring& title) {
  const WindowHandle own = findOwnWindow(className, title);
  return own != 0 ? own : desktop_.findWindow(className, title);
}

WindowHandle LinuxWindowPort::findWindowByTitle(const std::wstring& title) {
  {
    const std::lock_guard<std::mutex> lock(windowsMutex_);
    for (const auto& [handle, window] : windows_) {
      if (window.title == title) return handle;
    }
  }
  return desktop_.findWindowByTitle(title);
}

bool LinuxWindowPort::setForegroundWindow(WindowHandle window) {
  // The program's windows are never shown: nothing to bring forward.
  if (isOwnHandle(window & ~WindowHandle{1}))
    return handlerOf(window & ~WindowHandle{1}) != nullptr;
  return desktop_.setForegroundWindow(window);
}

bool LinuxWindowPort::activateWindow(WindowHandle window) {
  if (isOwnHandle(window & ~WindowHandle{1}))
    return handlerOf(window & ~WindowHandle{1}) != nullptr;
  return desktop_.activateWindow(window);
}

bool LinuxWindowPort::windowProcessId(WindowHandle window, std::uint32_t& processId) {
  if (!isOwnHandle(window)) return desktop_.windowProcessId(window, processId);
  if (handlerOf(window) == nullptr) return false;
  processId = static_cast<std::uint32_t>(getpid());
  return true;
}

bool LinuxWindowPort::isWindowVisible(WindowHandle window) {
  return !isOwnHandle(window) && desktop_.isWindowVisible(window);
}

std::wstring LinuxWindowPort::windowText(WindowHandle window, std::size_t maxChars) {
  if (!isOwnHandle(window)) return desktop_.windowText(window, maxChars);
  if (maxChars == 0) return std::wstring();
  const std::lock_guard<std::mutex> lock(windowsMutex_);
  const auto it = windows_.find(window);
  return it == windows_.end() ? std::wstring() : it->second.title.substr(0, maxChars - 1);
}
