// Strokes that once made the recogniser misbehave.

#include <gtest/gtest.h>

#include "recognition/geometry.h"
#include "recognition/recognizer.h"

namespace {

// Finite, with a length, but only 5.6e-145 high at x = -1.7e289: scaled to the
// reference square about the origin, x overflowed and the normalised path
// held infinities and NaNs. It has no shape to match, so it normalises to
// nothing, and a template made from it can never be the nearest.
TEST(RecognizerRegressionTest, StrokeWhoseScalingOverflowsHasNoShape) {
  const Geometry::Path2D stroke{{-1.7044745290527055e289, 5.602692144010434e-145},
                                {-1.7044745290527055e289, 0.0}};
  Gestures::Recognizer recognizer;
  Geometry::Path2D normalised = stroke;
  recognizer.normalize(normalised);
  EXPECT_TRUE(normalised.empty());

  EXPECT_EQ(recognizer.addTemplate(1, L"Far", stroke, 0), 1);
  EXPECT_TRUE(recognizer.templates().front().points.empty());
  recognizer.addBuiltInTemplates();
  EXPECT_EQ(recognizer.recognize(stroke).name, L"Unknown");
  EXPECT_EQ(recognizer.recognize({{40, 300}, {440, 300}}).name, L"SwipeRight");
}

}  // namespace
