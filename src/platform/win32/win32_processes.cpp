#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win32/win32_handle.h"

namespace {

constexpr DWORD longestPath = 32768;  // characters, the system's limit

DWORD WINAPI runRoutine(LPVOID parameter) {
  const std::unique_ptr<std::function<void()>> routine(
      static_cast<std::function<void()>*>(parameter));
  try {
    (*routine)();
  } catch (...) {
    return 1;
  }
  return 0;
}

}  // namespace

std::optional<int> desktopThreadPriority(std::int32_t level) {
  static constexpr int priorities[] = {THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST,
                                       THREAD_PRIORITY_ABOVE_NORMAL,  THREAD_PRIORITY_NORMAL,
                                       THREAD_PRIORITY_BELOW_NORMAL,  THREAD_PRIORITY_LOWEST,
                                       THREAD_PRIORITY_LOWEST,        THREAD_PRIORITY_IDLE};
  if (level < 0 || level > 7) return std::nullopt;
  return priorities[level];
}

bool Win32Processes::forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) {
  const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W process{};
  process.dwSize = sizeof process;
  for (BOOL more = Process32FirstW(snapshot.get(), &process); more != FALSE;
       more = Process32NextW(snapshot.get(), &process)) {
    ProcessInfo entry;
    entry.usageCount = process.cntUsage;
    entry.processId = process.th32ProcessID;
    entry.parentProcessId = process.th32ParentProcessID;
    entry.threadCount = process.cntThreads;
    entry.moduleId = process.th32ModuleID;
    entry.name = process.szExeFile;
    if (!visit(entry)) break;
  }
  return true;
}

bool Win32Processes::moduleFileName(std::uint32_t processId, std::size_t maxChars,
                                    std::wstring& path) {
  if (maxChars == 0) return false;
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return false;
  // The call fails rather than cut a path that does not fit: the buffer
  // grows until the path fits whole, up to the system's limit. A path
  // longer than the caller's limit is not cut either: it counts as
  // unreadable.
  for (DWORD capacity = MAX_PATH;; capacity = std::min<DWORD>(2 * capacity, longestPath)) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD length = capacity;
    if (QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &length) != FALSE) {
      if (length > maxChars - 1) return false;
      path.assign(buffer.data(), length);
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || capacity >= longestPath) return false;
  }
}

ProcessPort::ThreadHandle Win32Processes::createThread(std::function<void()> routine) {
  if (!routine) return 0;
  auto copy = std::make_unique<std::function<void()>>(std::move(routine));
  const HANDLE thread = CreateThread(nullptr, 0, runRoutine, copy.get(), 0, nullptr);
  if (thread == nullptr) return 0;
  copy.release();  // the thread owns it now
  return reinterpret_cast<ThreadHandle>(thread);
}

bool Win32Processes::setThreadPriority(ThreadHandle thread, std::int32_t level) {
  const std::optional<int> priority = desktopThreadPriority(level);
  return thread != 0 && priority &&
         SetThreadPriority(reinterpret_cast<HANDLE>(thread), *priority) != FALSE;
}

void Win32Processes::closeThread(ThreadHandle thread) {
  if (thread != 0) CloseHandle(reinterpret_cast<HANDLE>(thread));
}
