// More than two fingers through the touch driver's decisions (with the
// forwarder off every frame passes: Evdev/CloneOfRecording; a re-arm:
// TraceTouchSourceTest).
#include "platform/linux/panel/touch_pipeline.h"

#include <gtest/gtest.h>

#include "panel_fixtures.h"
#include "recording_hook_port.h"

namespace {

using PanelFixtures::Ev;
using PanelFixtures::push;
using Post = RecordingHookPort::Post;

TEST(TouchPipelineTest, AThirdFingerPassesOnlyInsideTheRectangle) {
  SimRegistry registry;
  RecordingHookPort hook;
  TouchPipeline pipeline(registry, hook);
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
