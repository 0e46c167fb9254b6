#include "recognition/builtin_templates.h"

#include <gtest/gtest.h>

#include <string>

#include "recognition/recognizer.h"
#include "reference_resample.h"

namespace {

using Geometry::Path2D;
using Gestures::BuiltInGesture;
using Gestures::Recognizer;

struct Expected {
  int id;
  const wchar_t* name;
  int bitmapId;
};

constexpr Expected table[] = {
    {1, L"SwipeRight", 0},  {2, L"SwipeLeft", 0},      {3, L"SwipeUp", 0},
    {4, L"SwipeDown", 0},   {5, L"SwipeRightLeft", 0}, {6, L"SwipeLeftRight", 0},
    {7, L"SwipeUpDown", 0}, {8, L"SwipeDownUp", 0},    {10, L"Square", 158},
    {11, L"Diamond", 173},  {9, L"Questionmark", 0},   {12, L"Delete", 157},
};

TEST(BuiltInTemplatesTest, TwelveTemplatesInRegistrationOrder) {
  Recognizer r;
  r.addBuiltInTemplates();
  ASSERT_EQ(r.templates().size(), std::size(table));
  for (std::size_t i = 0; i < std::size(table); ++i) {
    const auto& t = r.templates()[i];
    EXPECT_EQ(t.id, table[i].id) << i;
    EXPECT_EQ(t.name, table[i].name) << i;
    EXPECT_EQ(t.bitmapId, table[i].bitmapId) << i;
    EXPECT_EQ(t.points.size(), 32U) << i;
  }
}

TEST(BuiltInTemplatesTest, QuestionmarkHoldsEveryPointButTheFirstTwice) {
  const Path2D& q = Gestures::builtInGestures()[10].path;
  ASSERT_EQ(q.size(), 109U);
  EXPECT_EQ(q[0], Geometry::Point2D(188, 435));
  EXPECT_EQ(q[1], q[2]);
  EXPECT_EQ(q[107], Geometry::Point2D(267, 601));
  EXPECT_EQ(q[108], q[107]);
  // The doubled entries change nothing: the distinct points give the same template.
  Path2D distinct = {q[0]};
  for (std::size_t i = 1; i < q.size(); i += 2) distinct.push_back(q[i]);
  Recognizer r;
  r.addTemplate(9, L"A", q, 0);
  r.addTemplate(9, L"B", distinct, 0);
  EXPECT_EQ(r.templates()[0].points, r.templates()[1].points);
}

TEST(BuiltInTemplatesTest, OnlySquareAndDeleteNeedTheirLastPointAppended) {
  for (const BuiltInGesture& g : Gestures::builtInGestures()) {
    const std::wstring name = g.name;
    const bool repaired = name == L"Square" || name == L"Delete";
    EXPECT_EQ(Reference::resample(g.path).loopPoints, repaired ? 31U : 32U)
        << std::string(name.begin(), name.end());
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
