// Processes and threads on desktop Windows: the Toolhelp process snapshot, a
// process's image path (QueryFullProcessImageNameW, cut to the caller's
// length as the phone cuts it) and worker threads (CreateThread).
//
// Thread priorities: the phone's levels 0 (time-critical) to 7 (idle), 3
// being normal, map onto the desktop's relative priorities; the desktop has
// no level between lowest and idle, so 6 shares lowest.
#pragma once

#include <cstdint>
#include <optional>

#include "ports/process_port.h"

// The desktop priority (THREAD_PRIORITY_*) for a phone level; none for a
// level outside 0 to 7.
std::optional<int> desktopThreadPriority(std::int32_t level);

class Win32Processes final : public ProcessPort {
 public:
  bool forEachProcess(const std::function<bool(const ProcessInfo&)>& visit) override;
  bool moduleFileName(std::uint32_t processId, std::size_t maxChars, std::wstring& path) override;
  // The routine runs on a copy of its own; an exception it throws ends the
  // thread (exit code 1) and nothing else.
  ThreadHandle createThread(std::function<void()> routine) override;
  bool setThreadPriority(ThreadHandle thread, std::int32_t level) override;
  void closeThread(ThreadHandle thread) override;
};
