#include "controller/controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controller/vibrator.h"
#include "overlay/overlay_display.h"
#include "platform/sim/sim_phone.h"
#include "registry/registry_store.h"

namespace {

using Geometry::Point2D;
using Log = std::vector<std::string>;

Log operator+(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// What hide and show leave on the phone: "LockTouch", the picture, the re-arm.
const Log hidden{"overlay hidden", "lock \"0,0,480,800\"", "rearm"};
Log shown(const std::string& picture, const std::string& lockTouch) {
  return {"lock \"" + lockTouch + "\"", "overlay shows picture " + picture + " keyed", "rearm"};
}

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

const Point2D up{100, 520}, exitButton{240, 775}, rotateButton{240, 505}, sidewaysRotate{455, 25};

TEST_F(ControllerTest, KeyListsTakeLowBitsAndFallBackToTheDefaults) {
  using Keys = std::vector<std::uint8_t>;
  controller.setKeys(L"65,66,67,68,69,70,71,72,73,74,75,76");
  tap({100, 760});  // bottom strip of the direction pad: index 0
  EXPECT_EQ(events(), (Log{"key down 65", "key up 65"}));

  controller.setKeys(L"321, -1,\t+7,99999999999,-99999999999");
  EXPECT_EQ(controller.keys(), (Keys{65, 255, 7, 255, 0, 12, 96, 97, 98, 99, 100, 101}));
  controller.setKeys(L"1,2,x,4");  // stops at the junk
  EXPECT_EQ(controller.keys(), (Keys{1, 2, 37, 39, 13, 12, 96, 97, 98, 99, 100, 101}));
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

TEST_F(ControllerTest, RotateButtonCyclesFourLayoutsAndReleasesHeldKeys) {
  controller.show();
  events();
  const Point2D buttons[] = {rotateButton, sidewaysRotate, rotateButton, sidewaysRotate};
  const Point2D held{100, 760};  // down when portrait, key index 11 when sideways
  Log all;
  for (const Point2D& button : buttons) {
    touch(button);
    controller.handleTouch(2, button, held);
    running = controller.areas().back().command.get();
    controller.handleTouch(1, held, {});  // the rotate finger lifts
    EXPECT_NE(controller.areas().back().command.get(), running);
    running = nullptr;
    lift();
    all = all + events();
  }
  // The hide releases the held key (its area is discarded after the pass).
  const Log press{"key down 40"}, press11{"key down 101"};  // portrait down, sideways index 11
  const Log upKey{"overlay hidden", "key up 40"}, upKey11{"overlay hidden", "key up 101"};
  const Log rest(hidden.begin() + 1, hidden.end());  // after "overlay hidden"
  EXPECT_EQ(all, press + upKey + rest + shown("167 at (0,0)-(480,800)", "0,200,480,400") + press11 +
                     upKey11 + rest + shown("168 at (0,480)-(480,800)", "0,0,0,0") + press + upKey +
                     rest + shown("167 at (0,0)-(480,800)", "0,0,0,0") + press11 + upKey11 + rest +
                     shown("168 at (0,480)-(480,800)", "0,0,480,460"));
  EXPECT_EQ(controller.layout(), PadLayout::portrait) << "four rotations come back to the start";
}

// One thumb on the rotate button, the other lifts from the exit button: the
// pad hides and the held button is forgotten, so the first touch after the
// next show does not rotate the pad.
TEST_F(ControllerTest, HidingForgetsHeldButtonsAndEndsThePass) {
  controller.show();
  controller.handleTouch(2, exitButton, rotateButton);
  controller.handleTouch(1, rotateButton, {});  // the exit finger lifts
  EXPECT_FALSE(mode);
  EXPECT_TRUE(std::none_of(controller.areas().begin(), controller.areas().end(),
                           [](const Controller::CommandArea& a) { return a.command->active(); }));
  controller.show();
  events();
  tap(up);
  EXPECT_EQ(events(), (Log{"key down 38", "key up 38"}));
  EXPECT_TRUE(mode) << "the pad is shown again";
  EXPECT_EQ(controller.layout(), PadLayout::portrait) << "the held rotate button did not act";
}

TEST_F(ControllerTest, LandscapeScreenTogglesFullCaptureOnly) {
  touch(up);
  controller.setLandscape(true);  // the held key goes up before its area is discarded
  tap(sidewaysRotate);
  tap(sidewaysRotate);
  EXPECT_EQ(events(), (Log{"key down 38", "key up 38", "lock \"0,0,480,800\"", "rearm"}) +
                          shown("175 at (0,0)-(800,480)", "0,0,0,0") + hidden +
                          shown("175 at (0,0)-(800,480)", "0,200,480,400"));
  EXPECT_FALSE(controller.sidewaysLayout());
}

// Records the priority of every worker.
struct Threads : SimProcesses {
  using SimProcesses::SimProcesses;
  std::vector<std::int32_t> levels;
  bool setThreadPriority(ThreadHandle thread, std::int32_t level) override {
    levels.push_back(level);
    return SimProcesses::setThreadPriority(thread, level);
  }
};

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
  Threads threads(phone.context());
  Leds leds(phone.context());
  EventLog& log = phone.log();
  {
    Vibrator vibrator(threads, phone.platform().clock, leds);
    log.clear();
    vibrator.pulse(5000, -5, 50);  // ten cycles of 1000 ms on, none off
    EXPECT_EQ(log.texts().size(), 20U);
    EXPECT_EQ(log.entries().back().timeMs, 10000U);
    EXPECT_EQ(threads.levels, std::vector<std::int32_t>{1});

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
