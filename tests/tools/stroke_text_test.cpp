#include "stroke_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Geometry::Point2D;
using Gestures::RecognitionResult;
using StrokeText::ParsedLine;
using StrokeText::parseLine;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

RecognitionResult swipeRight() {
  RecognitionResult r;
  r.id = 1;
  r.name = L"SwipeRight";
  r.score = 0.1;
  r.bitmapId = 158;
  r.bounds = {40, 300, 400, 0};
  return r;
}

TEST(StrokeTextParseTest, LabelsPointsAndOptionalTimes) {
  const ParsedLine a = parseLine("s02-fast-x01 66,252@0 68.5,-249@17.25 -1e2,3");
  ASSERT_EQ(a.kind, ParsedLine::Kind::Stroke);
  EXPECT_TRUE(a.stroke.hasLabel);
  EXPECT_EQ(a.stroke.label, "s02-fast-x01");
  ASSERT_EQ(a.stroke.points.size(), 3U);
  EXPECT_EQ(a.stroke.points[1], Point2D(68.5, -249));
  EXPECT_EQ(a.stroke.points[2], Point2D(-100, 3));
  ASSERT_EQ(a.stroke.times.size(), 3U);
  EXPECT_EQ(a.stroke.times[0], 0.0);
  EXPECT_EQ(a.stroke.times[1], 17.25);
  EXPECT_TRUE(std::isnan(a.stroke.times[2]));

  const ParsedLine unlabelled = parseLine("  1,2\t3,4  ");
  ASSERT_EQ(unlabelled.kind, ParsedLine::Kind::Stroke);
  EXPECT_FALSE(unlabelled.stroke.hasLabel);
  EXPECT_EQ(unlabelled.stroke.points.size(), 2U);

  // A label alone is an empty stroke, not an error; bytes are kept as written.
  const ParsedLine alone = parseLine("caf\xC3\xA9@home");
  ASSERT_EQ(alone.kind, ParsedLine::Kind::Stroke);
  EXPECT_EQ(alone.stroke.label, "caf\xC3\xA9@home");
  EXPECT_TRUE(alone.stroke.points.empty());
}

TEST(StrokeTextParseTest, CommentsBlankLinesAndCrlf) {
  for (const char* blank : {"", "   \t", "# only a comment", "  # indented comment", "\r"}) {
    EXPECT_EQ(parseLine(blank).kind, ParsedLine::Kind::Blank) << blank;
  }
  const ParsedLine commented = parseLine("a#b 1,2 # 3,4");
  ASSERT_EQ(commented.kind, ParsedLine::Kind::Stroke);
  EXPECT_EQ(commented.stroke.label, "a");
  EXPECT_TRUE(commented.stroke.points.empty());

  const ParsedLine crlf = parseLine("a 1,2@5 3,4\r");
  ASSERT_EQ(crlf.kind, ParsedLine::Kind::Stroke);
  EXPECT_EQ(crlf.stroke.points.back(), Point2D(3, 4));
  EXPECT_EQ(parseLine("a 1,2@5\r").stroke.times.back(), 5.0);
}

TEST(StrokeTextParseTest, NonFiniteNumbersAreValidPoints) {
  const ParsedLine line = parseLine("x nan,1 inf,2 -infinity,3 4,5@nan");
  ASSERT_EQ(line.kind, ParsedLine::Kind::Stroke) << line.error;
  ASSERT_EQ(line.stroke.points.size(), 4U);
  EXPECT_TRUE(std::isnan(line.stroke.points[0].x));
  EXPECT_EQ(line.stroke.points[1].x, inf);
  EXPECT_EQ(line.stroke.points[2].x, -inf);

  Gestures::Recognizer recognizer;
  recognizer.addBuiltInTemplates();
  const RecognitionResult r = recognizer.recognize(line.stroke.points);
  EXPECT_EQ(r.id, 0);
  EXPECT_EQ(r.name, L"Unknown");
}

