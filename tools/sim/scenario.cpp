#include "scenario.h"

#include <algorithm>
#include <cstddef>

namespace Scenario {
namespace {

std::string quotedText(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::vector<Problem> checkExpectations(const std::vector<Expectation>& expectations,
                                       const std::vector<LogLine>& log) {
  std::vector<Problem> problems;
  std::size_t from = 0;  // the first entry the next `expect` may match
  std::vector<const Expectation*> pendingAbsent;

  // Reports each pending `expect no` whose text lies in [from, to).
  const auto checkAbsent = [&](std::size_t to) {
    for (const Expectation* absent : pendingAbsent) {
      for (std::size_t i = from; i < to; ++i) {
        if (log[i].text == absent->text) {
          problems.push_back({absent->line, "found " + quotedText(absent->text) + " at " +
                                                std::to_string(log[i].timeMs) + " ms"});
          break;
        }
      }
    }
    pendingAbsent.clear();
  };

  for (const Expectation& expectation : expectations) {
    if (expectation.absent) {
      pendingAbsent.push_back(&expectation);
      continue;
    }
    std::size_t match = from;
    while (match < log.size() && log[match].text != expectation.text) ++match;
    if (match == log.size()) {
      problems.push_back(
          {expectation.line, "expected " + quotedText(expectation.text) + " not found"});
      continue;
    }
    checkAbsent(match);
    from = match + 1;
  }
  checkAbsent(log.size());
  std::stable_sort(problems.begin(), problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return problems;
}

}  // namespace Scenario
