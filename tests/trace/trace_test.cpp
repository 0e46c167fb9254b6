// Touch traces as the touch-driver hosts read them.
#include "trace/touch_trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TraceTest, TimelineLinesBecomeTimedSamplesInQuarterPixels) {
  const Trace::ParseResult parsed = Trace::parseTrace(
      "# two samples by hand, then a tap\n"
      "sample 2 400 800 1200 800\n"
      "\n"
      "wait 100   # a pause\n"
      "tap 10,20 for 20 every 10\n"
      "wait 5\n");
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front().message;
  std::vector<std::string> samples;  // "time line: count first-x,first-y second-x"
  for (const Trace::TimedSample& t : parsed.trace.samples) {
    samples.push_back(std::to_string(t.timeMs) + " " + std::to_string(t.line) + ": " +
                      std::to_string(t.sample.pointCount) + " " + std::to_string(t.sample.firstX) +
                      "," + std::to_string(t.sample.firstY) + " " +
                      std::to_string(t.sample.secondX));
  }
  // The sample, the tap at 0, 10 and 20 ms, its release.
  EXPECT_EQ(samples,
            (std::vector<std::string>{"0 2: 2 400,800 1200", "100 5: 1 40,80 0", "110 5: 1 40,80 0",
                                      "120 5: 1 40,80 0", "130 5: 0 40,80 0"}));
  EXPECT_EQ(parsed.trace.endTimeMs, 135u);  // the final wait counts
}

TEST(TraceTest, EveryBadLineIsReportedWithItsOwnLineNumber) {
  const Trace::ParseResult parsed = Trace::parseTrace(
      "start\n"
      "tap 10,20\n"
      "registry HKCU\\Software\\ZEM Up = \"up\"\n"
      "sample 1 2\n"
      "expect key down 38 -> Game\n"
      "stroke 1,1 -> 9,9 in\n");
  std::vector<int> lines;
  for (const Trace::Error& error : parsed.errors) lines.push_back(error.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 5, 6}));
  EXPECT_NE(parsed.errors[0].message.find("\"start\" does not belong in a trace"),
            std::string::npos);
}

}  // namespace
