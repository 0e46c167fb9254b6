#include "recognition/recognizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "reference_resample.h"

namespace {

using Geometry::largestDouble;
using Geometry::Path2D;
using Geometry::Point2D;
using Gestures::RecognitionResult;
using Gestures::Recognizer;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectUnknown(const RecognitionResult& r) {
  EXPECT_EQ(std::tie(r.id, r.name, r.score, r.bitmapId, r.bounds.width),
            std::make_tuple(0, std::wstring(L"Unknown"), 0.0, 0, largestDouble));
}

// The linear walk must give exactly the points of inserting into the source.
void expectReferenceWalk(const Recognizer& r, const Path2D& src, const std::string& what) {
  const Path2D expected = Reference::resample(src);
  const Path2D actual = r.resample(src);
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    ASSERT_TRUE(sameBits(actual[i].x, expected[i].x)) << what << ", x of point " << i;
    ASSERT_TRUE(sameBits(actual[i].y, expected[i].y)) << what << ", y of point " << i;
  }
}

TEST(ResampleTest, MatchesTheInsertingWalkBitForBit) {
  const Recognizer r;
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<double> coord(0.0, 800.0);
  std::uniform_int_distribution<int> length(2, 400);
  for (int trial = 0; trial < 500; ++trial) {
    Path2D src(static_cast<std::size_t>(length(rng)));
    for (Point2D& p : src) p = {coord(rng), coord(rng)};
    if (trial % 3 == 0) {
      for (Point2D& p : src) p = {std::round(p.x), std::round(p.y)};  // pixel strokes
    }
    if (trial % 5 == 0) src.insert(src.begin() + 1, src.front());  // repeated samples
    expectReferenceWalk(r, src, "trial " + std::to_string(trial));
  }
}

// Samples spaced evenly along a line put the walk's points on the polyline's
// vertices, up to rounding: each step is decided by the last bit, the case
// where the walk's quick guess and its exact test part. The points must still
// be those of inserting into the source.
TEST(ResampleTest, SamplesOnTheWalksOwnSpacingMatchTheInsertingWalk) {
  const Recognizer r;
  for (const double step : {0.1, 1.0 / 3.0, 0.7, 1e-3, 7.7, 12.345}) {
    for (const int points : {16, 32, 63, 94}) {
      for (const Point2D direction : {Point2D(1, 0), Point2D(0, -1), Point2D(1, 0.5)}) {
        Path2D src;
        for (int i = 0; i < points; ++i) {
          src.emplace_back(i * step * direction.x, 100.0 + i * step * direction.y);
        }
        expectReferenceWalk(r, src,
                            "step " + std::to_string(step) + ", " + std::to_string(points) +
                                " points, direction " + std::to_string(direction.y));
      }
    }
  }
}

TEST(RecognizerTest, StrokesWithoutMeasurableLengthOrTemplatesAreUnknown) {
  Recognizer r;
  r.addBuiltInTemplates();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const Path2D bad[] = {
      {{100, 100}},                               // one point
      {{100, 100}, {100, 100}, {100, 100}},       // coincident points
      {{0, 0}, {nan, 5}, {100, 0}},               // not a number
      {{0, 0}, {inf, 0}},                         // infinite
      {{-inf, 0}, {inf, 0}},                      // infinite both ways
      {{0, 0}, {1e300, 1e300}},                   // length overflows
      {{-largestDouble, 0}, {largestDouble, 0}},  // extent overflows
      {{1e17, 1e17}, {1e17 + 16, 1e17}},          // interval below the spacing of doubles
  };
  for (const Path2D& stroke : bad) {
    expectUnknown(r.recognize(stroke));
    EXPECT_TRUE(r.resample(stroke).empty());
  }
  expectUnknown(r.recognize({}));
  expectUnknown(Recognizer().recognize({{40, 300}, {440, 300}}));  // no template
}

