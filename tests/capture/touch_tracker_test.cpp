#include "capture/touch_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ports/touch_messages.h"
#include "trace/touch_sequence.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;

using Seq = TouchSequence;

// Posts one message per frame, as the hook library posts them.
void post(TouchTracker& t, const Seq& touch, bool controller = false, bool rotated = false) {
  const Screen screen = rotated ? Screen::rotated : Screen::upright;
  const SampleMode mode =
      controller ? SampleMode::controller(screen) : SampleMode::gestures(screen);
  for (const Seq::Message& m : touch.messages()) {
    m.message == WM_APP_TOUCH ? t.touchUpdate(m.wParam, m.lParam, mode)
                              : t.touchEnd(0, {}, {}, mode);
  }
}

bool onLine(const Path2D& s, double y) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [y](const Point2D& p) { return p.y == y; });
}

TEST(TouchTrackerTest, SwappedAndCrossingFingersGiveTwoCleanStrokes) {
  TouchTracker t;
  post(t, Seq()
              .press({40, 300}, {40, 400})
              .move({140, 300}, {140, 400}, 5)
              .press({150, 400}, {150, 300}));                  // swapped
  EXPECT_EQ(t.currentPoint(Finger::first), Point2D(150, 300));  // the exchanged points stay
  EXPECT_EQ(t.currentPoint(Finger::second), Point2D(150, 400));
  post(t, Seq().press({150, 400}, {150, 300}).move({350, 400}, {350, 300}, 10).release());
  EXPECT_EQ(t.gestureResult().name, L"SwipeRightDouble");

  for (int i = 0; i <= 40; ++i) {  // crossing 10 px apart; the report order flips
    const Point2D p(40 + 10 * i, 400), q(440 - 10 * i, 410);
    post(t, i % 3 == 2 ? Seq().press(q, p) : Seq().press(p, q));
  }
  EXPECT_TRUE(onLine(t.firstStroke(), 400)) << "the first stroke took the other finger's points";
  EXPECT_TRUE(onLine(t.secondStroke(), 410)) << "the second stroke took the other finger's points";
}

// The finger that stays continues the stroke that ends nearer, also the second.
TEST(TouchTrackerTest, FingerLiftedMidGestureKeepsItsOwnStroke) {
  for (const double stays : {300.0, 500.0}) {
    TouchTracker t;
    post(t, Seq()
                .press({40, 300}, {40, 500})
                .move({140, 300}, {140, 500}, 10)
                .press({150, stays})
                .move({350, stays}, 20));
    EXPECT_TRUE(onLine(t.firstStroke(), 300)) << "first stroke, finger staying at " << stays;
    EXPECT_TRUE(onLine(t.secondStroke(), 500)) << "second stroke, finger staying at " << stays;
    EXPECT_EQ((stays == 300 ? t.firstStroke() : t.secondStroke()).size(), 32U) << stays;
  }
}

TEST(TouchTrackerTest, DualTouchCorrectionAroundTheAnchor) {
  const Point2D cases[][4] = {
      // reported first, second; corrected first, second
      {{100, 700}, {105, 700}, {100, 700}, {100, 700}},  // both axes merged
      {{130, 700}, {135, 600}, {100, 700}, {220, 600}},  // x merged, near finger right
      {{135, 600}, {130, 700}, {220, 600}, {100, 700}},  // the second finger is the near one
      {{100, 670}, {300, 665}, {100, 700}, {300, 580}},  // y merged, near finger above
      {{130, 700}, {142, 600}, {130, 700}, {142, 600}},  // 12 px apart: not merged
      {{115, 700}, {109, 712}, {100, 700}, {220, 712}},  // tie: the first is the near one
  };
  for (const auto& k : cases) {
    TouchTracker t;
    post(t, Seq().press({100, 700}).press(k[0], k[1]), true);  // the anchor, then two fingers
    EXPECT_EQ(t.currentPoint(Finger::first), k[2]) << "first finger, case " << (&k - cases);
    EXPECT_EQ(t.currentPoint(Finger::second), k[3]) << "second finger, case " << (&k - cases);
  }
}

TEST(TouchTrackerTest, ResultsLiveUntilTheNextTouch) {
  TouchTracker t;
  post(t, Seq().press({100, 700}), true);  // the anchor, in controller mode
  post(t, Seq().press({40, 300}).move({360, 300}, 4).release());
  EXPECT_EQ(t.firstResult().id, 0);  // 5 points are too few
  post(t, Seq().press({40, 300}).move({440, 300}, 5).release().release());
  EXPECT_EQ(t.firstResult().id, 1);  // 6 are enough; the second release changed nothing
  post(t, Seq().press({10, 10}, {60, 60}).move({25, 10}, {75, 60}, 3));
  EXPECT_EQ(t.firstResult().id, 0);  // a new touch starts afresh
}

