#include "platform/sim/sim_touch_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "hook_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace HookTest;

TEST(SimTouchDriverTest, PassesOnSamplesWithACountLeftInThem) {
  SimRegistry registry;
  SimWindows windows;
  setLockTouch(registry, L"0,200,480,400");
  SimTouchDriver driver(registry, windows);  // switch missing: no library
  EXPECT_TRUE(driver.feed(raw(2, 1, 2, 3, 4)));
  EXPECT_FALSE(driver.feed(none()));
  ASSERT_EQ(driver.takePenInput().size(), 1u);

  setMultiTouchDemo(registry, 1);
  ASSERT_TRUE(driver.loaded());
  EXPECT_TRUE(driver.feed(one(100, 300)));
  EXPECT_FALSE(driver.feed(one(100, 100)));
  EXPECT_FALSE(driver.feed(none()));
  ASSERT_EQ(driver.penInput().size(), 1u);
  EXPECT_EQ(driver.penInput()[0].firstY, 1200u);
}

TEST(SimTouchDriverTest, RearmLoadsAFreshLibrary) {
  SimRegistry registry;
  SimWindows windows;
  setLockTouch(registry, L"0,0,480,800");
  setMultiTouchDemo(registry, 1);
  SimTouchDriver driver(registry, windows);  // on at start: loaded at once
  ASSERT_TRUE(driver.loaded());
  EXPECT_FALSE(driver.library()->zemMode());

  // The main program starts later. Writing 1 over 1 is no re-arm.
  const SimWindows::Handle zem = windows.create(L"ZEM", L"ZEM");
  setLockTouch(registry, L"0,200,480,400");
  setMultiTouchDemo(registry, 1);
  EXPECT_EQ(driver.loadCount(), 1u);
  EXPECT_TRUE(driver.feed(one(100, 100)));

  driver.hookPort().takeDebugLines();
  setMultiTouchDemo(registry, 0);
  EXPECT_FALSE(driver.loaded());
  setMultiTouchDemo(registry, 1);
  ASSERT_TRUE(driver.loaded());
  EXPECT_EQ(driver.loadCount(), 2u);
  EXPECT_THAT(driver.hookPort().takeDebugLines(),
              ElementsAre(L"[Quillon] DllMain()", L"[Quillon] Unload...", L"[Quillon] ZEM mode",
                          L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                          L"[Quillon] area 0 200 480 400"));
  EXPECT_FALSE(driver.feed(one(100, 100)));
  EXPECT_THAT(windows.takeMessages(zem), ElementsAre(touch(1, 0x00648064)));

  // A new driver thread re-reads the area; deleting the switch unloads.
  setLockTouch(registry, L"0,0,480,800");
  driver.startThread();
  EXPECT_TRUE(driver.feed(one(100, 100)));
  registry.deleteValue(Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH", L"MultiTouchDemo");
  EXPECT_FALSE(driver.loaded());
  driver.hookPort().takeDebugLines();
  driver.startThread();
  EXPECT_THAT(driver.hookPort().debugLines(), IsEmpty());
}

}  // namespace
