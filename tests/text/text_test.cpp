#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/integer_list.h"
#include "text/json.h"
#include "text/lower_case.h"
#include "text/utf8.h"

namespace {

wchar_t unit(int code) { return static_cast<wchar_t>(code); }

// UTF-16 bytes to text and back keep every unit, surrogates paired or not:
// the registry fuzz target reads any bytes back so.

TEST(LowerCaseTest, UsesAFixedTable) {
  // ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, Armenian, Latin Extended
  // Additional, full-width; everything else stays.
  EXPECT_EQ(Text::lowerCased(L"TMail.EXE @[`{ 09\u00C0\u00DE\u00D7\u00DF\u0100\u0141\u0178"
                             L"\u0130\u0131\u0386\u0391\u03A3\u03A9\u03C9\u0401\u0416\u042F"
                             L"\u0460\u04C0\u0531\u1E9E\u1EA0\uFF21\uFF3A\U0001F600"),
            L"tmail.exe @[`{ 09\u00E0\u00FE\u00D7\u00DF\u0101\u0142\u00FF\u0069\u0131\u03AC"
            L"\u03B1\u03C3\u03C9\u03C9\u0451\u0436\u044F\u0461\u04CF\u0561\u00DF\u1EA1\uFF41"
            L"\uFF5A\U0001F600");
}

// fromUtf8 refusing malformed input: the scenario fuzz target converts every
// text it accepts back to the same bytes.
TEST(Utf8Test, BadUnitsAndBytesBecomeReplacements) {
  EXPECT_EQ(Text::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
            L"caf\u00E9 \u20AC \U0001F600");
  EXPECT_EQ(Text::utf16ToUtf8(u"a\xD83D"), "a\xEF\xBF\xBD");       // unpaired high
  EXPECT_EQ(Text::utf16ToUtf8(u"\xDE00z"), "\xEF\xBF\xBDz");       // lone low
  EXPECT_EQ(Text::utf32ToUtf8(U"\x110000"), "\xEF\xBF\xBD");       // beyond Unicode
  EXPECT_EQ(Text::toUtf8({unit(0xD800), L'x'}), "\xEF\xBF\xBDx");  // either wchar_t width
  // A lone continuation, an overlong slash, a cut sequence.
  const std::string text =
      "a\x80"
      "b\xC0\xAF"
      "c\xE2\x82";
  EXPECT_EQ(Text::fromUtf8Lossy(text), L"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD");
}

TEST(JsonStringTest, EscapesControlsAndReplacesMalformedBytes) {
  EXPECT_EQ(Text::jsonString(std::string("a\"b\\\n\t\r\b\f\x01\x1f\x7f\0", 13)),
            "\"a\\\"b\\\\\\n\\t\\r\\b\\f\\u0001\\u001f\x7f\\u0000\"");
  // A stray continuation byte, an overlong '/', a surrogate, a cut sequence:
  // one replacement for each byte that starts no well-formed sequence.
  EXPECT_EQ(Text::jsonString("caf\xC3\xA9 \x80x\xC0\xAF\xED\xA0\x80\xE2\x82"),
            "\"caf\xC3\xA9 "
            R"(\ufffdx\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd")");
}

// The outcome of "%d,%d,...": blanks only before numbers, a comma right
// after each number, fields not reached keep their values; out-of-range
// numbers clamp. (The fuzz target lock_touch compares with swscanf on every
// input.)
TEST(IntegerListTest, ScansLikeTheCFormatAndClampsOutOfRangeNumbers) {
  constexpr std::int32_t untouched = -7;
  const std::wstring huge(400, L'9');
  const struct {
    std::wstring text;
    std::size_t count;
    std::array<std::int32_t, 4> fields;
  } cases[] = {
      {L" \t1,\r\n2, 3,\v\f4", 4, {1, 2, 3, 4}},
      {L"1 ,2,3,4", 1, {1, untouched, untouched, untouched}},
      {std::wstring(L"1,2\0,3,4", 8), 2, {1, 2, untouched, untouched}},
      {L"\uFF11,2", 0, {untouched, untouched, untouched, untouched}},  // full-width digit
      {L"2147483647,-2147483648,2147483648,-2147483649",
       4,
       {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}},
      {huge + L",-" + huge + L",1,2", 4, {INT32_MAX, INT32_MIN, 1, 2}},
  };
  for (const auto& c : cases) {
    std::array<std::int32_t, 4> fields = {untouched, untouched, untouched, untouched};
    EXPECT_EQ(Text::scanIntegers(c.text, fields), c.count) << testing::PrintToString(c.text);
    EXPECT_EQ(fields, c.fields) << testing::PrintToString(c.text);
  }
  std::array<std::int32_t, 2> two = {0, 0};  // stops at the field count
  EXPECT_EQ(Text::scanIntegers(L"1,2,3", two), 2U);
  EXPECT_EQ(two, (std::array<std::int32_t, 2>{1, 2}));
  EXPECT_EQ(Text::scanIntegers(L"1,2", nullptr, 0), 0U);
}

}  // namespace