TEST(TouchTrackerTest, TurnedScreenAndBadInput) {
  TouchTracker t, c;
  post(t, Seq().press({100, 200}), false, true);
  // No point in either word: ignored, not turned again.
  t.touchUpdate(1, 0x7FFF, SampleMode::gestures(Screen::rotated));
  EXPECT_EQ(t.firstStroke(), Path2D{Point2D(200, -100)});
  post(c, Seq().press({100, 200}), true, true);  // controller mode: not turned
  EXPECT_EQ(c.currentPoint(Finger::first), Point2D(100, 200));
  // Bits 12-14 are not part of x.
  c.touchUpdate(1, 0xFFFFFFFF, SampleMode::controller(Screen::upright));
  EXPECT_EQ(c.currentPoint(Finger::first), Point2D(4095, 65535));

  for (const std::int32_t kind : {3, -1}) {  // taken as every finger up
    TouchTracker k;
    post(k, Seq().press({40, 300}).move({440, 300}, 10));
    k.touchEnd(kind, {}, {}, SampleMode::gestures(Screen::upright));
    EXPECT_EQ(k.touchCount(), 0) << "kind " << kind;
    EXPECT_EQ(k.firstResult().id, 1) << "kind " << kind << " did not recognise the stroke";
  }
  TouchTracker far;  // squares beyond 32 bits still tell the nearer stroke end
  post(far, Seq().press({4095, 0}, {0, 0}).press({0, 65535}));
  EXPECT_EQ(far.secondStroke().size(), 2U);
}

// Ties keep the points where they are: a one-finger point as far from both
// stroke ends continues the first stroke, and a pair whose second point lies
// as near to the first stroke's end as its first point is not exchanged.
TEST(TouchTrackerTest, TiesKeepThePoints) {
  TouchTracker one;
  post(one, Seq().press({100, 300}, {100, 500}).press({150, 400}));
  EXPECT_EQ(one.firstStroke().back(), Point2D(150, 400));
  EXPECT_EQ(one.secondStroke().size(), 1U);

  TouchTracker two;
  post(two, Seq().press({100, 300}, {300, 300}).press({90, 300}, {110, 300}));
  EXPECT_EQ(two.currentPoint(Finger::first), Point2D(90, 300)) << "a tie exchanged the points";
  EXPECT_EQ(two.currentPoint(Finger::second), Point2D(110, 300)) << "a tie exchanged the points";
}

// Real panels report a resting finger at exactly the same pixel: its stroke
// has no length and matches nothing, but it is held (tap-and-hold).
TEST(TouchTrackerTest, APerfectlyStillFingerIsHeld) {
  for (const bool stillFirst : {true, false}) {
    TouchTracker t;
    t.setTapAndHold(1);
    Point2D still(200, 600), moving(40, 300);
    for (int i = 0; i <= 20; ++i, moving.x += 20) {
      post(t, stillFirst ? Seq().press(still, moving) : Seq().press(moving, still));
    }
    post(t, Seq().release());
    const auto& rest = stillFirst ? t.firstResult() : t.secondResult();
    EXPECT_EQ(rest.id, 0) << stillFirst;
    const Geometry::Rect2D& b = rest.bounds;  // the real, zero-size bounds
    EXPECT_EQ(Point2D(b.x, b.y), Point2D(200, 600)) << "still first: " << stillFirst;
    EXPECT_EQ(Point2D(b.width, b.height), Point2D(0, 0)) << "still first: " << stillFirst;
    EXPECT_EQ(t.gestureResult().name, L"SwipeRightDouble") << stillFirst;
  }
}

// A flood without a touch end (a lost WM_APP_TOUCH_END) stays bounded and
// keeps its ends and its shape.
TEST(TouchTrackerTest, StrokesStayBoundedUnderAFloodOfSamples) {
  TouchTracker t;
  Path2D whole;
  for (int i = 0; i <= 100000; ++i) {
    const double u = i / 100000.0;
    whole.emplace_back(std::round(40 + 400 * u), std::round(300 + 60 * std::sin(3.14159 * u)));
    post(t, Seq().press(whole.back()));
    ASSERT_LE(t.firstStroke().size(), static_cast<std::size_t>(t.maxStrokePoints()));
  }
  EXPECT_EQ(t.firstStroke().front(), whole.front()) << "thinning lost the stroke's start";
  EXPECT_EQ(t.firstStroke().back(), whole.back()) << "thinning lost the stroke's end";
  post(t, Seq().release());
  const auto expected = Gestures::Recognizer(t.recognizer()).recognize(whole);
  EXPECT_EQ(t.firstResult().id, expected.id);
  EXPECT_NEAR(t.firstResult().score, expected.score, 0.005);
}

}  // namespace
