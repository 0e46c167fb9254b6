#include "platform/sim/sim_processes.h"

#include <algorithm>
#include <utility>

std::uint32_t SimProcesses::addProcess(const std::wstring& exeFile,
                                       const std::wstring& modulePath) {
  Process process;
  process.entry.usageCount = 1;
  process.entry.processId = nextProcessId_++;
  process.entry.threadCount = 1;
  process.entry.name = exeFile;
  process.modulePath = modulePath;
  processes_.push_back(std::move(process));
  return processes_.back().entry.processId;
}

bool SimProcesses::endProcess(std::uint32_t processId) {
  const auto it = std::find_if(processes_.begin(), processes_.end(),
                               [&](const Process& p) { return p.entry.processId == processId; });
  if (it == processes_.end()) return false;
  processes_.erase(it);
  return true;
}

bool SimProcesses::running(std::uint32_t processId) const {
  return std::any_of(processes_.begin(), processes_.end(),
                     [&](const Process& p) { return p.entry.processId == processId; });
}

std::optional<std::int32_t> SimProcesses::threadPriority(ThreadHandle thread) const {
  const auto it = threads_.find(thread);
  if (it == threads_.end()) return std::nullopt;
  return it->second;
}

bool SimProcesses::forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) {
  if (SimFaults::take(context_.faults.snapshot)) return false;
  // A snapshot: the visitor may start or end processes meanwhile.
  std::vector<ProcessInfo> snapshot;
  for (const Process& p : processes_) snapshot.push_back(p.entry);
  for (const ProcessInfo& entry : snapshot) {
    if (!visit(entry)) break;
  }
  return true;
}

bool SimProcesses::moduleFileName(std::uint32_t processId, std::size_t maxChars,
                                  std::wstring& path) {
  if (SimFaults::take(context_.faults.moduleName)) return false;
  if (maxChars == 0) return false;
  for (const Process& p : processes_) {
    if (p.entry.processId == processId) {
      if (p.modulePath.size() > maxChars - 1) return false;  // never cut
      path = p.modulePath;
      return true;
    }
  }
  return false;
}

ProcessPort::ThreadHandle SimProcesses::createThread(std::function<void()> routine) {
  if (SimFaults::take(context_.faults.createThread) || !routine) return 0;
  const ThreadHandle handle = nextThread_;
  nextThread_ += 4;
  threads_[handle] = normalPriority;
  ++threadsStarted_;
  // The worker's timeline ends with it, also when the routine throws.
  struct Timeline {
    SimClock& clock;
    explicit Timeline(SimClock& c) : clock(c) { clock.beginWorker(); }
    ~Timeline() { clock.endWorker(); }
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;
  } timeline(context_.clock);
  routine();
  return handle;
}

bool SimProcesses::setThreadPriority(ThreadHandle thread, std::int32_t level) {
  const auto it = threads_.find(thread);
  if (it == threads_.end()) return false;
  it->second = level;
  return true;
}

void SimProcesses::closeThread(ThreadHandle thread) { threads_.erase(thread); }
