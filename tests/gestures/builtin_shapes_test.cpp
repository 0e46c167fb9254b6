// The shipped shapes as the recogniser uses them: the question mark's path
// point by point, and the product's resampler on every shape.
#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>
#include <string>

#include "recognition/builtin_templates.h"
#include "recognition/recognizer.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;

// The question mark's distinct points, in drawing order.
constexpr double questionmark[][2] = {
    {188, 435}, {186, 433}, {185, 429}, {183, 425}, {182, 420}, {182, 414}, {183, 408}, {185, 400},
    {188, 394}, {191, 388}, {197, 383}, {204, 378}, {212, 372}, {220, 367}, {230, 363}, {242, 359},
    {254, 357}, {265, 356}, {275, 356}, {287, 358}, {299, 360}, {310, 363}, {320, 366}, {328, 370},
    {335, 376}, {341, 382}, {346, 388}, {349, 394}, {350, 402}, {350, 408}, {350, 416}, {347, 423},
    {343, 431}, {337, 438}, {330, 444}, {322, 450}, {315, 456}, {306, 462}, {299, 468}, {292, 472},
    {286, 476}, {280, 481}, {275, 486}, {271, 492}, {267, 498}, {265, 504}, {262, 511}, {261, 517},
    {260, 524}, {260, 532}, {260, 540}, {260, 549}, {260, 558}, {262, 568}, {267, 601}};

const Gestures::BuiltInGesture& shape(const wchar_t* name) {
  for (const auto& g : Gestures::builtInGestures()) {
    if (std::wstring(g.name) == name) return g;
  }
  throw std::runtime_error("no such shape");
}

// The first point once, every later one twice in succession.
TEST(BuiltInShapesTest, QuestionmarkPathPointByPoint) {
  const Path2D& q = shape(L"Questionmark").path;
  ASSERT_EQ(q.size(), 2 * std::size(questionmark) - 1);
  for (std::size_t i = 0; i < q.size(); ++i) {
    const auto& p = questionmark[(i + 1) / 2];
    EXPECT_EQ(q[i], Point2D(p[0], p[1])) << i;
  }
}

// The product's resampler gives every shape exactly 32 points from its
// first to its last point: Square and Delete come out of the walk one short
// and get their last point appended; the others must not get one more.
TEST(BuiltInShapesTest, ResamplingGivesEveryShapeThirtyTwoPointsEndToEnd) {
  const Gestures::Recognizer r;
  for (const auto& g : Gestures::builtInGestures()) {
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

}  // namespace
