#include "capture/touch_tracker.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "ports/touch_messages.h"

using Geometry::Path2D;
using Geometry::Point2D;
using Gestures::RecognitionResult;

namespace {

// A packed touch point as the tracker's pixel position.
Point2D unpacked(std::uint32_t word) {
  return {static_cast<double>(PackedPoint::decodedX(word)),
          static_cast<double>(PackedPoint::decodedY(word))};
}

// The squared distance, truncated toward zero as Geometry::squaredDistance
// truncates it, but kept in double: decoded coordinates reach 65535 pixels in
// y, where the square no longer fits 32 bits and a saturated value would make
// two different distances tie. Decoded and turned coordinates are whole
// pixels, so every value is an exact integer and, within the 32-bit range,
// equal to Geometry::squaredDistance.
double squaredPixelDistance(const Point2D& a, const Point2D& b) {
  const double dx = a.x - b.x;
  const double dy = a.y - b.y;
  return std::trunc(dx * dx + dy * dy);
}

// A pixel difference truncated toward zero to 32 bits. Decoded coordinates
// always fit; the points of a touch end come from the caller, so values out of
// range are clamped (symmetrically, so that the magnitude can be taken) and a
// value that is not a number counts as far apart.
std::int32_t truncatedPixels(double v) {
  constexpr std::int32_t far = std::numeric_limits<std::int32_t>::max();
  if (std::isnan(v) || v >= static_cast<double>(far)) return far;
  if (v <= -static_cast<double>(far)) return -far;
  return static_cast<std::int32_t>(v);
}

std::int32_t magnitude(std::int32_t v) { return v < 0 ? -v : v; }

// One axis of the dual-touch correction: `delta` is anchor minus near
// coordinate, taken before any change.
void mergeAxis(double anchor, double& nearC, double& farC, std::int32_t delta, std::int32_t merge,
               double spread) {
  nearC = anchor;
  if (magnitude(delta) < merge) {
    farC = anchor;
  } else if (delta < 0) {  // the near finger was reported right of (below) the anchor
    farC = anchor + spread;
  } else {
    farC = anchor - spread;
  }
}

}  // namespace

TouchTracker::TouchTracker(const CaptureConfig& config) : config_(config), rules_(config.naming) {
  recognizer_.addBuiltInTemplates();
}

void TouchTracker::touchUpdate(std::uint32_t secondWord, std::uint32_t firstWord, SampleMode mode) {
  const bool hasFirst = PackedPoint::carriesPoint(firstWord);
  const bool hasSecond = PackedPoint::carriesPoint(secondWord);
  if (!hasFirst && !hasSecond) {
    // Nothing to track. Going on would turn the stale points once more on a
    // rotated screen and record them as a new position.
    return;
  }
  previousTouchCount_ = touchCount_;
  if (hasFirst) {
    firstPoint_ = unpacked(firstWord);
    touchCount_ = 1;
  }
  if (hasSecond) {
    secondPoint_ = unpacked(secondWord);
    touchCount_ = 2;
  }
  processPoints(mode);
}

void TouchTracker::touchEnd(std::int32_t kind, const Point2D& first, const Point2D& second,
                            SampleMode mode) {
  if (kind < 0 || kind > 2) {
    // Treated as every finger up: the strokes are recognised, and the next
    // sample is seen as a new touch.
    kind = 0;
  }
  previousTouchCount_ = touchCount_;
  touchCount_ = kind;
  if (kind >= 1) firstPoint_ = first;
  if (kind == 2) secondPoint_ = second;
  processPoints(mode);
}

void TouchTracker::processPoints(SampleMode mode) {
  if (mode.rotated && !mode.correctDualTouch) {
    // Strokes are recorded in the turned frame. The second point is turned
    // also when this sample did not update it; it is not used then.
    Geometry::rotateQuarterTurn(firstPoint_);
    Geometry::rotateQuarterTurn(secondPoint_);
  }
  if (mode.correctDualTouch) correctDualTouch();
  if (mode.recordStrokes) recordSample();
}

