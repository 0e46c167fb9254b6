#include "hook/touch_area.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The scanner itself is the settings texts' one (tests/text); here what the
// hook adds: at most `size` characters are read, the registry's buffer need
// not end in a NUL, and the fields not reached keep their values.
TEST(TouchAreaScanTest, ReadsNoFurtherThanTheGivenSize) {
  const std::wstring text = L"10,20,30,40";
  TouchArea::Fields f = {-1, -1, -1, -1};
  EXPECT_EQ(TouchArea::scan(text.data(), 5, f), 2);  // "10,20"
  EXPECT_EQ(f, (TouchArea::Fields{10, 20, -1, -1}));
  EXPECT_EQ(TouchArea::scan(text, f), 4);
  EXPECT_EQ(f, (TouchArea::Fields{10, 20, 30, 40}));
}

}  // namespace
