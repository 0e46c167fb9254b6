// Touch traces: timed samples of the touch driver's record, written by hand,
// one command a line (TraceBuilder::commands() lists them with their
// syntax). Points are X,Y in whole pixels unless a command says otherwise.
//
// `#` at the start of a line or after white space starts a comment. Times
// start at 0 with the first line. The touch-driver hosts play traces (the
// Windows host, the Linux program's trace source); the scenario format
// embeds the same lines in its timeline.
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

// Reads trace lines one at a time at a current time that they move on.
class TraceBuilder {
 public:
  // `whole` names the text in the message about too many samples.
  explicit TraceBuilder(const char* whole = "trace") : whole_(whole) {}

  // One command of the format, for help texts and dictionaries.
  struct Command {
    std::string_view name;
    std::string_view usage;        // its syntax, starting with the name
    std::string_view description;  // what it adds
  };
  static const std::vector<Command>& commands();
  static bool isTraceCommand(std::string_view word);

  // One line: its command and the text after it (without a comment). Adds
  // its samples at the current time and moves the time on. Returns what is
  // wrong with the line, or an empty text; a bad line adds nothing.
  std::string add(std::string_view command, std::string_view rest, int line);

  std::uint64_t now() const { return now_; }
  void setNow(std::uint64_t ms) { now_ = ms; }
  const std::vector<TimedSample>& samples() const { return samples_; }
  std::vector<TimedSample> takeSamples();

 private:
  const char* whole_;
  std::uint64_t now_ = 0;
  std::uint64_t touchSamples_ = 0;  // of every stroke and tap so far
  std::vector<TimedSample> samples_;
};

}  // namespace Trace