void TouchTracker::recordSample() {
  switch (touchCount_) {
    case 1:
      if (previousTouchCount_ == 0) {
        firstResult_ = RecognitionResult{};
        secondResult_ = RecognitionResult{};
      }
      appendToStroke(continuesSecondStroke() ? secondStroke_ : firstStroke_, firstPoint_);
      return;
    case 2:
      if (previousTouchCount_ == 0) {
        firstResult_ = RecognitionResult{};
        secondResult_ = RecognitionResult{};
      }
      if (continuesSecondStroke()) Geometry::swapPoints(firstPoint_, secondPoint_);
      appendToStroke(firstStroke_, firstPoint_);
      appendToStroke(secondStroke_, secondPoint_);
      return;
    default:
      break;
  }
  if (previousTouchCount_ == 0) return;  // a second release in a row
  const std::size_t minPoints =
      config_.minStrokePoints < 0 ? 0 : static_cast<std::size_t>(config_.minStrokePoints);
  if (firstStroke_.size() > minPoints) firstResult_ = recognizeStroke(firstStroke_);
  if (secondStroke_.size() > minPoints) secondResult_ = recognizeStroke(secondStroke_);
  firstStroke_.clear();
  secondStroke_.clear();
}

RecognitionResult TouchTracker::recognizeStroke(const Path2D& stroke) {
  RecognitionResult result = recognizer_.recognize(stroke);
  // A finger that rests perfectly still draws repeated points: a stroke
  // without length, which matches no template. It stays unrecognised but
  // keeps its real (zero-size) bounds, so that it counts as a held finger.
  if (result.id == 0) result.bounds = Gestures::Recognizer::boundingBox(stroke);
  return result;
}

bool TouchTracker::continuesSecondStroke() const {
  if (!firstStroke_.empty() && !secondStroke_.empty() &&
      squaredPixelDistance(firstPoint_, firstStroke_.back()) >
          squaredPixelDistance(firstPoint_, secondStroke_.back())) {
    return true;
  }
  return touchCount_ == 2 && !firstStroke_.empty() &&
         squaredPixelDistance(firstPoint_, firstStroke_.back()) >
             squaredPixelDistance(secondPoint_, firstStroke_.back());
}

void TouchTracker::correctDualTouch() {
  if (touchCount_ == 1) {
    anchor_ = firstPoint_;
    return;
  }
  if (touchCount_ != 2) return;
  const bool secondIsNear =
      squaredPixelDistance(anchor_, firstPoint_) > squaredPixelDistance(anchor_, secondPoint_);
  Point2D& nearP = secondIsNear ? secondPoint_ : firstPoint_;
  Point2D& farP = secondIsNear ? firstPoint_ : secondPoint_;
  const std::int32_t dx = truncatedPixels(anchor_.x - nearP.x);
  const std::int32_t dy = truncatedPixels(anchor_.y - nearP.y);
  const std::int32_t merge = config_.mergeDistancePx;
  if (magnitude(truncatedPixels(firstPoint_.x - secondPoint_.x)) < merge) {
    mergeAxis(anchor_.x, nearP.x, farP.x, dx, merge, config_.spreadDistancePx);
  }
  if (magnitude(truncatedPixels(firstPoint_.y - secondPoint_.y)) < merge) {
    mergeAxis(anchor_.y, nearP.y, farP.y, dy, merge, config_.spreadDistancePx);
  }
}

void TouchTracker::appendToStroke(Path2D& stroke, const Point2D& p) const {
  const std::size_t cap = static_cast<std::size_t>(config_.maxStrokePoints);
  if (stroke.size() >= cap && cap >= 3) {
    // Keep every other point, the first and the last included: the shape and
    // both ends (which continuesSecondStroke reads) survive, and the stroke
    // stays bounded at linear cost overall.
    const std::size_t n = stroke.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; i += 2) stroke[kept++] = stroke[i];
    if ((n - 1) % 2 != 0) stroke[kept++] = stroke[n - 1];
    stroke.resize(kept);
  }
  stroke.push_back(p);
}

void TouchTracker::reset() {
  firstPoint_ = Point2D();
  secondPoint_ = Point2D();
  firstStroke_.clear();
  secondStroke_.clear();
  firstResult_ = RecognitionResult{};
  secondResult_ = RecognitionResult{};
}

RecognitionResult TouchTracker::gestureResult() {
  return GestureNaming::nameGesture(firstResult_, secondResult_, rules_);
}

void TouchTracker::setSingleTouchGestures(bool enabled) { rules_.singleTouchGestures = enabled; }

void TouchTracker::setTapAndHold(std::uint32_t value) {
  rules_.tapAndHold = value != 0;
  // Switched on without a size (1), or off (0): the default box.
  const double side = value < 2 ? config_.defaultHeldBoxPx : static_cast<double>(value);
  rules_.tapAndHoldBox = Geometry::Rect2D(0.0, 0.0, side, side);
}
