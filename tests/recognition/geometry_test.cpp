#include "recognition/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using Geometry::largestDouble;
using Geometry::Point2D;
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

TEST(Point2DTest, SquaredDistanceTruncatesAndSaturatesBeyondThirtyTwoBits) {
  EXPECT_EQ(Geometry::squaredDistance({0, 0}, {3.9, 0}), 15);
  constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
  // 46341^2 = 2147488281 is the first square past 2^31 - 1.
  EXPECT_EQ(Geometry::squaredDistance({0, 0}, {46340, 0}), 2147395600);
  EXPECT_EQ(Geometry::squaredDistance({0, 0}, {46341, 0}), int32Max);
  EXPECT_EQ(Geometry::squaredDistance({-2147483648.0, 0}, {2147483647.0, 0}), int32Max);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Geometry::squaredDistance({nan, 0}, {0, 0}), int32Max);
  EXPECT_EQ(Geometry::squaredDistance({inf, 0}, {0, 0}), int32Max);
}

TEST(Point2DTest, QuarterTurnTurnsRightIntoUpAndFourComeBack) {
  Point2D right(1, 0);
  Geometry::rotateQuarterTurn(right);
  EXPECT_EQ(right, Point2D(0, -1));  // y grows downwards: this points up
  const Point2D start(123.25, -47.5);
  Point2D p = start;
  for (int i = 0; i < 4; ++i) {
    Geometry::rotateQuarterTurn(p);
  }
  EXPECT_EQ(p, start);
}

}  // namespace