TEST(StrokeTextParseTest, MalformedTokensNameTheToken) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"a 1,x", R"(bad point "1,x")"},
      {"a 1,2,3", R"(bad point "1,2,3")"},
      {"a 1,2@", R"(bad point "1,2@")"},
      {"a 1,2@3@4", R"(bad point "1,2@3@4")"},
      {"a ,2", R"(bad point ",2")"},
      {"a 1,", R"(bad point "1,")"},
      {"a +1,2", R"(bad point "+1,2")"},  // from_chars takes no plus sign
      {"a 1 ,2", R"(second label "1")"},
      {"a b 1,2", R"(second label "b")"},
      {"1,2 b", R"(bad point "b")"},
      {"a 1e999,2", R"(bad point "1e999,2": number out of range)"},
      {"a 1,\x01\"\\", R"(bad point "1,\x01\"\\")"},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = parseLine(c.line);
    EXPECT_EQ(parsed.kind, ParsedLine::Kind::Malformed) << c.line;
    EXPECT_EQ(parsed.error, c.error) << c.line;
  }
  // A huge token is quoted in part only.
  const ParsedLine huge = parseLine("a 1," + std::string(1 << 20, 'z'));
  EXPECT_EQ(huge.error, "bad point \"1," + std::string(58, 'z') + "...\"");
}

TEST(StrokeTextFormatTest, DoublesCarrySeventeenDigitsAndReadBackExactly) {
  EXPECT_EQ(StrokeText::formatDouble(0.1), "0.10000000000000001");
  EXPECT_EQ(StrokeText::formatDouble(400.0), "400");
  EXPECT_EQ(StrokeText::formatDouble(Geometry::largestDouble), "1.7976931348623157e+308");
  for (const double v : {0.1, 1.0 / 3.0, -2.5e-7, 176.7766952966369, 4.9e-324, -0.0, 1e300}) {
    const std::string text = StrokeText::formatDouble(v);
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(std::memcmp(&v, &back, sizeof v), 0) << text;
  }
}

