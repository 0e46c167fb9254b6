#include "platform/linux/app/linux_ports.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <sstream>

#include "text/lower_case.h"
#include "text/utf8.h"

extern char** environ;

namespace {

thread_local std::uint32_t hookLastError = 0;

bool readLink(const std::string& path, std::string& target) {
  char buffer[PATH_MAX];
  const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return false;
  target.assign(buffer, static_cast<std::size_t>(length));
  return true;
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// --- clock ---

void LinuxClock::sleep(std::uint32_t ms) {
  timespec until{};
  clock_gettime(CLOCK_MONOTONIC, &until);
  until.tv_sec += static_cast<time_t>(ms / 1000);
  until.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_nsec -= 1000000000L;
    ++until.tv_sec;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

std::uint64_t LinuxClock::nowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
         static_cast<std::uint64_t>(now.tv_nsec / 1000000L);
}

// --- debug output ---

void LinuxDebug::debugOutput(const std::wstring& text) {
  if (!log_.verbose()) return;
  std::string line = Text::toUtf8(text);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  log_.info(line);
}

// --- processes and threads ---

LinuxProcesses::~LinuxProcesses() {
  // Workers still running are left to end on their own.
  for (auto& [handle, thread] : threads_) {
    if (thread.joinable()) thread.detach();
  }
}

bool LinuxProcesses::forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) {
  DIR* dir = opendir(procRoot_.c_str());
  if (dir == nullptr) return false;
  std::vector<std::uint32_t> ids;
  while (const dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const unsigned long id = std::strtoul(entry->d_name, &end, 10);
    if (end != entry->d_name && *end == '\0' && id > 0 && id <= UINT32_MAX) {
      ids.push_back(static_cast<std::uint32_t>(id));
    }
  }
  closedir(dir);
  for (const std::uint32_t id : ids) {
    const std::string base = procRoot_ + "/" + std::to_string(id);
    // "pid (comm) state ppid ... num_threads (field 20)": comm may hold
    // spaces and parentheses, so fields count from the last ')'.
    std::ifstream statFile(base + "/stat");
    std::string stat;
    if (!std::getline(statFile, stat)) continue;  // gone meanwhile
    const std::size_t close = stat.rfind(')');
    const std::size_t open = stat.find('(');
    if (close == std::string::npos || open == std::string::npos || open > close) continue;
    ProcessInfo process;
    process.processId = id;
    process.usageCount = 0;
    std::istringstream fields(stat.substr(close + 1));
    std::string state;
    long long parent = 0;
    fields >> state >> parent;
    std::string skip;
    for (int field = 5; field < 20 && fields; ++field) fields >> skip;
    long long threads = 0;
    fields >> threads;
    process.parentProcessId = static_cast<std::uint32_t>(parent);
    process.threadCount = static_cast<std::uint32_t>(threads);
    std::string exe;
    const std::string name =
        readLink(base + "/exe", exe) ? baseName(exe) : stat.substr(open + 1, close - open - 1);
    process.name = Text::fromUtf8Lossy(name);
    if (!visit(process)) break;
  }
  return true;
}

bool LinuxProcesses::moduleFileName(std::uint32_t processId, std::size_t maxChars,
                                    std::wstring& path) {
  std::string target;
  if (processId == 0 || !readLink(procRoot_ + "/" + std::to_string(processId) + "/exe", target)) {
    return false;
  }
  std::wstring wide = Text::fromUtf8Lossy(target);
  if (maxChars == 0 || wide.size() > maxChars - 1) return false;
  path = std::move(wide);
  return true;
}

ProcessPort::ThreadHandle LinuxProcesses::createThread(std::function<void()> routine) {
  const std::lock_guard<std::mutex> lock(mutex_);
  try {
    std::thread thread([routine = std::move(routine)] {
      try {
        routine();
      } catch (...) {
        // A worker's failure ends the worker only.
      }
    });
    const ThreadHandle handle = nextThread_++;
    threads_.emplace(handle, std::move(thread));
    return handle;
  } catch (const std::system_error&) {
    return 0;
  }
}

bool LinuxProcesses::setThreadPriority(ThreadHandle thread, std::int32_t) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return threads_.count(thread) != 0;
}

void LinuxProcesses::closeThread(ThreadHandle thread) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = threads_.find(thread);
  if (it == threads_.end()) return;
  if (it->second.joinable()) it->second.detach();
  threads_.erase(it);
}

// --- shell ---

bool LinuxShell::notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                                      const std::wstring& valueName, WindowHandle window,
                                      std::uint32_t message, std::uint32_t userData) {
  WindowPort& windows = windows_;
  registry_.observeValue(root, subKey, valueName, [&windows, window, message, userData] {
    windows.postMessage(window, message, 0, static_cast<LParam>(userData));
  });
  return true;
}

