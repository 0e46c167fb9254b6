// A recogniser of another design for comparison: Protractor (Y. Li, "Protractor:
// a fast and accurate gesture recognizer", CHI 2010), written here from its
// published description, orientation-sensitive, 16 points. Strokes are
// resampled as in the $1 recogniser, centred, turned to the nearest of eight
// base orientations and made a unit vector; a template's distance is the
// angle of the closed-form best rotation (atan, cos, sin, acos per template).
// Buffers are reused, so a call allocates nothing, like the recogniser it is
// compared with.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "recognition/builtin_templates.h"
#include "recognition/geometry.h"

class ProtractorPeer {
 public:
  static constexpr std::size_t numPoints = 16;

  ProtractorPeer() {
    for (const Gestures::BuiltInGesture& g : Gestures::builtInGestures()) {
      Vector v{};
      if (vectorize(g.path, v)) templates_.push_back({g.id, v});
    }
  }

  // The id of the nearest template, 0 when the stroke has no length.
  int recognize(const Geometry::Path2D& stroke) {
    Vector v{};
    if (!vectorize(stroke, v)) return 0;
    double best = 0.0;
    int bestId = 0;
    for (const Template& t : templates_) {
      const double d = optimalCosineDistance(t.vector, v);
      const double score = 1.0 / d;
      if (score > best) {
        best = score;
        bestId = t.id;
      }
    }
    return bestId;
  }

 private:
  using Vector = std::array<double, 2 * numPoints>;
  struct Template {
    int id;
    Vector vector;
  };

  static double distance(const Geometry::Point2D& a, const Geometry::Point2D& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
  }

  // $1 resampling: points an equal step apart along the stroke.
  bool resample(const Geometry::Path2D& src) {
    points_.clear();
    if (src.size() < 2) return false;
    double length = 0.0;
    for (std::size_t i = 1; i < src.size(); ++i) length += distance(src[i - 1], src[i]);
    const double step = length / static_cast<double>(numPoints - 1);
    if (!(step > 0.0)) return false;
    double covered = 0.0;
    Geometry::Point2D prev = src.front();
    points_.push_back(prev);
    for (std::size_t i = 1; i < src.size();) {
      const double d = distance(prev, src[i]);
      if (covered + d >= step) {
        const double t = (step - covered) / d;
        prev = {prev.x + t * (src[i].x - prev.x), prev.y + t * (src[i].y - prev.y)};
        points_.push_back(prev);
        covered = 0.0;
        if (points_.size() > 2 * numPoints) return false;
      } else {
        covered += d;
        prev = src[i++];
      }
    }
    if (points_.size() == numPoints - 1) points_.push_back(src.back());
    return points_.size() == numPoints;
  }

  bool vectorize(const Geometry::Path2D& stroke, Vector& v) {
    if (!resample(stroke)) return false;
    double cx = 0.0;
    double cy = 0.0;
    for (const Geometry::Point2D& p : points_) {
      cx += p.x;
      cy += p.y;
    }
    cx /= numPoints;
    cy /= numPoints;
    const double pi = 3.14159265358979323846;
    const double indicative = std::atan2(points_[0].y - cy, points_[0].x - cx);
    const double base = (pi / 4.0) * std::floor((indicative + pi / 8.0) / (pi / 4.0));
    const double delta = base - indicative;
    const double c = std::cos(delta);
    const double s = std::sin(delta);
    double sum = 0.0;
    for (std::size_t i = 0; i < numPoints; ++i) {
      const double x = points_[i].x - cx;
      const double y = points_[i].y - cy;
      v[2 * i] = x * c - y * s;
      v[2 * i + 1] = y * c + x * s;
      sum += v[2 * i] * v[2 * i] + v[2 * i + 1] * v[2 * i + 1];
    }
    const double magnitude = std::sqrt(sum);
    if (!(magnitude > 0.0)) return false;
    for (double& value : v) value /= magnitude;
    return true;
  }

  static double optimalCosineDistance(const Vector& t, const Vector& v) {
    double a = 0.0;
    double b = 0.0;
    for (std::size_t i = 0; i < 2 * numPoints; i += 2) {
      a += t[i] * v[i] + t[i + 1] * v[i + 1];
      b += t[i] * v[i + 1] - t[i + 1] * v[i];
    }
    const double angle = std::atan(b / a);
    return std::acos(std::clamp(a * std::cos(angle) + b * std::sin(angle), -1.0, 1.0));
  }

  std::vector<Template> templates_;
  std::vector<Geometry::Point2D> points_ = std::vector<Geometry::Point2D>(2 * numPoints + 1);
};
