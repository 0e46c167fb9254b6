// Frame assembly on every real recording: one frame per SYN_REPORT, the
// number of fingers, their order, a finger lifting, more than two fingers.
// The samples of two of them in full: the replays (zem_touch_replay_cli);
// points on the screen, unused ones 0, on any input: the evemu fuzz target.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "panel_fixtures.h"

namespace {

using PanelFixtures::readRecording;

struct Recording {
  const char* events;
  const char* desc;
  int maxContacts;  // the most fingers down at once
  int touches;      // times the count went from 0 to more
};

// Named by its file in the test names.
std::ostream& operator<<(std::ostream& out, const Recording& r) { return out << r.events; }

class RealRecording : public testing::TestWithParam<Recording> {};

TEST_P(RealRecording, OneSampleEveryReportAndEveryTouchEnds) {
  const Recording& p = GetParam();
  const EvemuRecording r = readRecording(p.events, p.desc);
  ASSERT_TRUE(r.problems.empty());
  FrameAssembler assembler(r.description);
  int maxContacts = 0;
  int touches = 0;
  std::uint32_t previous = 0;
  std::vector<int> before;  // the slots of the frame before, oldest first
  for (const PanelEvent& e : r.events) {
    const bool report = e.type == EV_SYN && e.code == SYN_REPORT;
    ASSERT_EQ(assembler.push(e), report);
    if (!report) continue;
    const PanelFrame& f = assembler.frame();
    const MultipointSample& s = f.sample;
    EXPECT_EQ(s.pointCount, static_cast<std::uint32_t>(std::min(f.contactCount, 2)));
    // Fingers that stay keep their order ahead of new ones: the finger that
    // stays when another lifts becomes point one, a third never displaces the two.
    const std::vector<int> now(f.slots.begin(), f.slots.begin() + f.contactCount);
    std::vector<int> stayed;
    for (const int slot : before) {
      if (std::find(now.begin(), now.end(), slot) != now.end()) stayed.push_back(slot);
    }
    EXPECT_TRUE(std::equal(stayed.begin(), stayed.end(), now.begin())) << f.timeUs;
    before = now;
    maxContacts = std::max(maxContacts, f.contactCount);
    if (previous == 0 && s.pointCount > 0) ++touches;
    previous = s.pointCount;
  }
  EXPECT_EQ(maxContacts, p.maxContacts);
  EXPECT_EQ(touches, p.touches);
  EXPECT_EQ(previous, 0u) << "a finger stays down after the recording";
}

const Recording recordings[] = {
    {"Atmel_maXTouch_Touchscreen.1-finger-drag-up-down.events", "", 1, 1},
    {"Atmel_maXTouch_Touchscreen.1-finger-fast-taps.events", "", 1, 9},
    {"Atmel_maXTouch_Touchscreen.2-fingers-touch-release.events", "", 2, 1},
    {"Atmel_maXTouch_Touchscreen.4-finger-drag-down.events", "", 4, 1},
    {"ELAN_CANDO_Windows7.1-finger-drag-up-down.events", "ELAN_CANDO_Windows7.desc", 1, 1},
    {"EP0430M09.1-finger-drag-up-down.events", "", 1, 1},
    {"EP0430M09.2-finger-scroll-down.events", "", 2, 1},
    {"EP0430M09.2-fingers-touch-release.events", "", 2, 1},
    {"EP0430M09.4-finger-drag-down.events", "", 4, 1},
};

INSTANTIATE_TEST_SUITE_P(Evdev, RealRecording, testing::ValuesIn(recordings));

}  // namespace
