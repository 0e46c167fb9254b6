#include "recognition/geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Geometry::Rect2D;

TEST(Rect2DTest, ContainsIsStrictOnEveryEdge) {
  const Rect2D r(10, 20, 100, 50);  // right edge 110, bottom edge 70
  EXPECT_FALSE(Geometry::contains(r, 10, 40));
  EXPECT_FALSE(Geometry::contains(r, 110, 40));
  EXPECT_FALSE(Geometry::contains(r, 50, 20));
  EXPECT_FALSE(Geometry::contains(r, 50, 70));
  EXPECT_TRUE(Geometry::contains(r, 11, 21));
  EXPECT_TRUE(Geometry::contains(r, 109, 69));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(Geometry::contains(r, nan, 40));
  EXPECT_FALSE(Geometry::contains(r, 50, nan));
}

TEST(Rect2DTest, IsSmallerThanComparesTheLargerSides) {
  const Rect2D cutoff(0, 0, 30, 30);
  EXPECT_FALSE(Geometry::isSmallerThan(Rect2D(0, 0, 200, 3), cutoff));
  EXPECT_TRUE(Geometry::isSmallerThan(Rect2D(0, 0, 20, 25), cutoff));
  EXPECT_FALSE(Geometry::isSmallerThan(Rect2D(0, 0, 30, 30), cutoff));  // strict
  EXPECT_FALSE(Geometry::isSmallerThan(Rect2D(), cutoff));
  EXPECT_TRUE(Geometry::isSmallerThan(cutoff, Rect2D()));
}

}  // namespace
