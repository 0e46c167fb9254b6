// Faults at start-up and on the touch path: the main window cannot be made,
// the registry fails while the settings load, the hook library's messages
// are lost, and the pass-through rectangle cannot be written.
#include <gtest/gtest.h>
#include <algorithm>

#include <cstdint>
#include <string>
#include <vector>

#include "phone_run.h"

namespace {

using FaultTest::containsEntry;
using FaultTest::containsInOrder;
using FaultTest::PhoneRun;

const std::string kRight = "key down 39 -> Notes";
const std::string kLockTouch = "HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch";

// For each gesture starting at these times: whether it pressed the right
// arrow.
std::vector<bool> gesturesServed(PhoneRun& r, const std::vector<std::uint64_t>& times) {
  std::vector<bool> served;
  for (std::size_t i = 0; i < times.size(); ++i) {
    const std::uint64_t end = i + 1 < times.size() ? times[i + 1] : times[i] + 3000;
    served.push_back(containsEntry(r.eventsBetween(times[i], end), kRight));
  }
  return served;
}

TEST(StartUpFaultTest, NoMainWindowEndsTheProgramWithoutWritingAnything) {
  const struct {
    const char* name;
    int SimFaults::*call;
  } rows[] = {
      {"class registration", &SimFaults::registerClass},
      {"window creation", &SimFaults::createWindow},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PhoneRun r;
    r.configure();
    r.phone.faults().*(row.call) = 1;
    EXPECT_EQ(r.run(), 0);
    EXPECT_TRUE(r.changedValues().empty());
    EXPECT_EQ(r.phone.shell().notificationCount(), 0u);
    EXPECT_EQ(r.phone.touchDriver().loadCount(), 1u);  // the phone's own load only
  }
}

TEST(StartUpFaultTest, RegistryFailuresWhileLoadingKeepTheProgramServing) {
  // The first open or write of the load is the whole-screen rectangle: it
  // is lost, and the re-armed hook keeps the rectangle already stored.
  const struct {
    const char* name;
    int SimRegistry::Faults::*call;
  } rows[] = {
      {"key cannot be opened", &SimRegistry::Faults::open},
      {"value cannot be written", &SimRegistry::Faults::set},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PhoneRun r;
    r.configure();
    r.bind(L"SwipeRightDouble", L"right");
    r.phone.registry().setString(Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH",
                                 L"LockTouch", L"0,0,480,800");
    r.phone.registry().faults().*(row.call) = 1;
    r.touches(1500, FaultTest::swipeRight());
    r.at(5000, [&r] { r.phone.pressCtrlQ(); });
    EXPECT_EQ(r.run(), 0);
    EXPECT_EQ(gesturesServed(r, {1500}), std::vector<bool>{true});
    // The gesture's samples reached the system: the rectangle in force is
    // the whole screen.
    EXPECT_TRUE(containsEntry(r.phone.log().texts(LogCategory::touch), "touch 2 (360,1320)"));
    EXPECT_TRUE(containsInOrder(r.phone.log().texts(LogCategory::debug),
                                {"[Quillon] ZEM mode", "[Quillon] area 0 0 480 800"}));
  }
}

TEST(TouchPathFaultTest, LostTouchMessageIsLoggedAndTheGestureStillRuns) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  r.at(1499, [&r] { r.phone.faults().post = 1; });  // the first sample's message
  r.touches(1500, FaultTest::swipeRight());
  r.at(5000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  EXPECT_EQ(gesturesServed(r, {1500}), std::vector<bool>{true});
  EXPECT_TRUE(containsEntry(r.phone.log().texts(LogCategory::debug),
                            "[Quillon] Msg not sent to 65600,lastError=1816)"));
}

// A lost touch end is posted again when the next touch starts: the first
// gesture runs late, then the second one runs too.
TEST(TouchPathFaultTest, LostTouchEndIsPostedBeforeTheNextTouch) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  r.touches(
      1500, FaultTest::swipeRight(), [&r] { r.phone.faults().post = 1; }, nullptr);
  r.touches(4500, FaultTest::swipeRight());
  r.at(8000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  EXPECT_EQ(gesturesServed(r, {1500, 4500}), (std::vector<bool>{false, true}));
  const std::vector<std::string> later = r.eventsBetween(4500, 8000);
  EXPECT_EQ(std::count(later.begin(), later.end(), kRight), 2);
}

TEST(TouchPathFaultTest, UnwrittenPassThroughRectangleLeavesTheHookWithThePreviousOne) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"controller");
  // The game-pad's rectangle is the first value written after the gesture.
  r.touches(1500, FaultTest::swipeRight(), nullptr, [&r] { r.phone.registry().faults().set = 1; });
  r.at(4000, [&r] {
    EXPECT_TRUE(r.app.controllerMode);
    ASSERT_NE(r.phone.touchDriver().library(), nullptr);
    const Geometry::Rect2D area = r.phone.touchDriver().library()->touchArea();
    EXPECT_EQ(area.width, 480.0);
    EXPECT_EQ(area.height, 800.0);
  });
  r.touches(4500, FaultTest::tap({90, 520}));  // the pad's up key
  r.at(6000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  // The key still works, and the touch reaches the system as well.
  EXPECT_TRUE(containsInOrder(r.eventsBetween(4500, 6000), {"key down 38", "key up 38"}));
  EXPECT_TRUE(containsEntry(r.phone.log().texts(LogCategory::touch), "touch 1 (360,2080) -> pen"));
  EXPECT_FALSE(
      containsEntry(r.eventsBetween(1500, 6000),
                    "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch = \"0,0,480,460\""));
}

}  // namespace
