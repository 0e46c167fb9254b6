// Geometry values that carry every coordinate of the system: screen pixels as
// delivered by the touch panel (x to the right, y downwards), or units of the
// recogniser's reference square after normalisation.
#pragma once

#include <cstdint>
#include <vector>

namespace Geometry {

// The largest finite double; its negation starts maximum searches.
inline constexpr double largestDouble = 1.7976931348623157e308;

struct Point2D {
  double x = 0.0;
  double y = 0.0;

  constexpr Point2D() = default;
  constexpr Point2D(double px, double py) : x(px), y(py) {}

  friend constexpr bool operator==(const Point2D& a, const Point2D& b) {
    return a.x == b.x && a.y == b.y;
  }
  friend constexpr bool operator!=(const Point2D& a, const Point2D& b) { return !(a == b); }
};

// An ordered stroke; a copy is a deep copy.
using Path2D = std::vector<Point2D>;

// Axis-aligned rectangle: (x, y) is the top-left corner on screen. The default
// rectangle starts at the origin and is unbounded to the right and downwards.
struct Rect2D {
  double x = 0.0;
  double y = 0.0;
  double width = largestDouble;
  double height = largestDouble;

  constexpr Rect2D() = default;
  constexpr Rect2D(double rx, double ry, double rwidth, double rheight)
      : x(rx), y(ry), width(rwidth), height(rheight) {}
};

// (a.x - b.x)^2 + (a.y - b.y)^2 truncated toward zero to 32 bits. Screen
// coordinates stay far below the limit (at most 870,400); a sum beyond the
// 32-bit range, or one that is not a number, saturates to INT32_MAX, so a
// faulty position always counts as far away.
std::int32_t squaredDistance(const Point2D& a, const Point2D& b);

void swapPoints(Point2D& a, Point2D& b);

// In place: new x = old y, new y = -(old x). On screen a vector pointing right
// then points up.
void rotateQuarterTurn(Point2D& p);

// Strict hit test: a point on any edge is outside.
bool contains(const Rect2D& r, double px, double py);

// Compares the larger sides of the two rectangles.
bool isSmallerThan(const Rect2D& a, const Rect2D& b);

}  // namespace Geometry
