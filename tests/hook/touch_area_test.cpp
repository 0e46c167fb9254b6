#include "hook/touch_area.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// The outcome of "%d,%d,%d,%d": blanks only before numbers, a comma right
// after each number, fields not reached stay 0; out-of-range numbers clamp.
TEST(TouchAreaScanTest, ScansLikeTheCFormatAndClampsOutOfRangeNumbers) {
  const std::wstring huge(400, L'9');
  const struct {
    std::wstring text;
    int count;
    TouchArea::Fields fields;
  } cases[] = {
      {L"-5,+6,007,8,9 trailing", 4, {-5, 6, 7, 8}},
      {L" \t1,\r\n2, 3,\v\f4", 4, {1, 2, 3, 4}},
      {L"1 ,2,3,4", 1, {1, 0, 0, 0}},
      {L"", 0, {0, 0, 0, 0}},
      {L"10,20,", 2, {10, 20, 0, 0}},
      {L"1,,3,4", 1, {1, 0, 0, 0}},
      {L"1,-,3,4", 1, {1, 0, 0, 0}},
      {std::wstring(L"1,2\0,3,4", 8), 2, {1, 2, 0, 0}},
      {L"2147483647,-2147483648,2147483648,-2147483649",
       4,
       {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}},
      {huge + L",-" + huge + L",1,2", 4, {INT32_MAX, INT32_MIN, 1, 2}},
  };
  for (const auto& c : cases) {
    TouchArea::Fields f = {0, 0, 0, 0};
    EXPECT_EQ(TouchArea::scan(c.text, f), c.count) << testing::PrintToString(c.text);
    EXPECT_EQ(f, c.fields) << testing::PrintToString(c.text);
  }
}

}  // namespace
