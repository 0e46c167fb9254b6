#include "recognition/geometry.h"

#include <cmath>
#include <limits>
#include <utility>

namespace Geometry {

std::int32_t squaredDistance(const Point2D& a, const Point2D& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  // The exact square, rounded once, as raising to the power 2.0 gives it.
  const double sum = dx * dx + dy * dy;
  constexpr double limit = 2147483648.0;  // 2^31
  if (!(sum < limit)) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(sum);  // sum >= 0: truncation toward zero
}

void swapPoints(Point2D& a, Point2D& b) { std::swap(a, b); }

void rotateQuarterTurn(Point2D& p) {
  const double oldX = p.x;
  p.x = p.y;
  p.y = -oldX;
}

bool contains(const Rect2D& r, double px, double py) {
  return px > r.x && px < r.x + r.width && py > r.y && py < r.y + r.height;
}

namespace {
double largerSide(const Rect2D& r) { return r.width > r.height ? r.width : r.height; }
}  // namespace

bool isSmallerThan(const Rect2D& a, const Rect2D& b) { return largerSide(a) < largerSide(b); }

}  // namespace Geometry
