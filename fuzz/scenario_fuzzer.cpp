// The scenario file parser on any bytes, and the expectation check on what
// it read.
//
// Invariants: nothing escapes the parser; every problem names a line of the
// text; set-up steps happen at time 0 and the timeline never goes back in
// time nor past the scenario's end; a text without problems has its start
// line; UTF-8 that reads as wide text converts back to the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "scenario.h"
#include "scenario_parser.h"
#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;

  if (const auto wide = Text::fromUtf8(text)) FUZZ_CHECK(Text::toUtf8(*wide) == text);

  const Scenario::ParseResult result = Scenario::parseScenario(text);
  for (const Scenario::Problem& p : result.errors) {
    FUZZ_CHECK(p.line >= 0 && p.line <= lines);
    FUZZ_CHECK(!p.message.empty());
  }
  const Scenario::Scenario& s = result.scenario;
  for (const Scenario::Step& step : s.setup) FUZZ_CHECK(step.timeMs == 0);
  std::uint64_t previous = 0;
  int previousLine = 0;
  for (const Scenario::Step& step : s.timeline) {
    FUZZ_CHECK(step.timeMs >= previous && step.timeMs <= s.endTimeMs);
    FUZZ_CHECK(step.line >= previousLine && step.line <= lines);
    previous = step.timeMs;
    previousLine = step.line;
  }
  if (result.errors.empty()) {
    FUZZ_CHECK(text.find("start") != std::string_view::npos);
  }

  // Expectations against a log made of their own texts: every problem found
  // names one of them.
  std::vector<Scenario::LogLine> log;
  for (const Scenario::Expectation& e : s.expectations) {
    FUZZ_CHECK(!e.text.empty());
    log.push_back({0, e.text});
  }
  for (const Scenario::Problem& p : Scenario::checkExpectations(s.expectations, log)) {
    FUZZ_CHECK(std::any_of(s.expectations.begin(), s.expectations.end(),
                           [&](const Scenario::Expectation& e) { return e.line == p.line; }));
  }
  return 0;
}
