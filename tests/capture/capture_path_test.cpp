// Recorded human strokes travel the whole capture path: each stroke becomes a
// stream of driver samples (quarter pixels, recorded order), the simulated
// touch driver hands them to the hook library, the library posts touch
// messages to the main window, and the tracker turns them into a named
// gesture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "capture/touch_tracker.h"
#include "hook/multipoint_sample.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_touch_driver.h"
#include "platform/sim/sim_windows.h"
#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"
#include "recognition/recognizer.h"
#include "stroke_fixtures.h"
#include "trace/touch_sequence.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;
using StrokeFixtures::RecordedStroke;

std::string fixture(const char* name) {
  return std::string(ZEM_TEST_DATA_DIR) + "/strokes/" + name;
}

// Scales a recorded stroke up to finger size and places it on the 480 x 800
// screen, keeping a margin for the second finger.
Path2D placeOnScreen(const Path2D& points) {
  const Geometry::Rect2D box = Gestures::Recognizer::boundingBox(points);
  const double side = std::max(box.width, box.height);
  const double scale = side > 0 ? std::min(2.0, 330.0 / side) : 1.0;
  Path2D placed;
  for (const Point2D& p : points) {
    placed.push_back({60 + (p.x - box.x) * scale, 60 + (p.y - box.y) * scale});
  }
  return placed;
}

struct CapturedTouch {
  Gestures::RecognitionResult gesture;
  std::size_t penSamples = 0;  // samples that reached other applications
};

class CapturePath {
 public:
  CapturePath() {
    zem_ = windows_.create(MainWindow::className, MainWindow::title);
    registry_.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                        TouchDriverRegistry::lockTouch, TouchDriverRegistry::wholeScreen);
    registry_.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::multiTouchDemo, 1);
  }

  // One finger draws `points`; a second one follows it `offset` pixels to the
  // side.
  CapturedTouch draw(const Path2D& points, const Point2D& offset) {
    TouchSequence sequence;
    for (const Point2D& p : points) sequence.frame(2, p, {p.x + offset.x, p.y + offset.y});
    for (const MultipointSample& sample : sequence.release().samples()) driver_.feed(sample);
    CapturedTouch touch;
    touch.penSamples = driver_.takePenInput().size();
    for (const SimWindows::Message& m : windows_.takeMessages(zem_)) {
      const auto first = static_cast<std::uint32_t>(static_cast<std::uintptr_t>(m.lParam));
      const auto second = static_cast<std::uint32_t>(m.wParam);
      if (m.message == WM_APP_TOUCH) {
        tracker_.touchUpdate(second, first, SampleMode::gestures(Screen::upright));
      } else if (m.message == WM_APP_TOUCH_END) {
        tracker_.touchEnd(0, {}, {}, SampleMode::gestures(Screen::upright));
        touch.gesture = tracker_.gestureResult();
      }
    }
    return touch;
  }

 private:
  SimRegistry registry_;
  SimWindows windows_;
  SimWindows::Handle zem_ = 0;
  SimTouchDriver driver_{registry_, windows_};
  TouchTracker tracker_;
};

struct PathCase {
  const char* file;
  int quarterTurns;  // applied to the recorded stroke
  bool mirror;
  bool reverse;
  Point2D fingerOffset;
  const wchar_t* expected;
  double minShare;  // of the file's strokes that must come out as `expected`
};

std::string caseName(const PathCase& c) {
  const std::wstring name = c.expected;
  return std::string(name.begin(), name.end());
}
// Names the case in test listings (CTest takes its test names from these).
void PrintTo(const PathCase& c, std::ostream* os) { *os << caseName(c); }

class RealStrokeCaptureTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(RealStrokeCaptureTest, TwoFingersGiveTheDoubleGesture) {
  const PathCase& c = GetParam();
  const StrokeFixtures::StrokeFile file = StrokeFixtures::loadStrokeFile(fixture(c.file));
  ASSERT_TRUE(file.ok()) << file.error;
  CapturePath phone;
  std::size_t hits = 0;
  for (const RecordedStroke& recorded : file.strokes) {
    RecordedStroke s = recorded;
    if (c.mirror) s = StrokeFixtures::mirrored(s);
    if (c.reverse) s = StrokeFixtures::reversed(s);
    s = StrokeFixtures::turned(s, c.quarterTurns);
    const CapturedTouch touch = phone.draw(placeOnScreen(s.points), c.fingerOffset);
    if (touch.gesture.name == c.expected) {
      ++hits;
      EXPECT_GE(touch.gesture.score, 0.7);
    }
    // The whole screen passes while no game-pad is shown.
    EXPECT_EQ(touch.penSamples, s.points.size()) << recorded.label;
  }
  const double share = static_cast<double>(hits) / static_cast<double>(file.strokes.size());
  EXPECT_GE(share, c.minShare) << hits << " of " << file.strokes.size();
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RealStrokeCaptureTest,
    ::testing::Values(
        // Fingers side by side across the direction of motion.
        PathCase{"mmg-finger-line.strokes", 0, false, false, {0, 60}, L"SwipeRightDouble", 1.0},
        PathCase{"mmg-finger-line.strokes", 0, true, false, {0, 60}, L"SwipeLeftDouble", 1.0},
        PathCase{"mmg-finger-line.strokes", 1, false, false, {60, 0}, L"SwipeUpDouble", 1.0},
        PathCase{"mmg-finger-line.strokes", 3, false, false, {60, 0}, L"SwipeDownDouble", 1.0},
        PathCase{"dollar1-rectangle.strokes", 0, false, true, {60, 0}, L"SquareDouble", 0.8},
        PathCase{
            "dollar1-question_mark.strokes", 0, false, false, {60, 0}, L"QuestionmarkDouble", 0.7}),
    [](const testing::TestParamInfo<PathCase>& p) { return caseName(p.param); });

}  // namespace
