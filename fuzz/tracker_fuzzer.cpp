// Touch messages through the tracker and the gesture naming: both modes, the
// rotated flag, settings changes between samples, touch ends of any kind with
// any points, and the named gesture after them; also the naming on its own
// with arbitrary results and rules.
//
// Input: operations until the input ends, each a byte (modulo 10):
//   0-2  touchUpdate: a flags byte (bit 0 controller mode, bit 1 rotated,
//        bit 2 recordStrokes given by bit 3 instead of "not controller
//        mode"), then the second and the first word (see word())
//   3    a run of up to 63 samples along straight lines: flags, a byte with
//        the count (bits 0-5), two fingers (bit 6) and no touch end after the
//        run (bit 7), the start and the step of each finger
//   4    touchEnd: flags, kind (0-2 mostly, any 32-bit value too), two points
//   5    gestureResult
//   6    setSingleTouchGestures
//   7    setTapAndHold (small values mostly, any 32-bit value too)
//   8    reset
//   9    nameGesture with two arbitrary results and rules
//
// Invariants: the contact state stays 0, 1 or 2; strokes stay bounded and are
// empty after a recorded touch end; the named gesture is the unknown result,
// a one-finger shape or a two-finger variant from the table, never below the
// score threshold, and naming again gives the same answer.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/gesture_naming.h"
#include "capture/touch_tracker.h"
#include "fuzz_input.h"
#include "ports/touch_messages.h"

