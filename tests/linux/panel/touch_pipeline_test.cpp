// More than two fingers through the touch driver's decisions (with the
// forwarder off every frame passes: Evdev/CloneOfRecording; a re-arm:
// TraceTouchSourceTest).
#include "platform/linux/panel/touch_pipeline.h"

#include <gtest/gtest.h>

#include "panel_fixtures.h"
#include "recording_hook_port.h"

namespace {

using namespace PanelFixtures;
using Post = RecordingHookPort::Post;

TEST(TouchPipelineTest, AThirdFingerPassesOnlyInsideTheRectangle) {
  SimRegistry registry;
  RecordingHookPort hook;
  TouchPipeline pipeline(registry, hook);
  setArea(registry, L"0,0,480,400");
  setSwitch(registry, 1);
  pipeline.readSwitch();
  FrameAssembler assembler(slotPanel());  // 1:1 quarter pixels
  auto frames = push(assembler, {slot(0), id(1), x(400), y(400), slot(1), id(2), x(800), y(400),
                                 slot(2), id(3), x(1200), y(400), syn});
  ASSERT_EQ(frames.back().contactCount, 3);
  EXPECT_TRUE(pipeline.decide(frames.back()));
  // The third finger moves below the rectangle: the whole frame is withheld,
  // and ZEM still follows the first two (which did not move).
  frames = push(assembler, {slot(2), y(450 * 4), syn});
  EXPECT_FALSE(pipeline.decide(frames.back()));
  // The first finger moves out: withheld by the hook itself.
  frames = push(assembler, {slot(0), y(420 * 4), slot(2), y(120 * 4), syn});
  EXPECT_FALSE(pipeline.decide(frames.back()));
  EXPECT_EQ(hook.take(),
            (std::vector<Post>{touchTwo(100, 100, 200, 100), touchTwo(100, 420, 200, 100)}));
}

}  // namespace
