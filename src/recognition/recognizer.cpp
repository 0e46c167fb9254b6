#include "recognition/recognizer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace Gestures {

namespace {
// Fixed from 2 x 250^2; deliberately independent of the square size.
constexpr double diagonalSquared = 125000.0;
}  // namespace

Recognizer::Recognizer() : halfDiagonal_(0.5 * std::sqrt(diagonalSquared)) {}

int Recognizer::addTemplate(std::int32_t id, std::wstring name, Path2D points,
                            std::int32_t bitmapId) {
  normalize(points);
  templates_.emplace_back(id, std::move(name), std::move(points), bitmapId);
  const std::wstring& added = templates_.back().name;
  return static_cast<int>(std::count_if(templates_.begin(), templates_.end(),
                                        [&](const Template& t) { return t.name == added; }));
}

RecognitionResult Recognizer::recognize(Path2D stroke) {
  if (templates_.empty() || stroke.empty()) {
    return {};
  }
  normalize(stroke);
  if (stroke.empty()) {
    return {};
  }
  double best = Geometry::largestDouble;
  std::ptrdiff_t bestIndex = -1;
  for (std::size_t i = 0; i < templates_.size(); ++i) {
    const double d = pathDistance(stroke, templates_[i].points);
    if (d < best) {  // strict: on a tie the earlier template wins
      best = d;
      bestIndex = static_cast<std::ptrdiff_t>(i);
    }
  }
  if (bestIndex < 0) {
    return {};
  }
  const Template& t = templates_[static_cast<std::size_t>(bestIndex)];
  RecognitionResult result;
  result.id = t.id;
  result.name = t.name;
  result.score = 1.0 - best / halfDiagonal_;
  result.bitmapId = t.bitmapId;
  result.bounds = lastBounds_;
  return result;
}

void Recognizer::normalize(Path2D& path) {
  path = resample(path);
  scaleToSquare(path);
  translateToOrigin(path);
  // The scaling is about the coordinate origin, so a tiny extent far from it
  // scales the coordinates past the largest double: no shape is left to match.
  const auto usable = [](const Point2D& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  if (!std::all_of(path.begin(), path.end(), usable)) path.clear();
}

// Walks the polyline once, carrying the position of the last emitted point in
// `prev`. Measuring from an emitted point to the same source point on the next
// pass gives exactly what inserting the emitted point into the source path
// would give, without moving the path's tail: linear instead of quadratic.
Path2D Recognizer::resample(const Path2D& src) const {
  Path2D out;
  if (src.empty()) {
    return out;
  }
  const double interval = pathLength(src) / static_cast<double>(numPoints_ - 1);
  if (!(interval > 0.0) || !std::isfinite(interval)) {
    return out;  // coincident or non-finite points: no equidistant points exist
  }
  // A legitimate stroke yields numPoints points (rounding may add one). Far
  // more means an interval too small to move a coordinate this large, which
  // would otherwise emit the same point for ever.
  const std::size_t runaway = 2 * static_cast<std::size_t>(numPoints_);
  out.reserve(static_cast<std::size_t>(numPoints_) + 1);
  out.push_back(src.front());

  Point2D prev = src.front();
  double accumulated = 0.0;
  std::size_t i = 1;
  while (i < src.size()) {
    const Point2D& cur = src[i];
    const double d = distance(prev, cur);
    if (accumulated + d >= interval) {
      const double t = (interval - accumulated) / d;
      const Point2D q(prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y));
      out.push_back(q);
      if (out.size() > runaway) {
        return {};
      }
      prev = q;  // the next pass measures from q to the same source point
      accumulated = 0.0;
    } else {
      accumulated += d;
      prev = cur;
      ++i;
    }
  }
  if (out.size() == static_cast<std::size_t>(numPoints_) - 1) {
    out.push_back(src.back());
  }
  return out;
}

double Recognizer::pathLength(const Path2D& path) {
  double length = 0.0;
  for (std::size_t i = 1; i < path.size(); ++i) {
    length += distance(path[i - 1], path[i]);
  }
  return length;
}

double Recognizer::distance(const Point2D& a, const Point2D& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

Rect2D Recognizer::boundingBox(const Path2D& path) {
  double minX = Geometry::largestDouble;
  double minY = Geometry::largestDouble;
  double maxX = -Geometry::largestDouble;
  double maxY = -Geometry::largestDouble;
  for (const Point2D& p : path) {
    if (p.x < minX) minX = p.x;
    if (p.x > maxX) maxX = p.x;
    if (p.y < minY) minY = p.y;
    if (p.y > maxY) maxY = p.y;
  }
  return Rect2D(minX, minY, maxX - minX, maxY - minY);
}

void Recognizer::scaleToSquare(Path2D& path) {
  const Rect2D box = boundingBox(path);
  lastBounds_ = box;
  const double side = box.width > box.height ? box.width : box.height;
  const double factor = static_cast<double>(squareSize_) / side;
  for (Point2D& p : path) {
    p.x = p.x * factor;
    p.y = p.y * factor;
  }
}

Point2D Recognizer::centroid(const Path2D& path) {
  if (path.empty()) {
    return {};
  }
  double sumX = 0.0;
  double sumY = 0.0;
  for (const Point2D& p : path) {
    sumX += p.x;
    sumY += p.y;
  }
  const auto count = static_cast<double>(path.size());
  return {sumX / count, sumY / count};
}

void Recognizer::translateToOrigin(Path2D& path) {
  const Point2D c = centroid(path);
  for (Point2D& p : path) {
    p.x = p.x - c.x;
    p.y = p.y - c.y;
  }
}

double Recognizer::pathDistance(const Path2D& a, const Path2D& b) {
  if (a.empty() || b.size() < a.size()) {
    return std::numeric_limits<double>::infinity();
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    sum += distance(a[i], b[i]);
  }
  return sum / static_cast<double>(a.size());
}

}  // namespace Gestures
