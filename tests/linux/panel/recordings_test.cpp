// Frame assembly on every real recording: one frame per SYN_REPORT, the
// number of fingers, their order, a finger lifting, more than two fingers.
#include <gtest/gtest.h>

#include <algorithm>

#include "panel_fixtures.h"

namespace {

using PanelFixtures::framesOf;
using PanelFixtures::readRecording;

struct Recording {
  const char* events;
  const char* desc;
  int maxContacts;  // the most fingers down at once
  int touches;      // times the count went from 0 to more
};

class RealRecording : public testing::TestWithParam<Recording> {};

int reports(const EvemuRecording& r) {
  return static_cast<int>(std::count_if(r.events.begin(), r.events.end(), [](const PanelEvent& e) {
    return e.type == EV_SYN && e.code == SYN_REPORT;
  }));
}

TEST_P(RealRecording, OneSampleEveryReportAndEveryTouchEnds) {
  const Recording& p = GetParam();
  const EvemuRecording r = readRecording(p.events, p.desc);
  ASSERT_TRUE(r.problems.empty());
  const std::vector<PanelFrame> frames = framesOf(r);
  ASSERT_EQ(static_cast<int>(frames.size()), reports(r));
  int maxContacts = 0;
  int touches = 0;
  std::uint32_t previous = 0;
  for (const PanelFrame& f : frames) {
    const MultipointSample& s = f.sample;
    EXPECT_EQ(s.pointCount, static_cast<std::uint32_t>(std::min(f.contactCount, 2)));
    // Inside the 480 x 800 screen, unused points 0.
    EXPECT_LT(s.firstX, 1920u);
    EXPECT_LT(s.firstY, 3200u);
    EXPECT_LT(s.secondX, 1920u);
    EXPECT_LT(s.secondY, 3200u);
    if (s.pointCount < 2) {
      EXPECT_EQ(s.secondX + s.secondY, 0u);
    }
    if (s.pointCount < 1) {
      EXPECT_EQ(s.firstX + s.firstY, 0u);
    }
    maxContacts = std::max(maxContacts, f.contactCount);
    if (previous == 0 && s.pointCount > 0) ++touches;
    previous = s.pointCount;
  }
  EXPECT_EQ(maxContacts, p.maxContacts);
  EXPECT_EQ(touches, p.touches);
  EXPECT_EQ(frames.back().sample.pointCount, 0u) << "a finger stays down after the recording";
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

// "EP0430M09.2-finger-scroll-down.events" -> EP0430M092fingerscrolldown
std::string testName(const testing::TestParamInfo<Recording>& param) {
  std::string name;
  const std::string events = param.param.events;
  for (const char c : events.substr(0, events.rfind('.'))) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Evdev, RealRecording, testing::ValuesIn(recordings), testName);

// Finds the frame where two fingers become one.
std::size_t twoToOne(const std::vector<PanelFrame>& frames) {
  for (std::size_t i = 1; i < frames.size(); ++i) {
    if (frames[i - 1].sample.pointCount == 2 && frames[i].sample.pointCount == 1) return i;
  }
  return 0;
}

TEST(RealRecordings, FirstFingerLiftingLeavesTheSecondAsPointOne) {
  // On this panel the first finger lifts first; the second stays where it was.
  const auto frames = framesOf(readRecording("EP0430M09.2-fingers-touch-release.events"));
  const std::size_t i = twoToOne(frames);
  ASSERT_NE(i, 0u);
  const PanelFrame& before = frames[i - 1];
  const PanelFrame& after = frames[i];
  EXPECT_EQ(after.slots[0], before.slots[1]);
  EXPECT_NEAR(after.sample.firstX, before.sample.secondX, 8.0);
  EXPECT_NEAR(after.sample.firstY, before.sample.secondY, 8.0);
}

TEST(RealRecordings, SecondFingerLiftingKeepsTheFirst) {
  const auto frames =
      framesOf(readRecording("Atmel_maXTouch_Touchscreen.2-fingers-touch-release.events"));
  const std::size_t i = twoToOne(frames);
  ASSERT_NE(i, 0u);
  EXPECT_EQ(frames[i].slots[0], frames[i - 1].slots[0]);
  EXPECT_EQ(frames[i].sample.firstX, frames[i - 1].sample.firstX);
}

TEST(RealRecordings, FourFingersKeepTheOldestTwoInOrder) {
  const auto frames = framesOf(readRecording("EP0430M09.4-finger-drag-down.events"));
  // While four fingers are down, the first two points belong to the two
  // oldest contacts and never trade places.
  int fourFingerFrames = 0;
  int firstSlot = -1;
  int secondSlot = -1;
  for (const PanelFrame& f : frames) {
    if (f.contactCount < 4) continue;
    ++fourFingerFrames;
    if (firstSlot < 0) {
      firstSlot = f.slots[0];
      secondSlot = f.slots[1];
    }
    EXPECT_EQ(f.slots[0], firstSlot);
    EXPECT_EQ(f.slots[1], secondSlot);
    EXPECT_EQ(f.sample.pointCount, 2u);
  }
  EXPECT_GT(fourFingerFrames, 10);
}

}  // namespace