namespace {

using Gestures::RecognitionResult;

// The sample mode with each part chosen on its own, the combinations the
// program never sends included.
SampleMode readMode(FuzzInput::Reader& in) {
  const std::uint8_t b = in.u8();
  SampleMode mode;
  mode.correctDualTouch = (b & 1u) != 0;
  mode.rotated = (b & 2u) != 0;
  mode.recordStrokes = (b & 4u) != 0 ? (b & 8u) != 0 : !mode.correctDualTouch;
  return mode;
}

// A message word: no point (1), a packed screen point, or any 32 bits.
std::uint32_t word(FuzzInput::Reader& in) {
  switch (in.u8() % 4u) {
    case 0:
      return 1;
    case 1:
      return in.u32();
    default: {
      const std::uint32_t x = in.u16() % 512u;
      return PackedPoint::pack(x, in.u16() % 1024u);
    }
  }
}

bool isUnknown(const RecognitionResult& r) {
  const Geometry::Rect2D unbounded;
  return r.id == 0 && r.name == L"Unknown" && r.score == 0.0 && r.bitmapId == 0 &&
         r.bounds.x == unbounded.x && r.bounds.y == unbounded.y &&
         r.bounds.width == unbounded.width && r.bounds.height == unbounded.height;
}

// A finger's unrecognised stroke: the unknown result, with either the
// unbounded rectangle or, for a finger that rested still, its own box.
bool isUnrecognisedStroke(const RecognitionResult& r) {
  RecognitionResult unbounded = r;
  unbounded.bounds = Geometry::Rect2D();
  const bool ownBox = std::isfinite(r.bounds.x) && std::isfinite(r.bounds.y) &&
                      r.bounds.width >= 0.0 && r.bounds.height >= 0.0;
  return isUnknown(unbounded) && (isUnknown(r) || ownBox);
}

bool sameResult(const RecognitionResult& a, const RecognitionResult& b) {
  const auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  return a.id == b.id && a.name == b.name && same(a.score, b.score) && a.bitmapId == b.bitmapId &&
         same(a.bounds.x, b.bounds.x) && same(a.bounds.y, b.bounds.y) &&
         same(a.bounds.width, b.bounds.width) && same(a.bounds.height, b.bounds.height);
}

// A named gesture as the dispatcher may see it; `first` is the first
// finger's result after the naming (a one-finger gesture is a copy of it).
void checkNamed(const RecognitionResult& named, const RecognitionResult& first, double minScore,
                bool singleTouchGestures) {
  if (named.id == 0) {
    FUZZ_CHECK(isUnknown(named));
    return;
  }
  FUZZ_CHECK(named.score >= minScore);
  if (named.id >= GestureNaming::firstOneFingerId && named.id <= GestureNaming::lastOneFingerId) {
    FUZZ_CHECK(singleTouchGestures);
    FUZZ_CHECK(sameResult(named, first));
    return;
  }
  const GestureNaming::TwoFingerVariant* v = nullptr;
  for (const auto& candidate : GestureNaming::twoFingerVariants) {
    if (candidate.id == named.id) v = &candidate;
  }
  FUZZ_CHECK(v != nullptr);
  FUZZ_CHECK(named.name == v->name && named.bitmapId == v->bitmapId);
  FUZZ_CHECK(v->strokeId == first.id);
}

void checkTracker(const TouchTracker& t) {
  FUZZ_CHECK(t.touchCount() >= 0 && t.touchCount() <= 2);
  FUZZ_CHECK(t.previousTouchCount() >= 0 && t.previousTouchCount() <= 2);
  const auto cap = static_cast<std::size_t>(t.maxStrokePoints());
  FUZZ_CHECK(t.firstStroke().size() <= cap && t.secondStroke().size() <= cap);
  // Per finger, only a template's result or the unknown one (which keeps
  // the box of a finger that rested still).
  for (const RecognitionResult* r : {&t.firstResult(), &t.secondResult()}) {
    if (r->id == 0) {
      FUZZ_CHECK(isUnrecognisedStroke(*r));
    } else {
      FUZZ_CHECK(r->id >= 1 && r->id <= 12);
      FUZZ_CHECK(std::isfinite(r->score) && r->score <= 1.0);
    }
  }
}

void touchEnd(TouchTracker& t, std::int32_t kind, const Geometry::Point2D& a,
              const Geometry::Point2D& b, const SampleMode& f) {
  const std::int32_t before = t.touchCount();
  t.touchEnd(kind, a, b, f);
  if (f.recordStrokes && (kind < 1 || kind > 2) && before != 0) {
    FUZZ_CHECK(t.firstStroke().empty() && t.secondStroke().empty());
  }
}

void strokeRun(TouchTracker& t, FuzzInput::Reader& in) {
  const SampleMode f = readMode(in);
  const std::uint8_t head = in.u8();
  const unsigned samples = head % 64u;
  const bool twoFingers = (head & 64u) != 0;
  std::int32_t x[2] = {in.u16() % 480, 0};
  std::int32_t y[2] = {in.u16() % 800, 0};
  const std::int32_t dx[2] = {static_cast<std::int8_t>(in.u8()), static_cast<std::int8_t>(in.u8())};
  const std::int32_t dy[2] = {static_cast<std::int8_t>(in.u8()), static_cast<std::int8_t>(in.u8())};
  x[1] = x[0] + 60;
  y[1] = y[0];
  for (unsigned i = 0; i < samples; ++i) {
    const auto at = [&](int k) {
      return PackedPoint::pack(
          static_cast<std::uint32_t>(x[k] + dx[k] * static_cast<std::int32_t>(i)) & 0xFFFu,
          static_cast<std::uint32_t>(y[k] + dy[k] * static_cast<std::int32_t>(i)));
    };
    t.touchUpdate(twoFingers ? at(1) : 1u, at(0), f);
    checkTracker(t);
  }
  if ((head & 128u) == 0) touchEnd(t, 0, {}, {}, f);
}

RecognitionResult arbitraryResult(FuzzInput::Reader& in) {
  RecognitionResult r;
  const std::uint8_t id = in.u8();
  r.id = id < 0xF0 ? id % 25 : static_cast<std::int32_t>(in.u32());
  r.name = in.shortText();
  r.score = (in.u8() & 1u) != 0 ? in.f64() : in.u8() / 200.0;
  r.bitmapId = static_cast<std::int32_t>(in.u16());
  if (in.flag()) r.bounds = {in.coordinate(), in.coordinate(), in.coordinate(), in.coordinate()};
  return r;
}

void nameArbitrary(FuzzInput::Reader& in) {
  RecognitionResult first = arbitraryResult(in);
  RecognitionResult second = arbitraryResult(in);
  GestureNaming::NamingRules rules;
  const std::uint8_t b = in.u8();
  rules.singleTouchGestures = (b & 1u) != 0;
  rules.tapAndHold = (b & 2u) != 0;
  if ((b & 4u) != 0) rules.minScore = in.f64();
  const double side = in.coordinate();
  rules.tapAndHoldBox = {0.0, 0.0, side, side};

  const RecognitionResult named = GestureNaming::nameGesture(first, second, rules);
  if (!std::isnan(rules.minScore)) {
    checkNamed(named, first, rules.minScore, rules.singleTouchGestures);
  } else {
    FUZZ_CHECK(named.id == 0);  // nothing reaches a threshold that is not a number
  }
  const RecognitionResult again = GestureNaming::nameGesture(first, second, rules);
  FUZZ_CHECK(sameResult(named, again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  TouchTracker tracker;
  while (!in.empty()) {
    switch (in.u8() % 10u) {
      case 0:
      case 1:
      case 2: {
        const SampleMode f = readMode(in);
        const std::uint32_t second = word(in);
        const std::size_t before = tracker.firstStroke().size() + tracker.secondStroke().size();
        tracker.touchUpdate(second, word(in), f);
        if (!f.recordStrokes) {
          FUZZ_CHECK(tracker.firstStroke().size() + tracker.secondStroke().size() == before);
        }
        break;
      }
      case 3:
        strokeRun(tracker, in);
        break;
      case 4: {
        const SampleMode f = readMode(in);
        const std::uint8_t k = in.u8();
        const std::int32_t kind = k < 0xF0 ? k % 3 : static_cast<std::int32_t>(in.u32());
        const Geometry::Point2D a(in.coordinate(), in.coordinate());
        const Geometry::Point2D b(in.coordinate(), in.coordinate());
        touchEnd(tracker, kind, a, b, f);
        break;
      }
      case 5: {
        const RecognitionResult named = tracker.gestureResult();
        checkNamed(named, tracker.firstResult(), tracker.minScore(), tracker.singleTouchGestures());
        FUZZ_CHECK(sameResult(named, tracker.gestureResult()));
        break;
      }
      case 6:
        tracker.setSingleTouchGestures(in.flag());
        break;
      case 7: {
        const std::uint8_t v = in.u8();
        tracker.setTapAndHold(v < 0xF0 ? v : in.u32());
        break;
      }
      case 8:
        tracker.reset();
        FUZZ_CHECK(tracker.firstStroke().empty() && tracker.secondStroke().empty());
        FUZZ_CHECK(isUnknown(tracker.firstResult()) && isUnknown(tracker.secondResult()));
        break;
      default:
        nameArbitrary(in);
        break;
    }
    checkTracker(tracker);
  }
  return 0;
}
