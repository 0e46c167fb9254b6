#include "capture/touch_tracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "capture/packed_point.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;

// Chainable touch sequences, packed as the hook library posts them: a press of
// one or two fingers is one sample, `move` shifts the fingers of the last press
// by (dx, dy) in `n` samples, `release` is the touch end.
class Touch {
 public:
  explicit Touch(TouchTracker& t, bool controller = false, bool rotated = false)
      : t_(t), controller_(controller), rotated_(rotated) {}
  Touch& press(double x, double y) { return post({x, y}, {}, false); }
  Touch& press(double x1, double y1, double x2, double y2) {
    return post({x1, y1}, {x2, y2}, true);
  }
  Touch& move(double dx, double dy, int n) {
    for (int i = 0; i < n; ++i) post({a_.x + dx, a_.y + dy}, {b_.x + dx, b_.y + dy}, two_);
    return *this;
  }
  Touch& release() {
    t_.touchEnd(0, {}, {}, controller_, !controller_, rotated_);
    return *this;
  }

 private:
  static std::uint32_t word(Point2D p) {
    return PackedPoint::pack(static_cast<std::uint32_t>(p.x), static_cast<std::uint32_t>(p.y));
  }
  Touch& post(Point2D a, Point2D b, bool two) {
    a_ = a, b_ = b, two_ = two;
    t_.touchUpdate(two ? word(b) : 1U, word(a), controller_, !controller_, rotated_);
    return *this;
  }
  TouchTracker& t_;
  bool controller_, rotated_, two_ = false;
  Point2D a_, b_;
};

bool onLine(const Path2D& stroke, double y) {
  for (const Point2D& p : stroke) {
    if (p.y != y) return false;
  }
  return !stroke.empty();
}

TEST(TouchTrackerTest, SwappedAndCrossingFingersGiveTwoCleanStrokes) {
  TouchTracker t;
  Touch(t).press(40, 300, 40, 400).move(20, 0, 5).press(150, 400, 150, 300);  // swapped
  EXPECT_EQ(t.currentPoint(true), Point2D(150, 300));
  EXPECT_EQ(t.currentPoint(false), Point2D(150, 400));
  Touch(t).press(150, 400, 150, 300).move(20, 0, 10).release();
  EXPECT_EQ(t.gestureResult().name, L"SwipeRightDouble");

  for (int i = 0; i <= 40; ++i) {  // crossing 10 px apart; the report order flips
    const double x1 = 40 + 10 * i, x2 = 440 - 10 * i;
    i % 3 == 2 ? Touch(t).press(x2, 410, x1, 400) : Touch(t).press(x1, 400, x2, 410);
  }
  EXPECT_TRUE(onLine(t.firstStroke(), 400) && onLine(t.secondStroke(), 410));
  Touch(t).release();
  EXPECT_EQ(t.firstResult().name, L"SwipeRight");
  EXPECT_EQ(t.secondResult().name, L"SwipeLeft");
}

// The finger that stays is reported alone and continues the stroke that ends
// nearer to it, also when that is the second one.
TEST(TouchTrackerTest, FingerLiftedMidGestureKeepsItsOwnStroke) {
  for (const double stays : {300.0, 500.0}) {
    TouchTracker t;
    Touch(t).press(40, 300, 40, 500).move(10, 0, 10).press(150, stays).move(10, 0, 20);
    EXPECT_TRUE(onLine(t.firstStroke(), 300) && onLine(t.secondStroke(), 500)) << stays;
    EXPECT_EQ((stays == 300 ? t.firstStroke() : t.secondStroke()).size(), 32U) << stays;
    Touch(t).release();
    EXPECT_EQ(t.gestureResult().id, 13) << stays;
  }
}

TEST(TouchTrackerTest, RotatedScreenRecordsTurnedStrokes) {
  TouchTracker t, c, r;
  Touch(t, false, true).press(100, 200);
  EXPECT_EQ(t.firstStroke().at(0), Point2D(200, -100));
  Touch(c, true, true).press(100, 200);
  EXPECT_EQ(c.currentPoint(true), Point2D(100, 200));
  Touch(r, false, true).press(40, 300, 40, 400).move(20, 0, 20).release();
  EXPECT_EQ(r.gestureResult().name, L"SwipeUpDouble");  // right on the panel is up turned
}

