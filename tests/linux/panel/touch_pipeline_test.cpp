// The touch driver's decisions without a panel: the forwarder's lifecycle
// under the switch, frames through the hook, and more than two fingers (the
// driver's feed() of the same path: trace_touch_source_test.cpp).
#include "platform/linux/panel/touch_pipeline.h"

#include <gtest/gtest.h>

#include "panel_fixtures.h"
#include "recording_hook_port.h"

namespace {

using PanelFixtures::Ev;
using PanelFixtures::push;
using Post = RecordingHookPort::Post;

MultipointSample one(std::uint32_t px, std::uint32_t py) {
  MultipointSample s;
  s.pointCount = 1;
  s.firstX = px * 4;
  s.firstY = py * 4;
  return s;
}

class TouchPipelineTest : public testing::Test {
 protected:
  SimRegistry registry;
  RecordingHookPort hook;
  TouchPipeline pipeline{registry, hook};
};

TEST_F(TouchPipelineTest, AFreshForwarderAtEveryRearm) {
  setArea(registry, L"0,0,480,800");
  pipeline.readSwitch();  // no switch yet
  EXPECT_FALSE(pipeline.loaded());
  // Without a forwarder everything passes, nothing is posted.
  EXPECT_TRUE(pipeline.decide(one(0, 0)));
  EXPECT_TRUE(pipeline.decide(MultipointSample()));
  EXPECT_TRUE(hook.take().empty());

  setSwitch(registry, 1);
  pipeline.readSwitch();
  ASSERT_TRUE(pipeline.loaded());
  EXPECT_TRUE(pipeline.decide(one(10, 10)));
  EXPECT_FALSE(pipeline.decide(one(0, 10)));  // the border is outside
  EXPECT_EQ(hook.take(), (std::vector<Post>{touchOne(10, 10), touchOne(0, 10)}));

  // A new rectangle reaches the forwarder only through a re-arm.
  setArea(registry, L"0,0,0,0");
  setSwitch(registry, 2);
  pipeline.readSwitch();
  EXPECT_EQ(pipeline.loadCount(), 1u);
  EXPECT_TRUE(pipeline.decide(one(11, 10)));
  // Off and on again: LinuxTouchDriverThread.AReArmBetweenTwoSamplesReadsTheRectangleAgain.
  setSwitch(registry, 0);
  pipeline.readSwitch();
  EXPECT_FALSE(pipeline.loaded());
}

TEST_F(TouchPipelineTest, AThirdFingerPassesOnlyInsideTheRectangle) {
  setArea(registry, L"0,0,480,400");
  setSwitch(registry, 1);
  pipeline.readSwitch();
  FrameAssembler assembler(PanelFixtures::slotPanel());  // 1:1 quarter pixels
  constexpr Ev syn{EV_SYN, SYN_REPORT, 0};
  auto contact = [&assembler](int slot, int id, int px, int py) {
    push(assembler, {{EV_ABS, ABS_MT_SLOT, slot},
                     {EV_ABS, ABS_MT_TRACKING_ID, id},
                     {EV_ABS, ABS_MT_POSITION_X, px * 4},
                     {EV_ABS, ABS_MT_POSITION_Y, py * 4}});
  };
  contact(0, 1, 100, 100);
  contact(1, 2, 200, 100);
  contact(2, 3, 300, 100);
  auto frames = push(assembler, {syn});
  ASSERT_EQ(frames.back().contactCount, 3);
  EXPECT_TRUE(pipeline.decide(frames.back()));
  // The third finger moves below the rectangle: the whole frame is withheld,
  // and ZEM still follows the first two (which did not move).
  frames = push(assembler, {{EV_ABS, ABS_MT_SLOT, 2}, {EV_ABS, ABS_MT_POSITION_Y, 450 * 4}, syn});
  EXPECT_FALSE(pipeline.decide(frames.back()));
  // The first finger moves out: withheld by the hook itself.
  frames = push(assembler, {{EV_ABS, ABS_MT_SLOT, 0},
                            {EV_ABS, ABS_MT_POSITION_Y, 420 * 4},
                            {EV_ABS, ABS_MT_SLOT, 2},
                            {EV_ABS, ABS_MT_POSITION_Y, 120 * 4},
                            syn});
  EXPECT_FALSE(pipeline.decide(frames.back()));
  EXPECT_EQ(hook.take(),
            (std::vector<Post>{touchTwo(100, 100, 200, 100), touchTwo(100, 420, 200, 100)}));
}

}  // namespace
