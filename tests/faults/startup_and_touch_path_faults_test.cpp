// Faults at start-up and on the touch path: the main window cannot be made,
// the hook library's messages are lost, and the pass-through rectangle
// cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "phone_run.h"
#include "ports/main_window.h"

namespace {

using namespace FaultTest;

TEST(StartUpFaultTest, NoMainWindowEndsTheProgramWithoutWritingAnything) {
  for (const auto call : {&SimFaults::registerClass, &SimFaults::createWindow}) {
    SCOPED_TRACE(call == &SimFaults::createWindow ? "window" : "class");
    PhoneRun r;
    r.configure();
    r.phone.faults().*call = 1;
    EXPECT_EQ(r.run(), 0);
    EXPECT_TRUE(r.changed.empty());
    EXPECT_EQ(r.phone.shell().notificationCount(), 0u);
    EXPECT_EQ(r.phone.touchDriver().loadCount(), 1u);  // the phone's own load only
  }
}

// However the loop ends ("closezem" leaves the window alive, Ctrl+Q destroys
// it), the main window does not outlive run(): its procedure would call a
// destroyed object.
TEST(StartUpFaultTest, TheMainWindowDoesNotOutliveTheRun) {
  for (const bool closeZem : {true, false}) {
    SCOPED_TRACE(closeZem ? "closezem" : "ctrl+q");
    PhoneRun r;
    r.configure();
    r.bind(L"SwipeRightDouble", L"closezem");
    r.touches(1500, swipeRight());  // with its picture
    if (!closeZem) r.at(1600, [&r] { r.phone.pressCtrlQ(); });
    EXPECT_EQ(r.run(), 0);
    EXPECT_EQ(r.phone.windows().find(MainWindow::className, MainWindow::title), 0u);
  }
}

// A lost touch message is logged and the gesture still runs. A lost touch end
// is posted again when the next touch starts: that gesture runs late, then
// the next one runs too.
TEST(TouchPathFaultTest, LostHookMessagesDelayNoMoreThanOneGesture) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  r.at(1499, [&r] { r.phone.faults().post = 1; });  // the first sample's message
  r.touches(1500, swipeRight());
  r.touches(4500, swipeRight(), [&r] { r.phone.faults().post = 1; });
  r.touches(7500, swipeRight());
  r.at(11000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  EXPECT_TRUE(containsEntry(r.eventsBetween(1500, 4500), rightArrowToNotes));
  const auto debug = r.phone.log().texts(LogCategory::debug);  // both losses are logged
  EXPECT_EQ(
      std::count(debug.begin(), debug.end(), "[Quillon] Msg not sent to 65600,lastError=1816)"), 2);
  EXPECT_FALSE(containsEntry(r.eventsBetween(4500, 7500), rightArrowToNotes));
  const auto later = r.eventsBetween(7500, 11000);
  EXPECT_EQ(std::count(later.begin(), later.end(), rightArrowToNotes), 2);
}

TEST(TouchPathFaultTest, UnwrittenPassThroughRectangleLeavesTheHookWithThePreviousOne) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"controller");
  // The game-pad's rectangle is the first value written after the gesture.
  r.touches(1500, swipeRight(), nullptr, [&r] { r.phone.registry().faults().set = 1; });
  r.at(4000, [&r] {
    EXPECT_EQ(r.app.mode(), AppMode::controller);
    ASSERT_NE(r.phone.touchDriver().library(), nullptr);
    const Geometry::Rect2D area = r.phone.touchDriver().library()->touchArea();
    EXPECT_EQ(std::pair(area.width, area.height), std::pair(480.0, 800.0));
  });
  r.touches(4500, tap({90, 520}));  // the pad's up key
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
