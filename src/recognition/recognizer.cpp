#include "recognition/recognizer.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include "recognition/root_estimate.h"

namespace Gestures {

namespace {
// Fixed from 2 x 250^2; deliberately independent of the square size.
constexpr double diagonalSquared = 125000.0;

// The template search's bounds hold while every coordinate, of the candidate
// and of the templates, lies at most this far from the origin. A normalised
// path stays within about the square's side of it; only a tiny extent far
// from the origin, where the doubles' rounding shows, goes beyond.
constexpr double boundRange = 1024.0;

// The coarse bound takes the points in groups this long.
constexpr std::size_t groupPoints = 4;

// Two doubles side by side: x and y of a point, or two points' x. Each lane
// rounds exactly as a lone double would.
using Pair = double __attribute__((vector_size(16)));

Pair loadPair(const double* p) {
  Pair v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void storePair(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

// x and y side by side: the same comparisons as one coordinate at a time.
Rect2D boxOf(const Point2D* points, std::size_t count) {
  Pair low = {Geometry::largestDouble, Geometry::largestDouble};
  Pair high = -low;
  for (std::size_t k = 0; k < count; ++k) {
    const Pair p = loadPair(&points[k].x);
    low = p < low ? p : low;
    high = p > high ? p : high;
  }
  return Rect2D(low[0], low[1], high[0] - low[0], high[1] - low[1]);
}

}  // namespace

Recognizer::Recognizer() : halfDiagonal_(0.5 * std::sqrt(diagonalSquared)) {
  const auto n = static_cast<std::size_t>(numPoints_);
  walk_.resize(2 * n + 2);
  fineStride_ = (n + 7) / 8 * 8;
  groups_ = (n + groupPoints - 1) / groupPoints;
}

int Recognizer::addTemplate(std::int32_t id, std::wstring name, Path2D points,
                            std::int32_t bitmapId) {
  normalize(points);
  const auto n = static_cast<std::size_t>(numPoints_);
  if (points.size() >= n) {
    for (std::size_t k = 0; k < n; ++k) {
      templateX_.push_back(points[k].x);
      templateY_.push_back(points[k].y);
    }
    addBoundRows(&templateX_[templateX_.size() - n], &templateY_[templateY_.size() - n]);
  } else {
    templatesInBlocks_ = false;
  }
  templates_.emplace_back(id, std::move(name), std::move(points), bitmapId);
  const std::wstring& added = templates_.back().name;
  return static_cast<int>(std::count_if(templates_.begin(), templates_.end(),
                                        [&](const Template& t) { return t.name == added; }));
}

RecognitionResult Recognizer::recognize(const Path2D& stroke) {
  if (templates_.empty() || stroke.empty()) {
    return {};
  }
  // normalize, in the recogniser's own buffers: the same steps and the same
  // arithmetic, in fewer passes, into the x and y rows the search reads.
  const std::size_t count = resampleInto(stroke, walk_.data(), segments_, reach_);
  const Point2D* walked = walk_.data();
  lastBounds_ = boxOf(walked, count);
  if (count == 0) {
    return {};
  }
  const double side =
      lastBounds_.width > lastBounds_.height ? lastBounds_.width : lastBounds_.height;
  const double factor = static_cast<double>(squareSize_) / side;
  candidateX_.resize(count);
  candidateY_.resize(count);
  double* cx = candidateX_.data();
  double* cy = candidateY_.data();
  // x and y side by side, each summed in point order.
  const Pair scale = {factor, factor};
  Pair sum = {0.0, 0.0};
  for (std::size_t k = 0; k < count; ++k) {
    const Pair p = loadPair(&walked[k].x) * scale;
    cx[k] = p[0];
    cy[k] = p[1];
    sum += p;
  }
  if (!centreCandidate(sum[0] / static_cast<double>(count), sum[1] / static_cast<double>(count))) {
    return {};
  }
  double best = Geometry::largestDouble;
  const std::ptrdiff_t bestIndex = nearestTemplate(best);
  if (bestIndex < 0) {
    return {};
  }
  const Template& t = templates_[static_cast<std::size_t>(bestIndex)];
  // Built in one go: the name is copied once, never "Unknown" first.
  return RecognitionResult{t.id, t.name, 1.0 - best / halfDiagonal_, t.bitmapId, lastBounds_};
}

// Translates the scaled candidate by the centre, as translateToOrigin does,
// and tells whether every coordinate is finite. Four points a step, two to a
// pair: a finite coordinate times zero is zero and anything else gives NaN,
// so the sum of those products tells whether all are finite. The same steps
// sum each group of groupPoints coordinates for the search's bounds and
// check that they hold for the candidate.
bool Recognizer::centreCandidate(double centreX, double centreY) {
  const std::size_t count = candidateX_.size();
  double* cx = candidateX_.data();
  double* cy = candidateY_.data();
  static_assert(groupPoints == 4, "a step covers one group");
  const Pair centreXX = {centreX, centreX};
  const Pair centreYY = {centreY, centreY};
  candidateGroups_.resize(2 * (count / groupPoints));
  double* groupX = candidateGroups_.data();
  double* groupY = groupX + count / groupPoints;
  const Pair zero = {0.0, 0.0};
  Pair notFinite = zero;
  Pair low = {0.0, 0.0};
  Pair high = {0.0, 0.0};
  std::size_t k = 0;
  for (; k + 4 <= count; k += 4) {
    const Pair x0 = loadPair(cx + k) - centreXX;
    const Pair x1 = loadPair(cx + k + 2) - centreXX;
    const Pair y0 = loadPair(cy + k) - centreYY;
    const Pair y1 = loadPair(cy + k + 2) - centreYY;
    storePair(cx + k, x0);
    storePair(cx + k + 2, x1);
    storePair(cy + k, y0);
    storePair(cy + k + 2, y1);
    notFinite += ((x0 * zero) + (x1 * zero)) + ((y0 * zero) + (y1 * zero));
    const Pair lowX = x0 < x1 ? x0 : x1;
    const Pair lowY = y0 < y1 ? y0 : y1;
    const Pair highX = x0 > x1 ? x0 : x1;
    const Pair highY = y0 > y1 ? y0 : y1;
    low = lowX < low ? lowX : low;
    low = lowY < low ? lowY : low;
    high = highX > high ? highX : high;
    high = highY > high ? highY : high;
    const Pair sumX = x0 + x1;
    const Pair sumY = y0 + y1;
    groupX[k / 4] = sumX[0] + sumX[1];
    groupY[k / 4] = sumY[0] + sumY[1];
  }
  bool usable = notFinite[0] == 0.0 && notFinite[1] == 0.0;
  candidateInRange_ = k == count && low[0] >= -boundRange && low[1] >= -boundRange &&
                      high[0] <= boundRange && high[1] <= boundRange;
  for (; k < count; ++k) {
    cx[k] = cx[k] - centreX;
    cy[k] = cy[k] - centreY;
    usable &= std::isfinite(cx[k]) && std::isfinite(cy[k]);
  }
  return usable;
}

// The template with the smallest pathDistance; on equal distances the one
// registered first. A distance that is not a number, or not below the
// largest double, never wins.
std::ptrdiff_t Recognizer::nearestTemplate(double& best) {
  const std::size_t count = candidateX_.size();
  if (templatesInBlocks_ && count == static_cast<std::size_t>(numPoints_)) {
    return nearestTemplateInBlocks(best);
  }
  candidate_.resize(count);
  for (std::size_t k = 0; k < count; ++k) candidate_[k] = {candidateX_[k], candidateY_[k]};
  std::ptrdiff_t bestIndex = -1;
  for (std::size_t i = 0; i < templates_.size(); ++i) {
    const double d = pathDistance(candidate_, templates_[i].points);
    if (d < best) {  // strict: on a tie the earlier template wins
      best = d;
      bestIndex = static_cast<std::ptrdiff_t>(i);
    }
  }
  return bestIndex;
}

namespace {

constexpr std::size_t blockPoints = 8;

Quad loadQuad(const float* p) {
  Quad v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// A template's bound is its float estimate E less E * 2^-10 and 2^-11 per
// point. Within boundRange, each float coordinate (or group sum of g
// coordinates) lies within g * 2^-14 of its double, and each float
// difference within g * 2^-12 of the exact one: a float distance exceeds the
// exact one by less than g * 2^-11. The root estimate adds at most
// 1.5 * 2^-12, the float operations 2^-22 and the float sum of at most 32
// terms 2^-19, relatively.
constexpr double boundRelativeSlack = 0x1p-10;
constexpr double boundSlackPerPoint = 0x1p-11;
// A bound must exceed the best sum by this much more to drop a template: the
// double sums carry a few dozen roundings of 2^-53.
constexpr double sumSlack = 0x1p-30;
// Added to a squared distance before its root is estimated, so that a zero
// distance gives a zero estimate, not zero times infinity.
constexpr float smallestRootInput = 1e-30F;

}  // namespace

// A template's rows for the bounds. Its points in floats, x then y, each
// padded with zeros to fineStride_. Then the sums of each group of
// groupPoints points, rounded to floats, into the template's lane of its
// block of four: the distance of two paths' group sums is at most the sum of
// their points' distances in the group (the triangle inequality), so the
// group sums bound too, with a quarter of the work, four templates at a time.
void Recognizer::addBoundRows(const double* x, const double* y) {
  const auto n = static_cast<std::size_t>(numPoints_);
  const std::size_t t = templateRows_.size() / (2 * fineStride_);
  templateRows_.resize(templateRows_.size() + 2 * fineStride_, 0.0F);
  if (t % 4 == 0) templateGroups_.resize(templateGroups_.size() + groups_ * 8, 0.0F);
  for (std::size_t k = 0; k < n; ++k) {
    templatesInRange_ &= std::fabs(x[k]) <= boundRange && std::fabs(y[k]) <= boundRange;
  }
  if (!templatesInRange_) return;  // no bounds; nor floats of coordinates beyond their range
  float* fineX = &templateRows_[t * 2 * fineStride_];
  for (std::size_t k = 0; k < n; ++k) {
    fineX[k] = static_cast<float>(x[k]);
    fineX[fineStride_ + k] = static_cast<float>(y[k]);
  }
  for (std::size_t g = 0; g < groups_; ++g) {
    double sumX = 0.0;
    double sumY = 0.0;
    for (std::size_t k = g * groupPoints; k < std::min((g + 1) * groupPoints, n); ++k) {
      sumX += x[k];
      sumY += y[k];
    }
    float* at = &templateGroups_[(t / 4 * groups_ + g) * 8];
    at[t % 4] = static_cast<float>(sumX);
    at[4 + t % 4] = static_cast<float>(sumY);
  }
}

// The same choice as the plain loop, with less work. Every distance sum that
// is finished is formed as pathDistance forms it, in point order, so it comes
// out the same to the last bit. Their square roots of doubles are the costly
// part, and most templates need none:
// - every template first gets a lower bound of its distance sum from the
//   group sums: floats and estimated roots, four templates at a time;
// - the template with the least bound is finished first and sets the best;
// - a template whose bound, from the group sums and then from every point,
//   lies above the best sum can neither win nor tie, and is dropped; the
//   rest are finished in order.
// Beyond boundRange every template is finished, in order.
std::ptrdiff_t Recognizer::nearestTemplateInBlocks(double& best) {
  const std::size_t n = candidateX_.size();
  const std::size_t count = templates_.size();
  const auto points = static_cast<double>(n);
  const double* cx = candidateX_.data();
  const double* cy = candidateY_.data();
  const bool bounded = templatesInRange_ && candidateInRange_;
  const Quad tiny = {smallestRootInput, smallestRootInput, smallestRootInput, smallestRootInput};
  const auto boundOf = [&](float estimate) {
    return static_cast<double>(estimate) * (1.0 - boundRelativeSlack) - points * boundSlackPerPoint;
  };

  // The group bounds, four templates at a time; each lane sums its
  // template's groups in order. The least one is finished first.
  std::size_t first = 0;
  if (bounded) {
    lowerBounds_.resize(count);
    for (std::size_t block = 0; block * 4 < count; ++block) {
      Quad sum = {0, 0, 0, 0};
      for (std::size_t g = 0; g < groups_; ++g) {
        const float* at = &templateGroups_[(block * groups_ + g) * 8];
        const Quad dx = loadQuad(at) - static_cast<float>(candidateGroups_[g]);
        const Quad dy = loadQuad(at + 4) - static_cast<float>(candidateGroups_[groups_ + g]);
        const Quad squared = dx * dx + dy * dy;
        sum += squared * reciprocalRootEstimate(squared + tiny);
      }
      for (std::size_t lane = 0; lane < 4 && block * 4 + lane < count; ++lane) {
        lowerBounds_[block * 4 + lane] = boundOf(sum[lane]);
      }
    }
    for (std::size_t t = 1; t < count; ++t) {
      first = lowerBounds_[t] < lowerBounds_[first] ? t : first;
    }
  }
  // The bound from every point, for the few templates the group bound keeps.
  bool candidateRow = false;
  const auto pointBound = [&](std::size_t t) {
    if (!candidateRow) {
      candidateRow_.assign(2 * fineStride_, 0.0F);
      for (std::size_t k = 0; k < n; ++k) {
        candidateRow_[k] = static_cast<float>(cx[k]);
        candidateRow_[fineStride_ + k] = static_cast<float>(cy[k]);
      }
      candidateRow = true;
    }
    const float* a = &templateRows_[t * 2 * fineStride_];
    const float* b = candidateRow_.data();
    Quad sum = {0, 0, 0, 0};
    for (std::size_t k = 0; k < fineStride_; k += 4) {
      const Quad dx = loadQuad(a + k) - loadQuad(b + k);
      const Quad dy = loadQuad(a + fineStride_ + k) - loadQuad(b + fineStride_ + k);
      const Quad squared = dx * dx + dy * dy;
      sum += squared * reciprocalRootEstimate(squared + tiny);
    }
    return boundOf((sum[0] + sum[1]) + (sum[2] + sum[3]));
  };

  // `first`, then the others in order.
  std::ptrdiff_t bestIndex = -1;
  double bestSum = 0.0;
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t t = step == 0 ? first : (step <= first ? step - 1 : step);
    if (bounded && bestIndex >= 0) {
      const double limit = bestSum * (1.0 + sumSlack);
      if (lowerBounds_[t] > limit || pointBound(t) > limit) continue;
    }
    // The exact sum: the roots of a block first, free of the sum, so they
    // run side by side; then they are added in point order.
    const double* tx = &templateX_[t * n];
    const double* ty = &templateY_[t * n];
    const auto root = [&](std::size_t k) {
      const double dx = tx[k] - cx[k];
      const double dy = ty[k] - cy[k];
      return std::sqrt(dx * dx + dy * dy);
    };
    double sum = 0.0;
    std::size_t k = 0;
    for (; k + blockPoints <= n; k += blockPoints) {
      double roots[blockPoints];
      for (std::size_t j = 0; j < blockPoints; ++j) roots[j] = root(k + j);
      for (double r : roots) sum += r;
    }
    for (; k < n; ++k) sum += root(k);
    const double mean = sum / points;
    if (mean < best ||
        (mean == best && bestIndex >= 0 && static_cast<std::ptrdiff_t>(t) < bestIndex)) {
      best = mean;
      bestSum = sum;
      bestIndex = static_cast<std::ptrdiff_t>(t);
    }
  }
  return bestIndex;
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

Path2D Recognizer::resample(const Path2D& src) const {
  Path2D out(2 * static_cast<std::size_t>(numPoints_) + 2);
  std::vector<double> segments;
  std::vector<double> reach;
  out.resize(resampleInto(src, out.data(), segments, reach));
  return out;
}

namespace {

// The walk of resampleInto, deciding every step by the exact test. Used
// when the guided walk below strayed from it.
std::size_t plainWalk(const Point2D* points, std::size_t size, const double* segment,
                      double interval, std::size_t numPoints, Point2D* emitted) {
  const std::size_t runaway = 2 * numPoints;
  std::size_t count = 0;
  emitted[count++] = points[0];
  // Whole segments are passed with their kept lengths until one reaches the
  // interval; the points emitted on it are then measured afresh, each from
  // the one before, to the segment's end.
  double accumulated = 0.0;
  for (std::size_t i = 1; i < size; ++i) {
    double d = segment[i];
    if (!(accumulated + d >= interval)) {
      accumulated += d;
      continue;
    }
    Point2D prev = points[i - 1];
    const Point2D cur = points[i];
    double t = (interval - accumulated) / d;
    for (;;) {
      const Point2D q(prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y));
      emitted[count++] = q;
      if (count > runaway) return 0;
      prev = q;  // the next pass measures from q to the same source point
      d = Recognizer::distance(prev, cur);
      // The distance is never -0, so 0 + d is d and interval - 0 is interval:
      // the sums of the plain walk, without their latency.
      if (!(d >= interval)) break;
      t = interval / d;
    }
    accumulated = d;
  }
  return count;
}

// The same walk, with the same arithmetic, steered by a guess. Each step's
// exact test waits for a square root and a division of the step before, so
// a branch on it stalls the walk whenever it is mispredicted, about once per
// emitted point. The guess, whether the path's length up to the segment's
// end (`reach`) passes the next point's nominal position, is known early, so
// the walk branches on it and only records whether it agreed with the exact
// test. The last point, whose nominal position is the path's end and where
// rounding decides, is found by the exact test alone. Returns false when a
// guess disagreed: the points are then not the walk's and must be redone.
bool guidedWalk(const Point2D* points, std::size_t size, const double* segment, const double* reach,
                double interval, std::size_t numPoints, Point2D* emitted,
                std::size_t& emittedCount) {
  const std::size_t runaway = 2 * numPoints;
  const std::size_t guidedBelow = numPoints - 1;
  std::size_t count = 0;
  emitted[count++] = points[0];
  bool agreed = true;
  const auto steer = [&](bool exact, std::size_t i) {
    const bool guess = reach[i] >= static_cast<double>(count) * interval;
    const bool taken = count < guidedBelow ? guess : exact;
    agreed &= taken == exact;
    return taken;
  };
  double accumulated = 0.0;
  for (std::size_t i = 1; i < size; ++i) {
    double d = segment[i];
    if (!steer(accumulated + d >= interval, i)) {
      accumulated += d;
      continue;
    }
    Point2D prev = points[i - 1];
    const Point2D cur = points[i];
    double t = (interval - accumulated) / d;
    for (;;) {
      const Point2D q(prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y));
      emitted[count++] = q;
      if (count > runaway) {
        emittedCount = 0;
        return agreed;
      }
      prev = q;
      d = Recognizer::distance(prev, cur);
      if (!steer(d >= interval, i)) break;
      t = interval / d;
    }
    accumulated = d;
  }
  emittedCount = count;
  return agreed;
}

}  // namespace

// Walks the polyline once, carrying the position of the last emitted point in
// `prev`. Measuring from an emitted point to the same source point on the next
// pass gives exactly what inserting the emitted point into the source path
// would give, without moving the path's tail: linear instead of quadratic.
// Each segment's length is measured once, for the path's length, and read
// again wherever the walk measures from the segment's own start. `out` holds
// at least 2 * numPoints + 2 points; returns how many were written.
std::size_t Recognizer::resampleInto(const Path2D& src, Point2D* out, std::vector<double>& segments,
                                     std::vector<double>& reach) const {
  if (src.empty()) {
    return 0;
  }
  // pathLength, keeping the terms: the roots of a run of segments first,
  // then their sum in order. The roots run side by side, and the sum of one
  // run overlaps the roots of the next.
  const std::size_t size = src.size();
  const Point2D* points = src.data();
  if (segments.size() < size) segments.resize(size);
  if (reach.size() < size) reach.resize(size);
  double* segment = segments.data();
  double* reached = reach.data();
  // A stroke fresh from the touch tracker is rarely in the nearest cache:
  // ask for all of it at once rather than line after line as it is read.
  constexpr std::size_t lineBytes = 64;
  const auto* bytes = reinterpret_cast<const char*>(points);
  for (std::size_t at = 0; at < size * sizeof(Point2D); at += lineBytes) {
    __builtin_prefetch(bytes + at);
  }
  constexpr std::size_t run = 8;
  double length = 0.0;
  reached[0] = 0.0;
  for (std::size_t first = 1; first < size; first += run) {
    const std::size_t end = std::min(first + run, size);
    for (std::size_t i = first; i < end; ++i) segment[i] = distance(points[i - 1], points[i]);
    for (std::size_t i = first; i < end; ++i) {
      length += segment[i];
      reached[i] = length;
    }
  }

  const double interval = length / static_cast<double>(numPoints_ - 1);
  if (!(interval > 0.0) || !std::isfinite(interval)) {
    return 0;  // coincident or non-finite points: no equidistant points exist
  }
  // A legitimate stroke yields numPoints points (rounding may add one). Far
  // more means an interval too small to move a coordinate this large, which
  // would otherwise emit the same point for ever: no points.
  const auto n = static_cast<std::size_t>(numPoints_);
  std::size_t count = 0;
  if (!guidedWalk(points, size, segment, reached, interval, n, out, count)) {
    count = plainWalk(points, size, segment, interval, n, out);
  }
  if (count == n - 1) {
    out[count++] = points[size - 1];
  }
  return count;
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

Rect2D Recognizer::boundingBox(const Path2D& path) { return boxOf(path.data(), path.size()); }

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
