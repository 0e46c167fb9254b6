// The touch tracker: turns the stream of touch samples that the hook library
// posts to the main window into finger strokes and, when every finger has
// lifted, into one recognition result per finger.
//
// Two modes, chosen by the caller sample by sample:
//   gesture mode     one stroke per finger. Each new position continues the
//                    stroke whose end lies nearer, so fingers that cross or
//                    that the panel reports in the other order still give two
//                    clean strokes. At the touch end each stroke of more than
//                    `CaptureConfig::minStrokePoints` points is recognised.
//   controller mode  no strokes. Two finger positions within `mergeDistancePx`
//                    of each other on an axis are moved apart relative to the
//                    finger that touched first (the anchor); the controller
//                    reads the corrected points after every sample.
//
// The tracker also holds the settings of the gesture naming (see
// gesture_naming.h): the score threshold, the one-finger switch and
// tap-and-hold with its size.
//
// Calling order: any number of touchUpdate calls, then touchEnd (kind 0) once
// every finger is up, then, in gesture mode, gestureResult. Settings may
// change between any two samples. Main thread only; nothing is locked.
#pragma once

#include <cstdint>

#include "capture/gesture_naming.h"
#include "recognition/geometry.h"
#include "recognition/recognizer.h"

// The tracker's fixed thresholds.
struct CaptureConfig {
  // The naming rules until the settings are read: the score threshold and
  // the hold box.
  GestureNaming::NamingRules naming;
  double defaultHeldBoxPx = 50.0;     // pixels; the hold box for the setting 0 or 1
  std::int32_t minStrokePoints = 5;   // points; a stroke is recognised only with more
  std::int32_t mergeDistancePx = 12;  // pixels; finger coordinates closer are merged
  double spreadDistancePx = 120.0;    // pixels; where the correction places the far finger
  // Points (16 bytes each); a stroke that reaches this many is thinned to
  // every other point before it grows further. Only abnormal input gets
  // there: over three minutes of steady movement at the panel's 80 samples a
  // second, or touches run together after a lost touch end. Shorter strokes
  // are kept exactly.
  std::int32_t maxStrokePoints = 16384;
};

// Whether the screen is turned (by 270 degrees): points are turned too.
enum class Screen { upright, rotated };

// How the tracker handles a sample.
struct SampleMode {
  bool correctDualTouch = false;  // controller mode: close fingers are moved apart
  bool recordStrokes = false;     // gesture mode: the points extend the strokes
  bool rotated = false;           // see Screen

  static constexpr SampleMode gestures(Screen screen) {
    return {false, true, screen == Screen::rotated};
  }
  static constexpr SampleMode controller(Screen screen) {
    return {true, false, screen == Screen::rotated};
  }
  // The points only: neither corrected nor recorded.
  static constexpr SampleMode pointsOnly(Screen screen) {
    return {false, false, screen == Screen::rotated};
  }
};

enum class Finger { first, second };

class TouchTracker {
 public:
  // The built-in templates registered.
  explicit TouchTracker(const CaptureConfig& config = {});

  // WM_APP_TOUCH: `secondWord` is the message's wParam (a packed point, or 1
  // for a one-finger sample), `firstWord` its lParam (a packed point). A
  // sample in which neither word carries a point is ignored.
  void touchUpdate(std::uint32_t secondWord, std::uint32_t firstWord, SampleMode mode);

  // WM_APP_TOUCH_END. `kind` is the number of fingers still down: 0 (the only
  // kind the program sends), 1 (with `first`) or 2 (with both points). Any
  // other kind counts as 0.
  void touchEnd(std::int32_t kind, const Geometry::Point2D& first, const Geometry::Point2D& second,
                SampleMode mode);

  // 0 = no finger, 1 = one finger, 2 = two fingers.
  std::int32_t touchCount() const { return touchCount_; }

  // The current (in controller mode: corrected) position of the first or the
  // second finger. The second is stale while one finger touches.
  Geometry::Point2D currentPoint(Finger finger) const {
    return finger == Finger::first ? firstPoint_ : secondPoint_;
  }

  // The named gesture of the last touch under the naming rules
  // (gesture_naming.h). With tap-and-hold it may replace a held finger's
  // result by the other finger's.
  Gestures::RecognitionResult gestureResult();

  // Forgets the points, the strokes and the results; the counts, the anchor
  // and the settings stay.
  void reset();

  // "SingleTouchGestureSupport" != 0.
  void setSingleTouchGestures(bool enabled);

  // "TapAndHoldGestureSupport" as read: 0 = off, 1 = on with a 50-pixel box,
  // 2 and more = on with a box of that many pixels.
  void setTapAndHold(std::uint32_t value);

  std::int32_t previousTouchCount() const { return previousTouchCount_; }
  const Geometry::Path2D& firstStroke() const { return firstStroke_; }
  const Geometry::Path2D& secondStroke() const { return secondStroke_; }
  const Gestures::RecognitionResult& firstResult() const { return firstResult_; }
  const Gestures::RecognitionResult& secondResult() const { return secondResult_; }
  const Gestures::Recognizer& recognizer() const { return recognizer_; }
  const GestureNaming::NamingRules& namingRules() const { return rules_; }
  double minScore() const { return rules_.minScore; }
  const Geometry::Rect2D& tapAndHoldBox() const { return rules_.tapAndHoldBox; }
  bool singleTouchGestures() const { return rules_.singleTouchGestures; }
  bool tapAndHold() const { return rules_.tapAndHold; }
  const Geometry::Point2D& anchor() const { return anchor_; }
  std::int32_t maxStrokePoints() const { return config_.maxStrokePoints; }

 private:
  // Steps 4 to 6 of a sample: turn the points for a rotated screen, correct
  // them in controller mode, record them in gesture mode.
  void processPoints(SampleMode mode);
  // Appends the sample to the strokes, or recognises them when the last
  // finger has lifted.
  void recordSample();
  // The stroke's result; one that matches no template keeps its real bounds.
  Gestures::RecognitionResult recognizeStroke(const Geometry::Path2D& stroke);
  // True when the sample's first point belongs to the second stroke.
  bool continuesSecondStroke() const;
  void correctDualTouch();
  void appendToStroke(Geometry::Path2D& stroke, const Geometry::Point2D& p) const;

  std::int32_t touchCount_ = 0;          // 0, 1 or 2 fingers down
  std::int32_t previousTouchCount_ = 0;  // touchCount before the latest sample
  Geometry::Point2D firstPoint_;         // pixels
  Geometry::Point2D secondPoint_;        // pixels; stale while one finger touches
  Geometry::Path2D firstStroke_;         // of the current touch
  Geometry::Path2D secondStroke_;
  Gestures::RecognitionResult firstResult_;  // of firstStroke after the last release
  Gestures::RecognitionResult secondResult_;
  Gestures::Recognizer recognizer_;
  CaptureConfig config_;
  GestureNaming::NamingRules rules_;  // config_.naming changed by the settings
  Geometry::Point2D anchor_;          // pixels; last one-finger position in controller mode
};
