// The simulated phone's processes and worker threads.
//
// Processes have an id (counting up from 101, never reused), an executable
// name and a full module path; the snapshot lists the running ones in
// creation order. Ending a process here does not touch its windows (see
// SimWindows for an application that closes).
//
// A worker thread runs synchronously inside createThread() on its own
// timeline of the clock (SimClock::beginWorker), then counts as an open
// handle until closeThread(): openThreadHandles() shows handle leaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_context.h"
#include "ports/process_port.h"

class SimProcesses : public ProcessPort {
 public:
  static constexpr std::int32_t normalPriority = 3;

  explicit SimProcesses(SimContext& context) : context_(context) {}

  std::uint32_t addProcess(const std::wstring& exeFile, const std::wstring& modulePath);
  // False when no such process runs.
  bool endProcess(std::uint32_t processId);
  bool running(std::uint32_t processId) const;
  std::size_t processCount() const { return processes_.size(); }

  std::size_t openThreadHandles() const { return threads_.size(); }
  std::size_t threadsStarted() const { return threadsStarted_; }
  // The priority level of an open thread handle, or nothing.
  std::optional<std::int32_t> threadPriority(ThreadHandle thread) const;

  // --- ProcessPort ---
  bool forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) override;
  bool moduleFileName(std::uint32_t processId, std::size_t maxChars, std::wstring& path) override;
  ThreadHandle createThread(std::function<void()> routine) override;
  bool setThreadPriority(ThreadHandle thread, std::int32_t level) override;
  void closeThread(ThreadHandle thread) override;

 private:
  struct Process {
    ProcessInfo entry;
    std::wstring modulePath;
  };

  SimContext& context_;
  std::vector<Process> processes_;  // running, in creation order
  std::uint32_t nextProcessId_ = 101;
  std::map<ThreadHandle, std::int32_t> threads_;  // open handles and their priority
  ThreadHandle nextThread_ = 0x3004;
  std::size_t threadsStarted_ = 0;
};
