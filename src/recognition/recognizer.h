// Template recogniser for one-finger strokes.
//
// A stroke is resampled to a fixed number of equidistant points, scaled
// uniformly so that the larger side of its bounding box becomes the reference
// square's side, centred on its centroid, and compared point by point with
// each template at the orientation both were drawn in (direction matters: a
// left-to-right swipe is not a right-to-left one). The smallest mean point
// distance becomes a score against half the reference square's diagonal. No
// minimum score is applied here; acceptance belongs to the caller.
//
// Used from the main window's message handling only: not safe for concurrent
// use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "recognition/geometry.h"

namespace Gestures {

using Geometry::Path2D;
using Geometry::Point2D;
using Geometry::Rect2D;

struct Template {
  std::int32_t id = 0;        // gesture id; 0 never names a template
  std::wstring name;          // such as L"SwipeRight"
  Path2D points;              // normalised when the template was added
  std::int32_t bitmapId = 0;  // 240x240 feedback picture; 0 = none

  Template() = default;
  Template(std::int32_t templateId, std::wstring templateName, Path2D path, std::int32_t pictureId)
      : id(templateId),
        name(std::move(templateName)),
        points(std::move(path)),
        bitmapId(pictureId) {}
};

// The default value is the unknown result.
struct RecognitionResult {
  std::int32_t id = 0;
  std::wstring name = L"Unknown";
  double score = 0.0;
  std::int32_t bitmapId = 0;
  Rect2D bounds;  // the resampled stroke's bounding box, in input coordinates
};

class Recognizer {
 public:
  Recognizer();

  // Normalises `points` and appends the template. Returns how many templates,
  // the new one included, carry exactly this name.
  int addTemplate(std::int32_t id, std::wstring name, Path2D points, std::int32_t bitmapId);

  // Registers the twelve shipped gestures in their fixed order.
  void addBuiltInTemplates();

  // The nearest template for a stroke, or the unknown result when there are no
  // templates or the stroke has no measurable length. The caller's path is
  // not changed; the work is done in buffers the recogniser keeps, so a call
  // allocates nothing once a stroke as long has been seen.
  RecognitionResult recognize(const Path2D& stroke);

  // Resample, scale to the reference square, translate the centroid to the
  // origin. A path without measurable length becomes empty, and so does one
  // whose scaled coordinates overflow (a tiny extent far from the origin).
  void normalize(Path2D& path);

  // `numPoints` points, `pathLength / (numPoints - 1)` apart along the
  // polyline, starting with the first point. Linear in the path's length. A
  // path whose length is zero or not finite, or whose coordinates are too
  // large for the interval to make progress, has no such points: the result
  // is empty.
  Path2D resample(const Path2D& src) const;

  static double pathLength(const Path2D& path);
  static double distance(const Point2D& a, const Point2D& b);
  static Rect2D boundingBox(const Path2D& path);
  // Uniform scaling about the coordinate origin; records `lastBounds`.
  void scaleToSquare(Path2D& path);
  static Point2D centroid(const Path2D& path);
  static void translateToOrigin(Path2D& path);
  // Mean distance of corresponding points; the candidate `a` sets the count.
  // A template shorter than the candidate, or an empty candidate, is
  // infinitely far.
  static double pathDistance(const Path2D& a, const Path2D& b);

  double halfDiagonal() const { return halfDiagonal_; }
  std::int32_t numPoints() const { return numPoints_; }
  std::int32_t squareSize() const { return squareSize_; }
  const std::vector<Template>& templates() const { return templates_; }
  const Rect2D& lastBounds() const { return lastBounds_; }

 private:
  // resample's walk, into `out`, with the segment lengths kept in `segments`
  // and the length up to each segment's end in `reach`.
  std::size_t resampleInto(const Path2D& src, Point2D* out, std::vector<double>& segments,
                           std::vector<double>& reach) const;
  // The position of the nearest template for the normalised candidate_, -1
  // for none; its distance in `best`.
  std::ptrdiff_t nearestTemplate(double& best);
  std::ptrdiff_t nearestTemplateInBlocks(double& best);
  void addBoundRows(const double* x, const double* y);
  bool centreCandidate(double centreX, double centreY);

  double halfDiagonal_;
  std::int32_t numPoints_ = 32;
  std::int32_t squareSize_ = 250;
  std::vector<Template> templates_;
  Rect2D lastBounds_;

  // The templates' first numPoints points again, x and y apart, template
  // after template: the layout the distance loop reads fastest. Used while
  // every template has at least numPoints points.
  std::vector<double> templateX_;
  std::vector<double> templateY_;
  bool templatesInBlocks_ = true;
  // Those templates again for the search's lower bounds, in floats: a row of
  // 2 * fineStride_ per template (its x, then its y, padded with zeros); and
  // the sums of each of the groups_ groups of points, four templates a
  // block: per group four x, then four y. The bounds hold while the
  // templates and the candidate are in range.
  std::vector<float> templateRows_;
  std::vector<float> templateGroups_;
  std::size_t fineStride_ = 0;
  std::size_t groups_ = 0;
  bool templatesInRange_ = true;
  bool candidateInRange_ = false;

  // Work buffers of recognize, kept between calls. The candidate lives in
  // candidateX_ and candidateY_; candidate_ holds it again only for the
  // plain loop over templates shorter than numPoints.
  Path2D walk_;  // resampled points, room for 2 * numPoints + 2
  Path2D candidate_;
  std::vector<double> segments_;
  std::vector<double> reach_;
  std::vector<double> candidateX_;
  std::vector<double> candidateY_;
  std::vector<float> candidateRow_;
  std::vector<double> candidateGroups_;
  std::vector<double> lowerBounds_;
};

}  // namespace Gestures
