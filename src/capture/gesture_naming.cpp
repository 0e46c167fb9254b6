#include "capture/gesture_naming.h"

using Gestures::RecognitionResult;

namespace GestureNaming {

namespace {

// An unrecognised stroke (id 0) is never too weak. A score that is not a
// number counts as too weak.
bool tooWeak(const RecognitionResult& r, double minScore) {
  return r.id != 0 && !(r.score >= minScore);
}

}  // namespace

const TwoFingerVariant* twoFingerVariant(std::int32_t strokeId) {
  for (const TwoFingerVariant& v : twoFingerVariants) {
    if (v.strokeId == strokeId) return &v;
  }
  return nullptr;
}

RecognitionResult nameGesture(RecognitionResult& first, RecognitionResult& second,
                              const NamingRules& rules) {
  // A stroke too short to be recognised has unbounded bounds, so it is never
  // held; a still finger's stroke (no template, id 0) has its real bounds.
  if (rules.tapAndHold && Geometry::isSmallerThan(first.bounds, rules.tapAndHoldBox)) {
    first = second;
  }
  if (rules.tapAndHold && Geometry::isSmallerThan(second.bounds, rules.tapAndHoldBox)) {
    second = first;
  }
  if (tooWeak(first, rules.minScore) || tooWeak(second, rules.minScore)) return {};

  if (first.id == second.id) {
    RecognitionResult named;
    if (const TwoFingerVariant* v = twoFingerVariant(first.id)) {
      named.id = v->id;
      named.name = v->name;
      named.score = (first.score + second.score) / 2.0;
      named.bitmapId = v->bitmapId;
    }
    return named;  // the one-finger rule does not apply to a pair
  }
  // One-finger gestures are always recorded in the first stroke.
  if (rules.singleTouchGestures && first.id >= firstOneFingerId && first.id <= lastOneFingerId) {
    return first;
  }
  return {};
}

}  // namespace GestureNaming