// recognize skips work (templates are dropped by a bound of their distance
// sum without a square root, or part-way through it, and finished out of
// order) but must choose exactly as the plain loop over pathDistance does:
// the smallest distance, the earlier template on a tie. Every result is
// compared to the last bit.
void expectPlainLoopChoice(Recognizer& r, const Path2D& stroke, const std::string& what) {
  Path2D normalized = stroke;
  r.normalize(normalized);
  double best = largestDouble;
  std::ptrdiff_t expected = -1;
  for (std::size_t i = 0; i < r.templates().size(); ++i) {
    const double d = Recognizer::pathDistance(normalized, r.templates()[i].points);
    if (d < best) {
      best = d;
      expected = static_cast<std::ptrdiff_t>(i);
    }
  }
  const RecognitionResult result = r.recognize(stroke);
  ASSERT_GE(expected, 0) << what;
  EXPECT_EQ(result.id, r.templates()[static_cast<std::size_t>(expected)].id) << what;
  const double score = 1.0 - best / r.halfDiagonal();
  EXPECT_TRUE(sameBits(result.score, score)) << what;
}

// Random templates with exact duplicates, mirror images (equal distances for
// a level stroke), near duplicates (sums a hair apart) and far shapes.
TEST(RecognizerTest, ChoosesAsThePlainLoopDoesIncludingTies) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> coordinate(0.0, 400.0);
  const auto randomPath = [&](int points) {
    Path2D path;
    for (int i = 0; i < points; ++i) path.emplace_back(coordinate(random), coordinate(random));
    return path;
  };
  Recognizer r;
  std::vector<Path2D> shapes;
  for (std::int32_t id = 1; id <= 12; ++id) {
    const Path2D path = randomPath(3 + id % 5);
    shapes.push_back(path);
    Path2D mirrored = path;
    for (Point2D& p : mirrored) p.y = -p.y;
    Path2D nudged = path;
    nudged.back().x += 1e-7;
    r.addTemplate(id, L"T", path, 0);
    if (id % 3 == 0) r.addTemplate(100 + id, L"D", path, 0);
    if (id % 4 == 0) r.addTemplate(200 + id, L"M", mirrored, 0);
    if (id % 5 == 0) r.addTemplate(300 + id, L"N", nudged, 0);
  }
  for (int n = 0; n < 500; ++n) {
    // Every fifth stroke is level, so mirrored templates tie with their own.
    Path2D stroke = randomPath(2 + n % 40);
    if (n % 5 == 0) {
      for (Point2D& p : stroke) p.y = 7.0;
    }
    expectPlainLoopChoice(r, stroke, "random stroke " + std::to_string(n));
  }
  // A stroke drawn exactly as a template: a distance of zero, tied with the
  // template's duplicate and a hair away from its near duplicate.
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    expectPlainLoopChoice(r, shapes[i], "template shape " + std::to_string(i));
    Path2D nudged = shapes[i];
    nudged.front().y -= 1e-9;
    expectPlainLoopChoice(r, nudged, "nudged template shape " + std::to_string(i));
  }
}

// An arc and its copy (equal squares, so equal bounds and an exact tie), its
// mirror image (a hair away from it against a level stroke), a far template
// first and the nearest last: neither the order of the search nor equal
// bounds may change the choice.
TEST(RecognizerTest, ChoosesAsThePlainLoopWithEqualBoundsAndTheWinnerLast) {
  Recognizer r;
  r.addTemplate(1, L"Far", {{0, 0}, {0, 300}, {300, 300}}, 0);
  r.addTemplate(2, L"Mirror", {{0, 40}, {150, 0}, {300, 40}}, 0);
  r.addTemplate(3, L"Arc", {{0, 0}, {150, 40}, {300, 0}}, 0);
  r.addTemplate(4, L"ArcAgain", {{0, 0}, {150, 40}, {300, 0}}, 0);
  r.addTemplate(5, L"Bump", {{0, 0}, {150, 20}, {300, 0}}, 0);
  const Path2D arc = {{0, 0}, {150, 40}, {300, 0}};
  const Path2D level = {{0, 0}, {300, 0}};
  const Path2D strokes[] = {arc, level, {{0, 2}, {150, 41}, {300, 1}}, {{0, 300}, {0, 0}}};
  for (std::size_t i = 0; i < std::size(strokes); ++i) {
    expectPlainLoopChoice(r, strokes[i], "stroke " + std::to_string(i));
  }
  const RecognitionResult exact = r.recognize(arc);
  EXPECT_EQ(exact.id, 3);  // zero distance, tied with its copy
  EXPECT_EQ(exact.score, 1.0);
  r.addTemplate(6, L"Flat", level, 0);
  EXPECT_EQ(r.recognize(level).id, 6);  // the exact match registered last
  expectPlainLoopChoice(r, level, "level stroke with its own template");
}

}  // namespace
