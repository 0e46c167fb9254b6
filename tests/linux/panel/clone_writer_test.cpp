// What the clone gets: the full state of every passed contact, lifts before
// anything is withheld, and on real recordings, with and without a
// pass-through rectangle, a reader of the clone that sees exactly the
// panel's contacts (despite the input core dropping repeated values).
#include "platform/linux/panel/clone_writer.h"

#include <gtest/gtest.h>

#include <map>

#include "panel_fixtures.h"
#include "platform/linux/panel/touch_pipeline.h"
#include "recording_hook_port.h"
#include "vm_support.h"

namespace {

using namespace PanelFixtures;

std::string text(const std::vector<CloneEvent>& events) {
  std::string out;
  for (const CloneEvent& e : events) {
    out +=
        std::to_string(e.type) + ":" + std::to_string(e.code) + "=" + std::to_string(e.value) + " ";
  }
  return out;
}

using Contacts = std::map<int, std::pair<int, int>>;

// The clone as a reader sees it: through the input core's rules (the model
// the VM's checks hold against a real kernel), which drop a value equal to
// the last one of its slot; then its contacts and BTN_TOUCH.
class CloneReader {
 public:
  explicit CloneReader(const PanelDescription& clone) : clone_(clone), core_(clone_) {}
  void write(const std::vector<CloneEvent>& events) {
    for (const CloneEvent& e : events) {
      for (const ModelEvent& passed : core_.write({e.type, e.code, e.value})) {
        view_.feed(makeEvent(passed.type, passed.code, passed.value));
        if (passed.type == EV_KEY && passed.code == BTN_TOUCH) touch_ = passed.value;
      }
    }
  }
  // Active contacts: slot -> (x, y).
  Contacts contacts() const {
    Contacts out;
    for (const Contact& c : view_.active()) out[c.slot] = {c.x, c.y};
    return out;
  }
  int touch() const { return touch_; }

 private:
  PanelDescription clone_;
  InputCoreModel core_;
  ContactView view_{maxPanelSlots};
  int touch_ = 0;
};

Contacts panelContacts(const FrameAssembler& a) {
  Contacts out;
  for (int s = 0; s < a.slotCount(); ++s) {
    if (a.slot(s).active()) {
      out[s] = {a.slot(s).axis(ABS_MT_POSITION_X), a.slot(s).axis(ABS_MT_POSITION_Y)};
    }
  }
  return out;
}

TEST(CloneWriter, PassedContactsInFullLiftsBeforeWithholding) {
  const PanelDescription panel = PanelFixtures::slotPanel(2);
  FrameAssembler assembler(panel);
  CloneWriter writer(cloneDescription(panel, assembler.slotCount()));
  std::vector<CloneEvent> out;
  auto frame = push(assembler, {slot(1), id(5), x(10), y(20), syn});
  writer.frame(assembler, frame.back(), true, out);
  EXPECT_EQ(text(out), "3:47=1 3:57=5 3:53=10 3:54=20 1:330=1 3:0=10 3:1=20 0:0=0 ");
  // Only Y moves: the slot is still written whole.
  frame = push(assembler, {y(21), syn});
  writer.frame(assembler, frame.back(), true, out);
  EXPECT_EQ(text(out), "3:47=1 3:57=5 3:53=10 3:54=21 1:330=1 3:0=10 3:1=21 0:0=0 ");
  // Withheld: the contact is lifted once, then nothing more is said.
  frame = push(assembler, {y(22), syn});
  writer.frame(assembler, frame.back(), false, out);
  EXPECT_EQ(text(out), "3:47=1 3:57=-1 1:330=0 0:0=0 ");
  EXPECT_FALSE(writer.shows(1));
  writer.frame(assembler, frame.back(), false, out);
  EXPECT_TRUE(out.empty());
  writer.liftAll(out);
  EXPECT_TRUE(out.empty());
}

// A protocol-A panel's clone speaks protocol B; ZEM never takes its own
// clone for a panel; the name stays within the kernel's limit.
TEST(CloneWriter, CloneDescriptions) {
  PanelDescription panel = PanelFixtures::anonymousPanel();
  panel.name = std::string(200, 'n');
  const PanelDescription clone = cloneDescription(panel, 10);
  EXPECT_EQ(clone.slotCount(), 10);
  EXPECT_TRUE(isClone(clone) && !isClone(panel));
  EXPECT_EQ(clone.name.size(), 79u);
}

// Each recording with the forwarder off (every frame passes) and with the
// top of the screen passing: a reader of the clone sees exactly the panel's
// contacts after every frame that passes, and none while a frame has a
// contact outside.
class CloneOfRecording : public testing::TestWithParam<const char*> {};

TEST_P(CloneOfRecording, ShowsThePanelsContactsExactlyWhileFramesPass) {
  const EvemuRecording r = PanelFixtures::readRecording(GetParam());
  for (const bool rectangle : {false, true}) {
    SCOPED_TRACE(rectangle ? "LockTouch 0,0,480,540" : "forwarder off");
    SimRegistry registry;
    RecordingHookPort hook;
    setSwitch(registry, rectangle ? 1 : 0);
    setArea(registry, L"0,0,480,540");
    TouchPipeline pipeline(registry, hook);
    pipeline.readSwitch();
    FrameAssembler assembler(r.description);
    const PanelDescription description = cloneDescription(r.description, assembler.slotCount());
    CloneWriter writer(description);
    CloneReader clone(description);
    std::vector<CloneEvent> out;
    int passed = 0;
    int withheld = 0;
    for (const PanelEvent& e : r.events) {
      if (!assembler.push(e)) continue;
      const PanelFrame& f = assembler.frame();
      const bool pass = pipeline.decide(f);
      writer.frame(assembler, f, pass, out);
      clone.write(out);
      const int frame = passed + withheld;
      ASSERT_EQ(clone.contacts(), pass ? panelContacts(assembler) : Contacts())
          << "frame " << frame;
      EXPECT_EQ(clone.touch(), pass && f.contactCount > 0 ? 1 : 0) << "frame " << frame;
      ++(pass ? passed : withheld);
    }
    EXPECT_GT(passed, rectangle ? 0 : 10);
    EXPECT_EQ(withheld > 0, rectangle);
  }
}

INSTANTIATE_TEST_SUITE_P(Evdev, CloneOfRecording,
                         testing::Values("Atmel_maXTouch_Touchscreen.1-finger-fast-taps.events",
                                         "Atmel_maXTouch_Touchscreen.4-finger-drag-down.events",
                                         "EP0430M09.2-finger-scroll-down.events",
                                         "EP0430M09.4-finger-drag-down.events"));

}  // namespace
