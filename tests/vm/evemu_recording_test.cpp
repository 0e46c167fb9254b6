#include "evemu_recording.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::string kData = std::string(ZEM_TEST_DATA_DIR) + "/evdev/";

struct RecordingCase {
  const char* file;
  const char* name;
  std::size_t events;
  unsigned xMax;
  unsigned slots;
};

// Every recording: the description (from the file or its .desc), the event
// count, the ranges the replay declares, and that every event is a type the
// device declares (what the VM replays is what the panel reported).
TEST(EvemuRecordingTest, ReadsEveryRecording) {
  const RecordingCase cases[] = {
      {"Atmel_maXTouch_Touchscreen.1-finger-drag-up-down.events", "Atmel maXTouch Touchscreen", 502,
       799, 10},
      {"Atmel_maXTouch_Touchscreen.4-finger-drag-down.events", "Atmel maXTouch Touchscreen", 309,
       799, 10},
      {"EP0430M09.2-finger-scroll-down.events", "EP0430M09", 695, 1279, 5},
      {"ELAN_CANDO_Windows7.1-finger-drag-up-down.events", "ELAN CANDO Windows7", 1849, 3008, 10},
  };
  for (const RecordingCase& c : cases) {
    SCOPED_TRACE(c.file);
    std::string error;
    const auto r = readEvemuWithDescription(kData + c.file, error);
    ASSERT_TRUE(r.has_value()) << error;
    EXPECT_EQ(r->device.name, c.name);
    EXPECT_EQ(r->events.size(), c.events);
    EXPECT_TRUE(r->device.hasProperty(INPUT_PROP_DIRECT));
    ASSERT_NE(r->device.axis(ABS_MT_POSITION_X), nullptr);
    EXPECT_EQ(r->device.axis(ABS_MT_POSITION_X)->maximum, static_cast<std::int32_t>(c.xMax));
    EXPECT_EQ(r->device.axis(ABS_MT_SLOT)->maximum + 1, static_cast<std::int32_t>(c.slots));
    EXPECT_TRUE(r->device.hasCode(EV_KEY, BTN_TOUCH));
    for (const EvemuEvent& e : r->events)
      ASSERT_TRUE(e.type == EV_SYN || r->device.hasType(e.type));
  }
}

// The ELAN panel sends an axis it does not declare in every frame: it is read
// as an event (the kernel drops it on replay), not as an unreadable line.
TEST(EvemuRecordingTest, UndeclaredCodesAreEventsNotErrors) {
  std::string error;
  const auto r =
      readEvemuWithDescription(kData + "ELAN_CANDO_Windows7.1-finger-drag-up-down.events", error);
  ASSERT_TRUE(r.has_value()) << error;
  EXPECT_FALSE(r->device.hasCode(EV_ABS, 0x1d));
  EXPECT_EQ(r->events[7].code, 0x1d);
  EXPECT_EQ(r->events[7].value, 15316);
  EXPECT_EQ(r->events[0].timeUs, 1352020794138597);
}

TEST(EvemuRecordingTest, BadLinesAreReportedWithTheirNumber) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"N: pad\nE: 0.000001 0003 0035\n", ":2: "},    // missing value
      {"N: pad\nE: 0.0001 0003 0035 1\n", ":2: "},    // not microseconds
      {"N: pad\n# note\nA: 40 0 1 0 0 0\n", ":3: "},  // no such axis
      {"N: pad\nB: 03 zz\n", ":2: "},
      {"N: pad\nI: 0018 0000\n", ":2: "},
      {"N: pad\nX: 1\n", ":2: "},
  };
  const std::string path = ::testing::TempDir() + "evemu_bad.events";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(path) << c.text;
    std::string error;
    EXPECT_FALSE(readEvemu(path, error).has_value());
    EXPECT_NE(error.find(path + c.error), std::string::npos) << error;
  }
  std::ofstream(path) << "E: 0.000001 0003 0035 1\n";
  std::string error;
  EXPECT_FALSE(readEvemuWithDescription(path, error).has_value());
  EXPECT_NE(error.find("no device description"), std::string::npos);
  std::remove(path.c_str());
}

}  // namespace
