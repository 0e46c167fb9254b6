#include "capture/gesture_naming.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using Gestures::RecognitionResult;

// A recognised stroke; `side` is the larger side of its bounds in pixels.
RecognitionResult stroke(std::int32_t id, double score, double side = 400) {
  RecognitionResult r;
  r.id = id;
  r.name = L"Stroke";
  r.score = score;
  r.bounds = {0, 0, side, 2};
  return r;
}

RecognitionResult named(RecognitionResult a, RecognitionResult b, bool oneFinger = false,
                        bool hold = false) {
  GestureNaming::NamingRules rules;
  rules.singleTouchGestures = oneFinger;
  rules.tapAndHold = hold;
  rules.tapAndHoldBox = {0, 0, 50, 50};
  return GestureNaming::nameGesture(a, b, rules);
}

// The bindings are stored under these names: a change breaks users' settings.
TEST(GestureNamingTest, EveryTwoFingerVariant) {
  struct Row {
    std::int32_t stroke, id, bitmapId;
    const wchar_t* name;
  } const rows[] = {
      // clang-format off
      {1, 13, 171, L"SwipeRightDouble"}, {2, 14, 170, L"SwipeLeftDouble"},
      {3, 15, 172, L"SwipeUpDouble"}, {4, 16, 169, L"SwipeDownDouble"},
      {5, 17, 178, L"SwipeRightLeftDouble"}, {6, 18, 177, L"SwipeLeftRightDouble"},
      {7, 19, 179, L"SwipeUpDownDouble"}, {8, 20, 176, L"SwipeDownUpDouble"},
      {9, 21, 159, L"QuestionmarkDouble"}, {10, 22, 160, L"SquareDouble"},
      {11, 23, 174, L"DiamondDouble"}, {12, 0, 0, L"Unknown"}, {0, 0, 0, L"Unknown"},
      // clang-format on
  };
  for (const Row& r : rows) {
    const RecognitionResult g = named(stroke(r.stroke, 0.9), stroke(r.stroke, 0.8));
    EXPECT_EQ(g.id, r.id) << r.stroke;
    EXPECT_EQ(g.name, r.name) << r.stroke;
    EXPECT_EQ(g.bitmapId, r.bitmapId) << r.stroke;
    EXPECT_DOUBLE_EQ(g.score, r.id == 0 ? 0.0 : 0.85) << r.stroke;
  }
  EXPECT_EQ(named(stroke(1, 0.7), stroke(1, 0.7)).id, 13);  // exactly 0.7 passes
  EXPECT_EQ(named(stroke(1, 0.9), stroke(1, 0.65)).id, 0);
  EXPECT_EQ(named(stroke(1, 0.65), stroke(1, 0.9)).id, 0);
}

TEST(GestureNamingTest, OneFingerShapesOnlyWhenSwitchedOn) {
  for (std::int32_t id = 1; id <= 12; ++id) {
    EXPECT_EQ(named(stroke(id, 0.8), {}, true).id, id >= 10 ? id : 0) << id;
    EXPECT_EQ(named(stroke(id, 0.8), {}, false).id, 0) << id;
  }
  EXPECT_EQ(named(stroke(10, 0.8), {}, true).bounds.width, 400);  // the stroke's own result
  EXPECT_EQ(named(stroke(10, 0.8), stroke(11, 0.9), true).id, 10);
  EXPECT_EQ(named(stroke(10, 0.8), stroke(3, 0.5), true).id, 0);  // a weak finger spoils it
}

// A finger resting within the box takes the other finger's shape.
TEST(GestureNamingTest, TapAndHold) {
  RecognitionResult resting = stroke(4, 0.2, 12);
  RecognitionResult diamond = stroke(11, 0.75);
  const RecognitionResult g = named(resting, diamond, false, true);
  EXPECT_EQ(g.name, L"DiamondDouble");
  EXPECT_DOUBLE_EQ(g.score, 0.75);
  EXPECT_EQ(named(diamond, resting, false, true).id, 23);
  EXPECT_EQ(named(resting, diamond).id, 0);                          // switched off
  EXPECT_EQ(named(stroke(4, 0.9, 50), diamond, false, true).id, 0);  // 50 is not below 50
  GestureNaming::NamingRules hold;
  hold.tapAndHold = true;
  hold.tapAndHoldBox = {0, 0, 50, 50};
  GestureNaming::nameGesture(resting, diamond, hold);
  EXPECT_EQ(resting.id, 11);  // stored, so asking again gives the same
}

}  // namespace
