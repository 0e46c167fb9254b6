#include "recognition/builtin_templates.h"

#include <gtest/gtest.h>

#include <string>

#include "recognition/recognizer.h"

namespace {

using Geometry::Path2D;
using Gestures::BuiltInGesture;
using Gestures::Recognizer;

// The product's resampler gives every shape exactly 32 points from its
// first to its last point: Square and Delete come out of the walk one short
// and get their last point appended; the others must not get one more.
TEST(BuiltInTemplatesTest, ResamplingGivesEveryShapeThirtyTwoPointsEndToEnd) {
  const Recognizer r;
  for (const BuiltInGesture& g : Gestures::builtInGestures()) {
    const std::wstring name = g.name;
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const Path2D out = r.resample(g.path);
    ASSERT_EQ(out.size(), 32U);
    EXPECT_EQ(out.front(), g.path.front());
    EXPECT_NEAR(out.back().x, g.path.back().x, 1e-9);
    EXPECT_NEAR(out.back().y, g.path.back().y, 1e-9);
    if (name == L"Square" || name == L"Delete") {
      EXPECT_EQ(out.back(), g.path.back());  // appended as it is
    }
  }
}

TEST(BuiltInTemplatesTest, EveryPathIsRecognisedAsItself) {
  Recognizer r;
  r.addBuiltInTemplates();
  for (const BuiltInGesture& g : Gestures::builtInGestures()) {
    const auto result = r.recognize(g.path);
    EXPECT_EQ(result.id, g.id);
    EXPECT_NEAR(result.score, 1.0, 1e-9) << result.id;
  }
}

TEST(BuiltInTemplatesTest, TurningPointOfABackAndForthSwipeIsNotSampled) {
  Recognizer r;
  r.addBuiltInTemplates();
  const auto result = r.recognize({{0, 125}, {250, 125}, {0, 125}});
  EXPECT_EQ(result.name, L"SwipeRightLeft");
  EXPECT_EQ(result.bounds.x, 0.0);
  EXPECT_EQ(result.bounds.y, 125.0);
  EXPECT_NEAR(result.bounds.width, 241.94, 0.005);
  EXPECT_EQ(result.bounds.height, 0.0);
}

}  // namespace