TEST(TouchTrackerTest, DualTouchCorrectionAroundTheAnchor) {
  struct Case {
    Point2D first, second, wantFirst, wantSecond;
  } const cases[] = {
      {{100, 700}, {105, 700}, {100, 700}, {100, 700}},  // both axes merged
      {{130, 700}, {135, 600}, {100, 700}, {220, 600}},  // x merged, near finger right
      {{135, 600}, {130, 700}, {220, 600}, {100, 700}},  // the second finger is the near one
      {{100, 670}, {300, 665}, {100, 700}, {300, 580}},  // y merged, near finger above
      {{130, 700}, {142, 600}, {130, 700}, {142, 600}},  // 12 px apart: not merged
      {{115, 700}, {109, 712}, {100, 700}, {220, 712}},  // tie: the first is the near one
  };
  for (const Case& k : cases) {
    TouchTracker t;
    Touch(t, true).press(100, 700).press(k.first.x, k.first.y, k.second.x, k.second.y);
    EXPECT_EQ(t.currentPoint(true), k.wantFirst) << k.first.x << "," << k.first.y;
    EXPECT_EQ(t.currentPoint(false), k.wantSecond) << k.first.x << "," << k.first.y;
    EXPECT_EQ(t.anchor(), Point2D(100, 700));
  }
}

TEST(TouchTrackerTest, ResultsLiveUntilTheNextTouchAndResetKeepsCountsAndSettings) {
  TouchTracker t;
  Touch(t, true).press(100, 700);
  Touch(t).release().press(40, 300).move(80, 0, 4).release();
  EXPECT_EQ(t.firstResult().id, 0);  // 5 points are too few
  Touch(t).press(40, 300).move(80, 0, 5).release().release();
  EXPECT_EQ(t.firstResult().id, 1);  // 6 are enough; the second release changed nothing
  Touch(t).press(10, 10, 60, 60).move(5, 5, 3);
  EXPECT_EQ(t.firstResult().id, 0);  // a new touch starts afresh
  t.setTapAndHold(80);
  t.reset();
  EXPECT_TRUE(t.firstStroke().empty() && t.secondStroke().empty());
  EXPECT_EQ(t.currentPoint(false), Point2D());
  EXPECT_EQ(t.touchCount(), 2);
  EXPECT_EQ(t.anchor(), Point2D(100, 700));
  EXPECT_TRUE(t.tapAndHold() && t.tapAndHoldBox().width == 80 && t.tapAndHoldBox().height == 80);
  t.setTapAndHold(1);
  EXPECT_TRUE(t.tapAndHold() && t.tapAndHoldBox().width == 50);
  t.setTapAndHold(0);
  EXPECT_TRUE(!t.tapAndHold() && t.tapAndHoldBox().width == 50);
}

TEST(TouchTrackerTest, BadInputHasASafeOutcome) {
  for (const std::int32_t kind : {3, -1, std::numeric_limits<std::int32_t>::min()}) {
    TouchTracker t;
    Touch(t).press(40, 300).move(40, 0, 10);
    t.touchEnd(kind, {}, {}, false, true, false);
    EXPECT_EQ(t.touchCount(), 0);  // taken as every finger up
    EXPECT_EQ(t.firstResult().id, 1);
  }
  TouchTracker t;
  Touch(t, false, true).press(100, 200);
  t.touchUpdate(1, 0x7FFF, false, true, true);  // no point in either word: ignored
  EXPECT_EQ(t.currentPoint(true), Point2D(200, -100));
  EXPECT_EQ(t.firstStroke().size(), 1U);
  t.touchUpdate(1, 0xFFFFFFFF, false, true, false);  // bits 12-14 are not part of x
  EXPECT_EQ(t.currentPoint(true), Point2D(4095, 65535));
  // Squares beyond 32 bits still tell the nearer stroke end.
  TouchTracker far;
  far.touchUpdate(PackedPoint::pack(0, 0), PackedPoint::pack(4095, 0), false, true, false);
  far.touchUpdate(1, PackedPoint::pack(0, 65535), false, true, false);
  EXPECT_EQ(far.secondStroke().size(), 2U);
}

// A flood without a touch end (a lost WM_APP_TOUCH_END) stays bounded and
// keeps its ends and its shape.
TEST(TouchTrackerTest, StrokesStayBoundedUnderAFloodOfSamples) {
  TouchTracker t;
  Path2D whole;
  for (int i = 0; i <= 100000; ++i) {
    const double u = i / 100000.0;
    whole.emplace_back(std::round(40 + 400 * u), std::round(300 + 60 * std::sin(3.14159 * u)));
    Touch(t).press(whole.back().x, whole.back().y);
    ASSERT_LE(t.firstStroke().size(), static_cast<std::size_t>(t.maxStrokePoints()));
  }
  EXPECT_EQ(t.firstStroke().front(), whole.front());
  EXPECT_EQ(t.firstStroke().back(), whole.back());
  Touch(t).release();
  Gestures::Recognizer reference;
  reference.addBuiltInTemplates();
  const Gestures::RecognitionResult expected = reference.recognize(whole);
  EXPECT_EQ(t.firstResult().id, expected.id);
  EXPECT_NEAR(t.firstResult().score, expected.score, 0.005);
}

}  // namespace
