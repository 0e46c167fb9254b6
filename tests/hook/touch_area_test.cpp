#include "hook/touch_area.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace {

using Geometry::Rect2D;
using TouchArea::Fields;

TEST(TouchAreaScanTest, ScansLikeTheCFormatAndClampsOutOfRangeNumbers) {
  const std::wstring huge(400, L'9');
  struct Case {
    std::wstring text;
    int count;
    Fields fields;
  };
  const Case cases[] = {
      {L"0,200,480,400", 4, {0, 200, 480, 400}},
      {L"-5,+6,007,8,9 trailing", 4, {-5, 6, 7, 8}},
      {L" \t1,\r\n2, 3,\v\f4", 4, {1, 2, 3, 4}},  // blanks before numbers only
      {L"1 ,2,3,4", 1, {1, 0, 0, 0}},
      {L"", 0, {0, 0, 0, 0}},
      {L"abc", 0, {0, 0, 0, 0}},
      {L"10,20,", 2, {10, 20, 0, 0}},
      {L"1,,3,4", 1, {1, 0, 0, 0}},
      {L"1,-,3,4", 1, {1, 0, 0, 0}},
      {L"12px,3", 1, {12, 0, 0, 0}},
      {std::wstring(L"1,2\0,3,4", 8), 2, {1, 2, 0, 0}},
      {L"2147483647,-2147483648,2147483648,-2147483649",
       4,
       {INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN}},
      {huge + L",-" + huge + L",1,2", 4, {INT32_MAX, INT32_MIN, 1, 2}},
  };
  for (const Case& c : cases) {
    Fields f = {0, 0, 0, 0};
    EXPECT_EQ(TouchArea::scan(c.text, f), c.count) << testing::PrintToString(c.text);
    EXPECT_EQ(f, c.fields) << testing::PrintToString(c.text);
  }
}

bool same(const Rect2D& a, const Rect2D& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Readers racing a writer that keeps alternating two rectangles must only
// ever see one of them whole.
TEST(SharedRectTest, ReadersSeeWholeStoresOnly) {
  const Rect2D a(1, 2, 3, 4);
  const Rect2D b(-10, -20, -30, -40);
  SharedRect shared;
  EXPECT_TRUE(same(shared.load(), Rect2D()));
  shared.store(a);
  std::atomic<bool> done{false};
  std::atomic<long> torn{0};
  auto reader = [&] {
    while (!done.load()) {
      const Rect2D r = shared.load();
      if (!same(r, a) && !same(r, b)) torn.fetch_add(1);
    }
  };
  std::thread r1(reader);
  std::thread r2(reader);
  for (int i = 0; i < 200000; ++i) shared.store(i % 2 == 0 ? b : a);
  done.store(true);
  r1.join();
  r2.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_TRUE(same(shared.load(), a));
}

}  // namespace
