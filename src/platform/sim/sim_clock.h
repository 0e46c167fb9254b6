// The simulated phone's virtual clock and its scheduler of external events.
//
// Time only moves when something moves it:
//   - sleep() on the main thread logs "sleep <ms>", runs every scheduled
//     event that falls due up to the end of the sleep (the clock stands at
//     each event's time while it runs) and then stands at the sleep's end;
//   - the message loop (SimWindows::getMessage) runs the next event or
//     advances to the next timer when the program has nothing else to do;
//   - runNextEvent(), runUntil() and advanceTo() for tests.
// Events scheduled for the same time run in the order of scheduling; an
// event scheduled in the past runs at the next opportunity, and the clock
// never goes back.
//
// Worker threads run synchronously at their creation on a timeline of their
// own (beginWorker/endWorker, see SimProcesses::createThread): it starts at
// the creating timeline's time, and sleep() there only advances the worker's
// time. nowMs() always reports the calling timeline's time, so log entries
// made on a worker carry the worker's time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/sim/event_log.h"
#include "ports/clock_port.h"

class SimClock : public ClockPort {
 public:
  explicit SimClock(EventLog* log = nullptr) : log_(log) {}

  void sleep(std::uint32_t ms) override;
  std::uint64_t nowMs() override { return now(); }

  // The calling timeline's time (a worker's inside a worker).
  std::uint64_t now() const { return workers_.empty() ? now_ : workers_.back(); }
  std::uint64_t mainNow() const { return now_; }

  // Schedules an external event at an absolute time.
  void at(std::uint64_t timeMs, std::function<void()> event);
  std::size_t pendingEvents() const { return events_.size(); }
  std::optional<std::uint64_t> nextEventTime() const;
  // The time at which the latest event ran (0 before the first).
  std::uint64_t lastEventMs() const { return lastEventMs_; }
  // Advances the main clock to the next event's time (never back) and runs
  // it. False when none is scheduled.
  bool runNextEvent();
  // Runs every event due up to `timeMs`, then stands at `timeMs` (or later).
  void runUntil(std::uint64_t timeMs);
  // Moves the main clock forward without running anything.
  void advanceTo(std::uint64_t timeMs);

  void beginWorker();
  void endWorker();
  bool inWorker() const { return !workers_.empty(); }

 private:
  EventLog* log_;
  std::uint64_t now_ = 0;
  std::uint64_t lastEventMs_ = 0;
  std::vector<std::uint64_t> workers_;  // innermost last
  std::multimap<std::uint64_t, std::function<void()>> events_;
};
