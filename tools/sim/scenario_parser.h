// Reading scenario text.
//
// The format is line-based UTF-8, one command a line; commands() lists every
// command with its syntax (zem-sim --help prints them). `#` starts a comment
// when it stands at the start of a line or after white space, outside double
// quotes; blank lines are ignored. Text in double quotes is taken literally
// (backslashes are ordinary characters, as in registry paths); `""` inside
// quotes is one `"`.
//
// Set-up lines come before `start`, timeline lines after it. Each timeline
// line happens at the current virtual time (0 at `start`); `wait`, `stroke`
// and `tap` move it on. The touch lines (`wait`, `sample`, `stroke`, `tap`)
// are those of touch traces (trace/touch_trace.h). Expectations are checked
// by checkExpectations.
#pragma once

#include <string_view>
#include <vector>

#include "scenario.h"

namespace Scenario {

struct ParseResult {
  Scenario scenario;
  std::vector<Problem> errors;  // empty when the text is a valid scenario
};

// Every malformed line is reported; the rest is still read.
ParseResult parseScenario(std::string_view text);

// Where a command may stand.
enum class Phase { setup, timeline, anywhere };

struct Command {
  std::string_view name;
  Phase phase = Phase::anywhere;
  std::string_view usage;        // its syntax, starting with the name
  std::string_view description;  // what it does
};

// Every command of the format, in the order help lists them.
std::vector<Command> commands();

}  // namespace Scenario