bool LinuxShell::querySip(SipInfo& info) {
  if (info.size != sizeof(SipInfo)) return false;
  info.flags = desktop_.onScreenKeyboardShown() ? 1u : 0u;
  return true;
}

std::vector<std::wstring> LinuxShell::splitArguments(const std::wstring& parameters) {
  std::vector<std::wstring> arguments;
  std::wstring current;
  bool inArgument = false;
  bool quoted = false;
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const wchar_t c = parameters[i];
    if (c == L'\\') {
      std::size_t slashes = 0;
      while (i < parameters.size() && parameters[i] == L'\\') {
        ++slashes;
        ++i;
      }
      inArgument = true;
      if (i < parameters.size() && parameters[i] == L'"') {
        current.append(slashes / 2, L'\\');
        if (slashes % 2 == 1) {
          current.push_back(L'"');
          continue;
        }
        --i;  // the quote is read again below
        continue;
      }
      current.append(slashes, L'\\');
      --i;
      continue;
    }
    if (c == L'"') {
      inArgument = true;
      if (quoted && i + 1 < parameters.size() && parameters[i + 1] == L'"') {
        current.push_back(L'"');
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    if ((c == L' ' || c == L'\t' || c == L'\n' || c == L'\r') && !quoted) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
      continue;
    }
    current.push_back(c);
    inArgument = true;
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

std::string LinuxShell::resolveIgnoringCase(const std::string& path) {
  if (path.empty() || path.find('/') == std::string::npos || ::access(path.c_str(), F_OK) == 0) {
    return path;
  }
  std::string resolved = path[0] == '/' ? "/" : "";
  std::size_t start = path[0] == '/' ? 1 : 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    std::string next = resolved + part;
    if (::access(next.c_str(), F_OK) != 0) {
      const std::wstring wanted = Text::lowerCased(Text::fromUtf8Lossy(part));
      DIR* folder = ::opendir(resolved.empty() ? "." : resolved.c_str());
      if (folder == nullptr) return path;
      std::string match;
      int matches = 0;
      while (const dirent* entry = ::readdir(folder)) {
        if (Text::lowerCased(Text::fromUtf8Lossy(entry->d_name)) == wanted) {
          match = entry->d_name;
          ++matches;
        }
      }
      ::closedir(folder);
      if (matches != 1) return path;
      next = resolved + match;
    }
    resolved = end < path.size() ? next + "/" : next;
  }
  return resolved;
}

bool LinuxShell::execute(const ShellExecuteRequest& request) {
  if (request.file.empty()) return false;
  if (!request.verb.empty() && request.verb != L"open") return false;
  std::vector<std::string> arguments{resolveIgnoringCase(Text::toUtf8(request.file))};
  for (const std::wstring& argument : splitArguments(request.parameters)) {
    arguments.push_back(Text::toUtf8(argument));
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_init(&actions);
  sigset_t none;
  sigset_t defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (const int signal : {SIGTERM, SIGINT, SIGCHLD, SIGPIPE, SIGHUP}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
  flags = static_cast<short>(flags | POSIX_SPAWN_SETSID);
#endif
  posix_spawnattr_setflags(&attributes, flags);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  pid_t child = 0;
  const bool searched = arguments[0].find('/') == std::string::npos;
  const int error =
      searched
          ? posix_spawnp(&child, arguments[0].c_str(), &actions, &attributes, argv.data(), environ)
          : posix_spawn(&child, arguments[0].c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (error != 0) {
    log_.info("cannot start " + arguments[0] + ": " + std::strerror(error));
    return false;
  }
  log_.detail("started " + arguments[0] + " (process " + std::to_string(child) + ")");
  return true;
}

// --- the hook's port ---

HookPort::WindowHandle LinuxHookPort::findWindow(const wchar_t* className, const wchar_t* title) {
  if (className == nullptr || title == nullptr) return 0;
  return windows_.findOwnWindow(className, title);
}

bool LinuxHookPort::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  if (!LinuxWindowPort::isOwnHandle(window)) {
    hookLastError = errorInvalidWindowHandle;
    return false;
  }
  if (!windows_.postFromAnyThread(window, message, wParam, lParam)) {
    hookLastError = errorNotEnoughQuota;
    return false;
  }
  return true;
}

std::uint32_t LinuxHookPort::lastError() { return hookLastError; }

void LinuxHookPort::debugOutput(const wchar_t* text) {
  if (text == nullptr || !log_.verbose()) return;
  // UTF-8 into a fixed buffer: the hook path allocates nothing.
  char line[400];
  std::size_t used = 0;
  for (const wchar_t* c = text; *c != L'\0' && used + 4 < sizeof line; ++c) {
    const auto code = static_cast<char32_t>(*c);
    if (code == U'\n' || code == U'\r') continue;
    if (code < 0x80) {
      line[used++] = static_cast<char>(code);
    } else {
      line[used++] = '?';  // debug lines of the hook are ASCII
    }
  }
  Log::writeRaw(line, used);
}
