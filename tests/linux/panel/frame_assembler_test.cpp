#include "platform/linux/panel/frame_assembler.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "panel_fixtures.h"

namespace {

using namespace PanelFixtures;

// count x1 y1 x2 y2, as the replay tool prints it.
std::string text(const MultipointSample& s) {
  return std::to_string(s.pointCount) + " " + std::to_string(s.firstX) + " " +
         std::to_string(s.firstY) + " " + std::to_string(s.secondX) + " " +
         std::to_string(s.secondY);
}

std::string last(const std::vector<PanelFrame>& frames) {
  return frames.empty() ? "no frame" : text(frames.back().sample);
}

// The scale of an axis range: the replays' whole outputs (tests/linux/panel/
// replay) and the VM; clamping and no overflow on any range: the evemu fuzz
// target.
TEST(FrameScale, RotationTurnsThePanelClockwiseBeforeScaling) {
  // Panel 1000 x 2000 values onto a 480 x 800 screen; the panel's corners.
  FrameAssembler assembler(slotPanel(5, 999, 1999));
  struct Case {
    int rotation;
    std::int32_t px, py;
    std::uint32_t qx, qy;
  } cases[] = {
      {0, 0, 0, 0, 0},        {0, 999, 1999, 1918, 3198},
      {90, 0, 0, 1919, 0},    {90, 999, 0, 1919, 3196},
      {90, 0, 1999, 0, 0},    {180, 0, 0, 1918, 3198},
      {180, 999, 1999, 0, 0}, {270, 0, 0, 0, 3196},
      {270, 999, 0, 0, 0},    {270, 0, 1999, 1919, 3196},
  };
  for (const Case& c : cases) {
    assembler.setScreen({480, 800, c.rotation});
    const ScreenPoint p = assembler.toScreen(c.px, c.py);
    EXPECT_EQ(std::make_pair(p.x, p.y), std::make_pair(c.qx, c.qy))
        << c.rotation << " degrees, panel " << c.px << "," << c.py;
  }
  // Unknown rotations and sizes leave the screen as it was.
  assembler.setScreen({0, -3, 45});
  const ScreenGeometry kept = assembler.screen();
  EXPECT_EQ(std::make_tuple(kept.width, kept.height, kept.rotation),
            std::make_tuple(480, 800, 270));
}

// Each case: events pushed in steps on a fresh five-slot panel, and the
// sample of each step's last frame.
TEST(FrameAssembly, EventSequencesGiveTheirSamples) {
  struct Step {
    std::vector<Ev> events;
    const char* sample;
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"the two oldest contacts are the points in order",
       {// Slot 3's contact starts before slot 1's in the same frame.
        {{slot(3), id(40), x(800), y(400), slot(1), id(41), x(100), y(200), syn},
         "2 800 400 100 200"},
        // A younger third finger in a lower slot does not change the first two.
        {{slot(0), id(42), x(5), y(6), syn}, "2 800 400 100 200"},
        // The oldest lifts: the next oldest is the first point, the youngest the second.
        {{slot(3), id(-1), syn}, "2 100 200 5 6"}}},
      {"a slot keeps its values for a new contact (the kernel drops an X equal to the last)",
       {{{slot(2), id(1), x(100), y(200), syn}, "1 100 200 0 0"},
        {{id(-1), syn}, "0 0 0 0 0"},
        {{id(2), y(250), syn}, "1 100 250 0 0"}}},
      {"ignored events still end their frame",
       {{{slot(0), id(1), x(100), y(200), syn}, "1 100 200 0 0"},
        // An undeclared axis, a key, ABS_X and an undeclared slot axis.
        {{{EV_ABS, 0x1d, 15316}, syn}, "1 100 200 0 0"},
        {{{EV_KEY, BTN_TOUCH, 0}, syn}, "1 100 200 0 0"},
        {{{EV_ABS, ABS_X, 9}, {EV_ABS, ABS_MT_PRESSURE, 9}, syn}, "1 100 200 0 0"},
        // A slot the panel does not have: dropped until a valid slot.
        {{slot(9), id(5), x(1), y(1), slot(0), x(150), syn}, "1 150 200 0 0"},
        {{{EV_SYN, SYN_MT_REPORT, 0}, {EV_MSC, MSC_SCAN, 4}, syn}, "1 150 200 0 0"}}},
      {"events after a drop are skipped up to the next report",
       {{{slot(0), id(1), x(100), y(200), syn}, "1 100 200 0 0"},
        {{{EV_SYN, SYN_DROPPED, 0}, x(999), id(-1), syn}, "1 100 200 0 0"},
        {{x(120), syn}, "1 120 200 0 0"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FrameAssembler assembler(slotPanel());
    for (const Step& step : c.steps) EXPECT_EQ(last(push(assembler, step.events)), step.sample);
  }
}

TEST(FrameAssembly, SeededStateIsTheStartingPoint) {
  FrameAssembler assembler(slotPanel());
  // At grab time slot 1 and slot 0 hold contacts, slot 1 current.
  assembler.seedSlot(0, ABS_MT_TRACKING_ID, 7);
  assembler.seedSlot(0, ABS_MT_POSITION_X, 10);
  assembler.seedSlot(0, ABS_MT_POSITION_Y, 20);
  assembler.seedSlot(1, ABS_MT_TRACKING_ID, 8);
  assembler.seedSlot(1, ABS_MT_POSITION_X, 30);
  assembler.seedSlot(1, ABS_MT_POSITION_Y, 40);
  assembler.seedSlot(99, ABS_MT_TRACKING_ID, 9);  // no such slot: ignored
  assembler.setCurrentSlot(1);
  EXPECT_EQ(text(assembler.endFrame(0).sample), "2 10 20 30 40");
  EXPECT_EQ(last(push(assembler, {x(31), syn})), "2 10 20 31 40");
  // A resync that finds slot 0 with a new contact makes it the youngest.
  assembler.seedSlot(0, ABS_MT_TRACKING_ID, 12);
  EXPECT_EQ(text(assembler.endFrame(0).sample), "2 31 40 10 20");
}

TEST(FrameAssembly, AProtocolAPanelGoesThroughTheTranslator) {
  FrameAssembler assembler(PanelFixtures::anonymousPanel());
  if (!assembler.usable()) GTEST_SKIP() << "built without mtdev";
  constexpr Ev mt{EV_SYN, SYN_MT_REPORT, 0};
  EXPECT_EQ(last(push(assembler, {x(100), y(200), mt, syn})), "1 100 200 0 0");
  EXPECT_EQ(last(push(assembler, {x(102), y(201), mt, x(900), y(900), mt, syn})),
            "2 102 201 900 900");
  // The contacts come in the other order: they keep their identities.
  EXPECT_EQ(last(push(assembler, {x(905), y(900), mt, x(104), y(202), mt, syn})),
            "2 104 202 905 900");
  // Codes no kernel sends never reach the translator (found by fuzzing: mtdev
  // indexes its tables by code).
  EXPECT_EQ(last(push(assembler, {x(905),
                                  y(900),
                                  mt,
                                  {EV_ABS, 0x2035, 50},
                                  {EV_KEY, 0, 1},
                                  {EV_ABS, ABS_MT_PRESSURE, 9},
                                  x(104),
                                  y(202),
                                  mt,
                                  syn})),
            "2 104 202 905 900");
  // The first finger lifts: the other one stays and becomes the first point.
  EXPECT_EQ(last(push(assembler, {x(906), y(901), mt, syn})), "1 906 901 0 0");
  EXPECT_EQ(last(push(assembler, {mt, syn})), "0 0 0 0 0");
}

TEST(FrameAssembly, APanelWithoutMultitouchAxesGivesEmptyFrames) {
  PanelDescription panel;
  panel.setProperty(INPUT_PROP_DIRECT);
  panel.setAxis(ABS_X, AxisInfo{0, 0, 100, 0, 0, 0});
  FrameAssembler assembler(panel);
  EXPECT_FALSE(assembler.usable());
  EXPECT_EQ(last(push(assembler, {{EV_ABS, ABS_X, 50}, syn})), "0 0 0 0 0");
}

}  // namespace
