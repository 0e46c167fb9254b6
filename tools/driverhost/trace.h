// Touch traces: the timed driver samples that zem-touchhost plays.
//
// A trace is the timeline part of the scenario format (tools/sim): the lines
// `wait MS`, `sample COUNT [X1 Y1 [X2 Y2]]`, `stroke ...` and `tap ...`,
// with comments and blank lines. Times start at 0 with the first line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hook/multipoint_sample.h"

namespace Trace {

struct TimedSample {
  std::uint64_t timeMs = 0;  // from the start of the trace
  int line = 0;              // of the trace text, from 1
  MultipointSample sample;
};

struct Trace {
  std::vector<TimedSample> samples;  // in time order
  std::uint64_t endTimeMs = 0;       // after the last line (a final `wait` counts)
};

struct Error {
  int line = 0;  // 0 when the problem is not tied to one line
  std::string message;
};

struct ParseResult {
  Trace trace;
  std::vector<Error> errors;  // empty when the text is a valid trace
};

// Every bad line is reported; a text with errors must not be played.
ParseResult parseTrace(std::string_view text);

}  // namespace Trace
