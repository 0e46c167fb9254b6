#include "controller/controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "controller/vibrator.h"
#include "overlay/overlay_display.h"
#include "platform/sim/sim_phone.h"
#include "registry/registry_store.h"

namespace {

using Geometry::Point2D;
using Log = std::vector<std::string>;

class ControllerTest : public ::testing::Test, public ControllerHost {
 protected:
  void SetUp() override {
    controller.attach(*this);
    phone.log().clear();
  }

  void setControllerMode(bool shown) override { mode = shown; }
  OverlayDisplay& overlayDisplay() override { return overlay; }
  Vibrator& vibratorDevice() override { return vibrator; }
  void RearmTouchDriver(bool) override {
    phone.context().record("rearm");
    // A command whose release is running must outlive it.
    if (running != nullptr) {
      EXPECT_EQ(controller.areas().back().command.get(), running);
    }
  }
  void WriteLockTouch(const std::wstring& text) override {
    store.WriteString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                      TouchDriverRegistry::lockTouch, text);
  }

  // The phone's events since the last call, "LockTouch" written as "lock".
  Log events() {
    const std::string lockTouch = "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch = ";
    Log out = phone.log().texts(LogCategory::event);
    for (std::string& text : out) {
      if (text.rfind(lockTouch, 0) == 0) text = "lock " + text.substr(lockTouch.size());
    }
    phone.log().clear();
    return out;
  }

  void touch(Point2D p) { controller.handleTouch(1, p, {}); }
  void lift() { controller.handleTouch(0, {}, {}); }
  void tap(Point2D p) { touch(p), lift(); }

  SimPhone phone;
  Platform& port = phone.platform();
  OverlayDisplay overlay{port.windows, port.overlayDevice, port.debug};
  RegistryStore store{port.registry};
  Vibrator vibrator{port.processes, port.clock, port.leds};
  Controller controller{port.input, port.debug};
  bool mode = false;
  const Command* running = nullptr;
};

const Point2D up{100, 520}, rotateButton{240, 505}, sidewaysRotate{455, 25};

// Lists that end early or at junk, and the low 8 bits of a code, are played
// in tests/scenarios/gamepad_keys.scn.
TEST_F(ControllerTest, KeyListsTakeLowBitsAndFallBackToTheDefaults) {
  controller.setKeys(L"321, -1,\t+7,99999999999,-99999999999");
  EXPECT_EQ(controller.keys(),
            (std::vector<std::uint8_t>{65, 255, 7, 255, 0, 12, 96, 97, 98, 99, 100, 101}));
}

// Without its picture the pad still works, unseen.
TEST_F(ControllerTest, WithoutItsPictureThePadStillWorks) {
  phone.faults().loadImage = 1;
  controller.show();
  EXPECT_EQ(events(), (Log{"lock \"0,0,480,460\"", "rearm"}));
  EXPECT_TRUE(mode);
  EXPECT_STREQ(overlay.lastError(), L"Unable to load images to overlay surface!");
  tap(up);
  EXPECT_EQ(events(), (Log{"key down 38", "key up 38"}));
}

// The four layouts, their pictures and rectangles are played in
// tests/scenarios/gamepad_rotate_button.scn; here a key is held through each
// rotation, and the rotation's hide releases it.
TEST_F(ControllerTest, RotateButtonCyclesFourLayoutsAndReleasesHeldKeys) {
  controller.show();
  const Point2D held{100, 760};  // portrait: down (40); sideways: key index 11 (101)
  const std::pair<Point2D, std::string> rotations[] = {
      {rotateButton, "40"}, {sidewaysRotate, "101"}, {rotateButton, "40"}, {sidewaysRotate, "101"}};
  for (const auto& [button, key] : rotations) {
    events();
    touch(button);
    controller.handleTouch(2, button, held);
    running = controller.areas().back().command.get();
    controller.handleTouch(1, held, {});  // the rotate finger lifts
    EXPECT_NE(controller.areas().back().command.get(), running);
    running = nullptr;
    lift();
    Log keys = events();
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [](const std::string& e) { return e.rfind("key ", 0) != 0; }),
               keys.end());
    EXPECT_EQ(keys, (Log{"key down " + key, "key up " + key}));
  }
  EXPECT_EQ(controller.layout(), PadLayout::portrait) << "four rotations come back to the start";
}

// Rebuilding the areas for a turned screen releases a held key first (the
// turned screen's pad: tests/scenarios/gamepad_angle.scn).
TEST_F(ControllerTest, RebuildingTheAreasReleasesAHeldKeyFirst) {
  touch(up);
  controller.setLandscape(true);
  EXPECT_EQ(events(), (Log{"key down 38", "key up 38"}));
}

// Records every LED switched, also those the driver refuses.
struct Leds : SimLeds {
  using SimLeds::SimLeds;
  std::vector<std::uint32_t> switched;
  bool setLed(std::uint32_t index, std::int32_t state) override {
    switched.push_back(index);
    return SimLeds::setLed(index, state);
  }
};

TEST(VibratorTest, PulsesAreBoundedAndHandlesClosed) {
  SimPhone phone;
  SimProcesses& threads = phone.processes();
  Leds leds(phone.context());
  EventLog& log = phone.log();
  {
    Vibrator vibrator(threads, phone.platform().clock, leds);
    log.clear();
    vibrator.pulse(5000, -5, 50);  // ten cycles of 1000 ms on, none off
    EXPECT_EQ(log.texts().size(), 20U);
    EXPECT_EQ(log.entries().back().timeMs, 10000U);

    vibrator.pulse(0, 100, 1);
    vibrator.pulse(100, 100, 0);
    leds.setCount(0);
    vibrator.vibrate(20);
    leds.setCount(2);
    phone.faults().ledCount = 1;
    vibrator.vibrate(20);
    phone.faults().createThread = 1;
    vibrator.vibrate(20);
    EXPECT_EQ(leds.switched, std::vector<std::uint32_t>(20, 1));  // no pulse since the first
    EXPECT_EQ(threads.threadsStarted(), 3U);
    EXPECT_EQ(threads.openThreadHandles(), 0U);
    vibrator.vibrate(20);
    EXPECT_EQ(threads.openThreadHandles(), 1U);
  }
  EXPECT_EQ(threads.openThreadHandles(), 0U);
}

}  // namespace
