// Touch traces as the touch-driver hosts read them.
#include "trace/touch_trace.h"

#include <gtest/gtest.h>

#include "ports/touch_messages.h"
#include "trace/touch_sequence.h"

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

// The builder behind traces, tests and benchmarks: moves end on their
// targets, the release keeps the last points, and the messages carry the
// points in the words the hook library posts (second point in wParam).
TEST(TouchSequenceTest, MovesEndOnTheirTargetsAndMessagesCarryThePointsAsTheHookPostsThem) {
  TouchSequence touch;
  touch.press({10, 20}, {30, 40}).move({20, 60}, {30, 80}, 4).release();
  const std::vector<MultipointSample> s = touch.samples();
  ASSERT_EQ(s.size(), 6U) << "a press, four moves, the release";
  EXPECT_EQ(s[1].firstX, 50U) << "a quarter of the way: x 12.5 px is 50 quarter pixels";
  EXPECT_EQ(s[4].firstY, 240U) << "the last move ends on its target";
  EXPECT_EQ(s[4].secondY, 320U);
  EXPECT_EQ(s[5].pointCount, 0U);
  EXPECT_EQ(s[5].firstX, s[4].firstX) << "the fingers lift where they were";

  const std::vector<TouchSequence::Message> m =
      TouchSequence().press({100.6, 7}).move({3, 200}, {5, 6}).release().messages();
  ASSERT_EQ(m.size(), 3U);
  EXPECT_EQ(m[0].message, WM_APP_TOUCH);
  EXPECT_EQ(m[0].wParam, touchSinglePointWParam) << "one finger";
  EXPECT_EQ(m[0].lParam, PackedPoint::pack(100, 7))
      << "quarter pixels truncate to pixels, as in the hook";
  EXPECT_EQ(m[1].wParam, touchSinglePointWParam) << "a move keeps the finger count";
  EXPECT_EQ(m[1].lParam, PackedPoint::pack(3, 200));
  EXPECT_EQ(m[2].message, WM_APP_TOUCH_END);
  const TouchSequence::Message two = TouchSequence::message({2, {1, 2}, {3, 4}});
  EXPECT_EQ(two.wParam, PackedPoint::pack(3, 4)) << "the second point goes in wParam";
  EXPECT_EQ(two.lParam, PackedPoint::pack(1, 2));
}

}  // namespace
