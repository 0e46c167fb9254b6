// What every part of the simulated phone shares: the event log, the virtual
// clock and the fault counters.
#pragma once

#include <string>
#include <utility>

#include "platform/sim/event_log.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_faults.h"

struct SimContext {
  EventLog log;
  SimClock clock{&log};
  SimFaults faults;

  SimContext() = default;
  SimContext(const SimContext&) = delete;
  SimContext& operator=(const SimContext&) = delete;

  // Logs at the calling timeline's current time.
  void record(const char* category, std::string text) {
    log.add(clock.now(), category, std::move(text));
  }
  void record(std::string text) { record(LogCategory::event, std::move(text)); }
};
