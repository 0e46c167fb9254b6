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
  const std::vector<Trace::TimedSample>& s = parsed.trace.samples;
  ASSERT_EQ(s.size(), 5u);  // the sample, the tap at 0, 10 and 20 ms, its release
  EXPECT_EQ(s[0].timeMs, 0u);
  EXPECT_EQ(s[0].line, 2);
  EXPECT_EQ(s[0].sample.pointCount, 2u);
  EXPECT_EQ(s[0].sample.secondX, 1200u);
  EXPECT_EQ(s[1].timeMs, 100u);
  EXPECT_EQ(s[1].line, 5);
  EXPECT_EQ(s[1].sample.firstX, 40u);
  EXPECT_EQ(s[1].sample.firstY, 80u);
  EXPECT_EQ(s[3].timeMs, 120u);
  EXPECT_EQ(s[4].timeMs, 130u);
  EXPECT_EQ(s[4].sample.pointCount, 0u);
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
