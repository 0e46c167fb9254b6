#include "capture/gesture_naming.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <string>

#include "recognition/builtin_templates.h"

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

// The bindings are stored under these names: every shape but Delete has a
// two-finger gesture named after it, with an id and a picture of its own.
TEST(GestureNamingTest, BothFingersWithOneShapeNameItsTwoFingerGesture) {
  std::set<std::int32_t> ids, bitmaps;
  for (const Gestures::BuiltInGesture& shape : Gestures::builtInGestures()) {
    const std::wstring name = shape.name;
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    RecognitionResult first = stroke(shape.id, 0.9), second = stroke(shape.id, 0.8);
    first.name = second.name = name;
    const RecognitionResult g = named(first, second);
    if (name == L"Delete") {
      EXPECT_EQ(g.id, 0);
      continue;
    }
    EXPECT_EQ(g.name, name + L"Double");
    EXPECT_DOUBLE_EQ(g.score, 0.85) << "the mean of both fingers' scores";
    ids.insert(g.id);
    bitmaps.insert(g.bitmapId);
  }
  EXPECT_EQ(ids.size(), 11u);
  EXPECT_EQ(bitmaps.size(), 11u);
  EXPECT_EQ(ids.count(0) + bitmaps.count(0), 0u);
  EXPECT_EQ(named(stroke(0, 0.9), stroke(0, 0.8)).name, L"Unknown");
}

TEST(GestureNamingTest, AFingerBelowTheThresholdSpoilsTheGesture) {
  const struct {
    const char* what;
    double first, second;
    std::int32_t id;
  } rows[] = {
      {"both exactly at the threshold", 0.7, 0.7, 13},
      {"the second finger below", 0.9, 0.65, 0},
      {"the first finger below", 0.65, 0.9, 0},
      {"a score that is no number", std::nan(""), 0.9, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(named(stroke(1, row.first), stroke(1, row.second)).id, row.id) << row.what;
  }
}

// A one-finger square, a one-finger swipe and the switch are played in
// tests/scenarios/touch_and_shapes.scn and settings_reload.scn.
TEST(GestureNamingTest, OneFingerCountsForSquareDiamondAndDeleteWhenSwitchedOn) {
  const RecognitionResult none{};
  const struct {
    const char* what;
    RecognitionResult first, second;
    std::int32_t id;
  } rows[] = {
      {"Delete alone", stroke(12, 0.8), none, 12},
      {"a question mark alone", stroke(9, 0.8), none, 0},
      {"Square beside a Diamond: the first finger's", stroke(10, 0.8), stroke(11, 0.9), 10},
      {"two Deletes make no pair", stroke(12, 0.8), stroke(12, 0.9), 0},
      {"a weak other finger spoils it", stroke(10, 0.8), stroke(3, 0.5), 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(named(row.first, row.second, true).id, row.id) << row.what;
  }
  EXPECT_EQ(named(stroke(10, 0.8), none, true).bounds.width, 400)
      << "a one-finger gesture is that finger's own result, with its bounds";
}

// A finger resting within the box takes the other finger's shape (the first
// finger resting, the switch and the box: touch_and_shapes.scn and
// settings_reload.scn).
TEST(GestureNamingTest, TapAndHold) {
  const RecognitionResult diamond = stroke(11, 0.75);
  const RecognitionResult resting = stroke(4, 0.2, 8, 12);  // within 50 x 50
  const RecognitionResult g = named(resting, diamond, false, true);
  EXPECT_EQ(g.name, L"DiamondDouble");
  EXPECT_EQ(g.score, 0.75) << "the resting finger takes the other's score too";
  EXPECT_EQ(named(diamond, resting, false, true).id, 23) << "the second finger resting";

  RecognitionResult held = resting, other = diamond;
  GestureNaming::nameGesture(held, other, {0.7, false, true, {0, 0, 50, 50}});
  EXPECT_EQ(held.id, 11) << "the held finger's result is replaced, so asking again agrees";

  // Both fingers rest: the first takes the second's result, which then stays.
  RecognitionResult first = stroke(4, 0.9, 8, 12), second = stroke(3, 0.8, 5, 5);
  GestureNaming::nameGesture(first, second, {0.7, false, true, {0, 0, 50, 50}});
  EXPECT_EQ(first.id, 3) << "the first resting finger takes the second's shape";
  EXPECT_EQ(second.id, 3) << "the second keeps its own";
}

}  // namespace
