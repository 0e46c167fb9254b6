// The resampling walk written the plain way: every interpolated point is
// inserted into the source path so that the next pass measures from it. It
// is quadratic in the path's length and serves only as the reference the
// linear implementation must match bit for bit.
#pragma once

#include <cmath>
#include <cstddef>

#include "recognition/geometry.h"

namespace Reference {

inline double distance(const Geometry::Point2D& a, const Geometry::Point2D& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

inline Geometry::Path2D resample(Geometry::Path2D src, int numPoints = 32) {
  double length = 0.0;
  for (std::size_t i = 1; i < src.size(); ++i) length += distance(src[i - 1], src[i]);
  const double interval = length / static_cast<double>(numPoints - 1);
  double accumulated = 0.0;
  Geometry::Path2D r;
  r.push_back(src[0]);
  for (std::size_t i = 1; i < src.size(); ++i) {
    const Geometry::Point2D prev = src[i - 1];
    const Geometry::Point2D cur = src[i];
    const double d = distance(prev, cur);
    if (accumulated + d >= interval) {
      const double t = (interval - accumulated) / d;
      const Geometry::Point2D q(prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y));
      r.push_back(q);
      src.insert(src.begin() + static_cast<std::ptrdiff_t>(i), q);
      accumulated = 0.0;
    } else {
      accumulated += d;
    }
  }
  if (r.size() == static_cast<std::size_t>(numPoints) - 1) r.push_back(src.back());
  return r;
}

}  // namespace Reference
