#include "platform/sim/sim_touch_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "hook_test_support.h"
#include "ports/main_window.h"

namespace {

using ::testing::ElementsAre;
using namespace HookTest;

// The driver passes on only samples the hook leaves a count in; switching
// "MultiTouchDemo" off and on loads a fresh library, which finds the main
// window and reads "LockTouch" anew.
TEST(SimTouchDriverTest, PassesWhatTheHookLeavesAndARearmLoadsAFreshLibrary) {
  SimRegistry registry;
  SimWindows windows;
  const auto setSwitch = [&](std::uint32_t on) {
    registry.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                      TouchDriverRegistry::multiTouchDemo, on);
  };
  setLockTouch(registry, L"0,0,480,800");
  setSwitch(1);
  SimTouchDriver driver(registry, windows);  // on at start: loaded at once
  ASSERT_TRUE(driver.loaded());
  EXPECT_FALSE(driver.library()->zemMode());

  // The main program starts later. Writing 1 over 1 is no re-arm.
  const SimWindows::Handle zem = windows.create(MainWindow::className, MainWindow::title);
  setLockTouch(registry, L"0,200,480,400");
  setSwitch(1);
  EXPECT_TRUE(driver.feed(one(100, 100)));
  driver.hookPort().takeDebugLines();
  setSwitch(0);
  setSwitch(1);
  EXPECT_EQ(driver.loadCount(), 2u);
  EXPECT_THAT(driver.hookPort().takeDebugLines(),
              ElementsAre(L"[Quillon] DllMain()", L"[Quillon] Unload...", L"[Quillon] ZEM mode",
                          L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                          L"[Quillon] area 0 200 480 400"));
  EXPECT_FALSE(driver.feed(one(100, 100)));
  EXPECT_THAT(windows.takeMessages(zem), ElementsAre(touch(1, 0x00648064)));

  // A new driver thread re-reads the area; deleting the switch unloads, and
  // then every sample passes unchanged.
  setLockTouch(registry, L"0,0,480,800");
  driver.startThread();
  EXPECT_TRUE(driver.feed(one(100, 100)));
  registry.deleteValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::multiTouchDemo);
  EXPECT_FALSE(driver.loaded());
  driver.startThread();
  EXPECT_TRUE(driver.feed(one(0, 0)));
}

}  // namespace
