// Processes and threads: the process snapshot, a process's module path, and
// short-lived worker threads.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ports/window_port.h"

// One running process. The snapshot fills the numbers and the name (window
// and title stay empty); the task manager folds the name to lower case and
// attaches the window that represents the process.
struct ProcessInfo {
  std::uint32_t usageCount = 0;
  std::uint32_t processId = 0;
  std::uint32_t parentProcessId = 0;
  std::uint32_t threadCount = 0;
  std::uint32_t moduleId = 0;
  WindowHandle window = 0;  // the visible top-level window chosen, or 0
  std::wstring name;        // executable name without directory
  std::wstring title;       // the chosen window's text, or empty
};

class ProcessPort {
 public:
  using ThreadHandle = std::uintptr_t;  // 0 is never a thread

  virtual ~ProcessPort() = default;

  // Takes a snapshot of the running processes and visits them in snapshot
  // order until `visit` returns false. False when the snapshot could not be
  // taken (nothing is visited).
  virtual bool forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) = 0;

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
