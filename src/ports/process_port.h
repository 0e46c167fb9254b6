// Processes and threads: the process snapshot, a process's module path, and
// short-lived worker threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct ProcessEntry {
  std::uint32_t usageCount = 0;
  std::uint32_t processId = 0;
  std::uint32_t parentProcessId = 0;
  std::uint32_t threadCount = 0;
  std::uint32_t moduleId = 0;
  std::wstring exeFile;  // executable name without directory
};

class ProcessPort {
 public:
  using ThreadHandle = std::uintptr_t;  // 0 is never a thread

  virtual ~ProcessPort() = default;

  // Takes a snapshot of the running processes and visits them in snapshot
  // order until `visit` returns false. False when the snapshot could not be
  // taken (nothing is visited).
  virtual bool forEachProcess(const std::function<bool(const ProcessEntry&)>& visit) = 0;

  // The full path of the process's executable. False when it cannot be
  // read, or not whole within maxChars - 1 characters (never cut).
  virtual bool moduleFileName(std::uint32_t processId, std::size_t maxChars,
                              std::wstring& path) = 0;

  // Starts `routine` on a new thread. 0 on failure (the routine never runs).
  virtual ThreadHandle createThread(std::function<void()> routine) = 0;
  // Level on the platform's scale: 0 time-critical ... 3 normal.
  virtual bool setThreadPriority(ThreadHandle thread, std::int32_t level) = 0;
  // Releases the handle; the thread runs on.
  virtual void closeThread(ThreadHandle thread) = 0;
};
