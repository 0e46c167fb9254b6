#include "capture/gesture_naming.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>

namespace {

using Gestures::RecognitionResult;

// A recognised stroke whose bounds span w by h pixels.
RecognitionResult stroke(std::int32_t id, double score, double w = 400, double h = 2) {
  return {id, L"Stroke", score, 0, {0, 0, w, h}};
}

RecognitionResult named(RecognitionResult a, RecognitionResult b, bool oneFinger = false,
                        bool hold = false) {
  return GestureNaming::nameGesture(a, b, {0.7, oneFinger, hold, {0, 0, 50, 50}});
}

// The bindings are stored under these names: a change breaks users' settings.
TEST(GestureNamingTest, EveryTwoFingerVariant) {
  // stroke id of both fingers, gesture id, picture, name
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, const wchar_t*> rows[] = {
      // clang-format off
      {1, 13, 171, L"SwipeRightDouble"}, {2, 14, 170, L"SwipeLeftDouble"},
      {3, 15, 172, L"SwipeUpDouble"}, {4, 16, 169, L"SwipeDownDouble"},
      {5, 17, 178, L"SwipeRightLeftDouble"}, {6, 18, 177, L"SwipeLeftRightDouble"},
      {7, 19, 179, L"SwipeUpDownDouble"}, {8, 20, 176, L"SwipeDownUpDouble"},
      {9, 21, 159, L"QuestionmarkDouble"}, {10, 22, 160, L"SquareDouble"},
      {11, 23, 174, L"DiamondDouble"}, {12, 0, 0, L"Unknown"}, {0, 0, 0, L"Unknown"},
      // clang-format on
  };
  for (const auto& [s, id, bitmapId, name] : rows) {
    const RecognitionResult g = named(stroke(s, 0.9), stroke(s, 0.8));
    EXPECT_TRUE(g.id == id && g.name == name && g.bitmapId == bitmapId) << s;
    EXPECT_DOUBLE_EQ(g.score, id == 0 ? 0.0 : 0.85) << s;  // the mean
  }
  EXPECT_EQ(named(stroke(1, 0.7), stroke(1, 0.7)).id, 13);  // exactly 0.7 passes
  EXPECT_EQ(named(stroke(1, 0.9), stroke(1, 0.65)).id, 0);
  EXPECT_EQ(named(stroke(1, 0.65), stroke(1, 0.9)).id, 0);
  EXPECT_EQ(named(stroke(1, std::nan("")), stroke(1, 0.9)).id, 0);  // no number: too weak
}

TEST(GestureNamingTest, OneFingerShapesOnlyWhenSwitchedOn) {
  for (std::int32_t id = 1; id <= 12; ++id) {  // the other finger unrecognised
    EXPECT_EQ(named(stroke(id, 0.8), {}, true).id, id >= 10 ? id : 0) << id;
    EXPECT_EQ(named(stroke(id, 0.8), {}, false).id, 0) << id;
  }
  EXPECT_EQ(named(stroke(10, 0.8), {}, true).bounds.width, 400);  // the stroke's own result
  EXPECT_EQ(named(stroke(10, 0.8), stroke(11, 0.9), true).id, 10);
  EXPECT_EQ(named(stroke(12, 0.8), stroke(12, 0.9), true).id, 0);  // a Delete pair is none
  EXPECT_EQ(named(stroke(10, 0.8), stroke(3, 0.5), true).id, 0);   // a weak finger spoils it
}

// A finger resting within the box takes the other finger's shape.
TEST(GestureNamingTest, TapAndHold) {
  RecognitionResult resting = stroke(4, 0.2, 8, 12), diamond = stroke(11, 0.75);
  const RecognitionResult g = named(resting, diamond, false, true);
  EXPECT_TRUE(g.name == L"DiamondDouble" && g.score == 0.75);
  EXPECT_EQ(named(diamond, resting, false, true).id, 23);
  EXPECT_EQ(named(resting, diamond).id, 0);                              // switched off
  EXPECT_EQ(named(stroke(4, 0.9, 30, 60), diamond, false, true).id, 0);  // 60 is not below 50
  GestureNaming::nameGesture(resting, diamond, {0.7, false, true, {0, 0, 50, 50}});
  EXPECT_EQ(resting.id, 11);  // stored, so asking again gives the same

  // Both fingers rest: the first takes the second's result, which then stays.
  RecognitionResult first = stroke(4, 0.9, 8, 12), second = stroke(3, 0.8, 5, 5);
  GestureNaming::nameGesture(first, second, {0.7, false, true, {0, 0, 50, 50}});
  EXPECT_TRUE(first.id == 3 && second.id == 3);
}

}  // namespace
