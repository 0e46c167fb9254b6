#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

#include "result_writer.h"
#include "stroke_parser.h"

namespace {

using Gestures::RecognitionResult;
using StrokeText::ParsedLine;
using StrokeText::parseLine;

constexpr double inf = std::numeric_limits<double>::infinity();

// Labels, points, times, comments, blank and CRLF lines are read from every
// recorded stroke file and by zem-recognize's check (recognize_cli_test.cmake).
TEST(StrokeTextParseTest, MissingTimesLoneLabelsAndNonFiniteNumbers) {
  const ParsedLine a = parseLine("a 66,252@0 -1e2,3 inf,2 -infinity,3 nan,1");
  ASSERT_EQ(a.kind, ParsedLine::Kind::stroke) << a.error;
  EXPECT_EQ(a.stroke.times[0], 0.0);
  EXPECT_TRUE(std::isnan(a.stroke.times[1]));
  EXPECT_EQ(a.stroke.points[1], Geometry::Point2D(-100, 3));
  EXPECT_EQ(a.stroke.points[2].x, inf);
  EXPECT_EQ(a.stroke.points[3].x, -inf);
  EXPECT_TRUE(std::isnan(a.stroke.points[4].x));
  const ParsedLine alone = parseLine("a#b 1,2");  // a label alone is an empty stroke
  EXPECT_TRUE(alone.stroke.hasLabel && alone.stroke.label == "a" && alone.stroke.points.empty());
}

TEST(StrokeTextParseTest, MalformedTokensNameTheToken) {
  const std::pair<const char*, const char*> cases[] = {
      {"a 1,x", R"(bad point "1,x")"},
      {"a 1,2,3", R"(bad point "1,2,3")"},
      {"a 1,2@", R"(bad point "1,2@")"},
      {"a +1,2", R"(bad point "+1,2")"},
      {"a 1 ,2", R"(second label "1")"},
      {"1,2 b", R"(bad point "b")"},
      {"a 1e999,2", R"(bad point "1e999,2": number out of range)"},
      {"a 1,\x01\"\\", R"(bad point "1,\x01\"\\")"},
  };
  for (const auto& [line, error] : cases) {
    EXPECT_EQ(parseLine(line).kind, ParsedLine::Kind::malformed) << line;
    EXPECT_EQ(parseLine(line).error, error) << line;
  }
  EXPECT_EQ(parseLine("a 1," + std::string(1 << 20, 'z')).error,
            "bad point \"1," + std::string(58, 'z') + "...\"");
}

TEST(StrokeTextFormatTest, DoublesReadBackExactly) {
  for (const double v : {1.0 / 3.0, -2.5e-7, 4.9e-324, -0.0, Geometry::largestDouble}) {
    const std::string text = StrokeText::formatDouble(v);
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::memcmp(&v, &back, sizeof v), 0) << text;
  }
}

TEST(StrokeTextFormatTest, JsonAndTableRecords) {
  RecognitionResult r{1, L"SwipeRight", 0.1, 158, {40, 300, 400, 0}};
  r.score = std::numeric_limits<double>::quiet_NaN();
  r.bounds = {-inf, inf, 12.25, 0};
  EXPECT_EQ(StrokeText::jsonRecord("q\"", r),
            R"({"label":"q\"","id":1,"name":"SwipeRight","score":null,)"
            R"("bitmapId":158,"bounds":{"x":null,"y":null,"width":12.25,"height":0}})");

  std::ostringstream out;
  StrokeText::ResultWriter table(out, StrokeText::OutputFormat::table, false);
  table.write("a-long-label\x01",
              {1, L"SwipeRight", 0.97240941385749846, 158, {23.04, -0.04, 151, 12.26}});
  table.write("b", RecognitionResult{});
  table.finish();
  EXPECT_EQ(out.str().substr(out.str().find('\n') + 1),  // after the header
            "a-long-label?  SwipeRight   1  0.972      158  23.0  0.0  151.0    12.3\n"
            "b              Unknown      0  0.000        -     -    -      -       -\n");
}

}  // namespace
