#include "trace.h"

#include <algorithm>
#include <string>
#include <variant>

#include "scenario_parser.h"

namespace Trace {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

// The first word of a line, or nothing for a blank or comment line.
std::string_view firstWord(std::string_view line) {
  std::size_t begin = 0;
  while (begin < line.size() && isSpace(line[begin])) ++begin;
  std::size_t end = begin;
  while (end < line.size() && !isSpace(line[end])) ++end;
  const std::string_view word = line.substr(begin, end - begin);
  return !word.empty() && word.front() == '#' ? std::string_view() : word;
}

bool isTraceCommand(std::string_view word) {
  return word == "wait" || word == "sample" || word == "stroke" || word == "tap";
}

}  // namespace

ParseResult parseTrace(std::string_view text) {
  ParseResult result;
  // The scenario parser reads timeline lines only after a start line. Lines
  // of other kinds are reported here and left out (as blank lines, so the
  // line numbers stay).
  std::string timeline = "start\n";
  int line = 0;
  while (!text.empty()) {
    ++line;
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    const std::string_view current = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::string_view word = firstWord(current);
    if (word.empty() || isTraceCommand(word)) {
      timeline.append(current);
    } else {
      result.errors.push_back({line, "\"" + std::string(word) +
                                         "\" does not belong in a trace (only wait, sample, "
                                         "stroke and tap)"});
    }
    timeline.push_back('\n');
  }

  Scenario::ParseResult parsed = Scenario::parseScenario(timeline);
  for (const Scenario::Problem& problem : parsed.errors) {
    result.errors.push_back({problem.line > 1 ? problem.line - 1 : 0, problem.message});
  }
  for (const Scenario::Step& step : parsed.scenario.timeline) {
    // Only the four trace commands got through, and of those only samples
    // make steps.
    if (const auto* feed = std::get_if<Scenario::FeedSample>(&step.action)) {
      result.trace.samples.push_back({step.timeMs, step.line - 1, feed->sample});
    }
  }
  std::stable_sort(result.errors.begin(), result.errors.end(),
                   [](const Error& a, const Error& b) { return a.line < b.line; });
  result.trace.endTimeMs = parsed.scenario.endTimeMs;
  return result;
}

}  // namespace Trace