TEST(StrokeTextFormatTest, WideNamesBecomeUtf8) {
  EXPECT_EQ(StrokeText::wideToUtf8(L"SwipeRight"), "SwipeRight");
  EXPECT_EQ(StrokeText::wideToUtf8(L"\u00e9\u20ac\U0001F600"),
            "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(StrokeText::utf16ToUtf8(u"a\xD83D\xDE00z"), "a\xF0\x9F\x98\x80z");
  const std::u16string unpaired = {u'a', 0xD83D, u'b', 0xDE00};
  EXPECT_EQ(StrokeText::utf16ToUtf8(unpaired),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  const std::u32string outOfRange = {0x110000, 0xD800, U'\U0010FFFF'};
  EXPECT_EQ(StrokeText::utf32ToUtf8(outOfRange), "\xEF\xBF\xBD\xEF\xBF\xBD\xF4\x8F\xBF\xBF");
}

TEST(StrokeTextFormatTest, JsonStringsAreEscapedAndValidUtf8) {
  EXPECT_EQ(StrokeText::jsonString("a\"b\\c"), R"("a\"b\\c")");
  EXPECT_EQ(StrokeText::jsonString(std::string("\n\t\r\b\f\x01\x1f\x7f", 8)),
            "\"\\n\\t\\r\\b\\f\\u0001\\u001f\x7f\"");
  EXPECT_EQ(StrokeText::jsonString(std::string("\0", 1)), R"("\u0000")");
  EXPECT_EQ(StrokeText::jsonString("caf\xC3\xA9 \xF0\x9F\x98\x80"),
            "\"caf\xC3\xA9 \xF0\x9F\x98\x80\"");
  // A stray continuation byte, an overlong '/', a surrogate, a cut sequence.
  EXPECT_EQ(StrokeText::jsonString("\x80x\xC0\xAF\xED\xA0\x80\xE2\x82"),
            R"("\ufffdx\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd")");
}

TEST(StrokeTextFormatTest, RecordsInEveryFormat) {
  EXPECT_EQ(StrokeText::tsvRecord("a", swipeRight()),
            "a\t1\tSwipeRight\t0.10000000000000001\t158\t40\t300\t400\t0");
  EXPECT_EQ(StrokeText::tsvRecord("-:3", RecognitionResult{}),
            "-:3\t0\tUnknown\t0\t0\t0\t0\t1.7976931348623157e+308\t1.7976931348623157e+308");
  EXPECT_EQ(StrokeText::jsonRecord("q\"", swipeRight()),
            R"({"label":"q\"","id":1,"name":"SwipeRight","score":0.10000000000000001,)"
            R"("bitmapId":158,"bounds":{"x":40,"y":300,"width":400,"height":0}})");
  RecognitionResult odd = swipeRight();
  odd.score = nan;
  odd.bounds = {-inf, inf, nan, 1.5};
  EXPECT_EQ(StrokeText::jsonRecord("x", odd),
            R"({"label":"x","id":1,"name":"SwipeRight","score":null,)"
            R"("bitmapId":158,"bounds":{"x":null,"y":null,"width":null,"height":1.5}})");
}

TEST(StrokeTextFormatTest, TableAlignsRoundedColumns) {
  std::ostringstream out;
  StrokeText::ResultWriter writer(out, StrokeText::OutputFormat::Table, false);
  RecognitionResult r = swipeRight();
  r.score = 0.97240941385749846;
  r.bounds = {23.04, -0.04, 151, 12.26};
  writer.write("a-long-label\x01", r);
  writer.write("b", RecognitionResult{});
  writer.finish();
  std::istringstream lines(out.str());
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 3U);
  EXPECT_EQ(rows[0].rfind("LABEL ", 0), 0U);
  EXPECT_EQ(rows[1], "a-long-label?  SwipeRight   1  0.972      158  23.0  0.0  151.0    12.3");
  EXPECT_EQ(rows[2], "b              Unknown      0  0.000        -     -    -      -       -");
  EXPECT_EQ(rows[0].size(), rows[1].size());
}

TEST(StrokeTextStreamTest, GoodLinesSurviveBadOnes) {
  std::istringstream in(
      "\xEF\xBB\xBF"
      "a 0,0 100,0\r\n\r\n# c\n0,0 0,100\nb 1,x\nc\n");
  std::ostringstream out;
  std::ostringstream diagnostics;
  Gestures::Recognizer recognizer;
  recognizer.addBuiltInTemplates();
  StrokeText::ResultWriter writer(out, StrokeText::OutputFormat::Tsv, true);
  EXPECT_FALSE(StrokeText::recognizeStream(in, "in.txt", recognizer, writer, diagnostics));
  writer.finish();
  EXPECT_EQ(diagnostics.str(), "in.txt:5: bad point \"1,x\"\n");
  std::istringstream lines(out.str());
  std::vector<std::string> labels;
  for (std::string line; std::getline(lines, line);)
    labels.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(labels, (std::vector<std::string>{"label", "a", "in.txt:4", "c"}));
  EXPECT_NE(out.str().find("in.txt:4\t4\tSwipeDown\t"), std::string::npos);
}

TEST(StrokeTextStreamTest, MillionPointStroke) {
  std::string text = "big";
  for (int i = 0; i < 1000000; ++i) text += ' ' + std::to_string(i) + ",7@" + std::to_string(i);
  std::istringstream in(text);
  std::ostringstream out;
  std::ostringstream diagnostics;
  Gestures::Recognizer recognizer;
  recognizer.addBuiltInTemplates();
  StrokeText::ResultWriter writer(out, StrokeText::OutputFormat::Json, false);
  EXPECT_TRUE(StrokeText::recognizeStream(in, "-", recognizer, writer, diagnostics));
  EXPECT_EQ(out.str().rfind(R"({"label":"big","id":1,"name":"SwipeRight")", 0), 0U) << out.str();
  EXPECT_EQ(diagnostics.str(), "");
}

}  // namespace
