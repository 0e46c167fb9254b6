// Playing a scenario: a fresh simulated phone gets the set-up lines, the
// timeline lines become its scheduled events, and ZEM (GestureApp::run) runs
// on it until it quits or the phone has nothing left to do ("end of
// scenario"). Then the expectations are checked against the phone's event
// log.
//
// Besides the phone's own entries the runner logs, in category "event":
//   `second instance exits with <code>`    after a second-instance line.
// An `expect exit` that ZEM's exit code does not meet is a problem of its
// line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/sim/event_log.h"
#include "scenario.h"

namespace Scenario {

struct RunResult {
  int exitCode = 0;                  // what ZEM's run returned
  std::vector<EventLog::Entry> log;  // the phone's whole event log
  std::vector<Problem> problems;     // lines that could not be played, unmet expectations
  std::size_t unplayedSteps = 0;     // timeline steps still due when ZEM ended
};

// Problems that keep the scenario from running on the phone at all (a fault
// name the phone does not know); empty when it can run.
std::vector<Problem> checkPlayable(const Scenario& scenario);

// The fault names that `fail` accepts.
std::vector<std::string> faultNames();

RunResult runScenario(const Scenario& scenario);

}  // namespace Scenario
