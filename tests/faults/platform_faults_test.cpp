// Every platform call the program makes, failing while a gesture (or a touch
// on the game-pad) is handled, or at start-up where the call is made there.
// Each row shows the fallback, that the next gesture is served normally once
// the fault is gone, and that no setting or binding was written except the
// documented values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phone_run.h"

namespace {

using FaultTest::containsEntry;
using FaultTest::containsInOrder;
using FaultTest::PhoneRun;

// When the fault is switched on. It is switched off again before the next
// action (start-up faults: before the first one).
enum class Arm {
  startup,       // before ZEM starts
  beforeAction,  // just before the first sample of the faulted action
  afterRelease,  // after the release entered the driver, before ZEM handles it
};

// What the user does, twice: first with the fault, then without it.
enum class Action {
  swipe,   // two fingers swipe right ("SwipeRightDouble")
  padTap,  // one finger taps the game-pad's up key (shown by a swipe first)
};

constexpr std::uint64_t kPadGestureMs = 1500;  // the swipe that shows the game-pad
constexpr std::uint64_t kFaultedMs = 4500;
constexpr std::uint64_t kNextMs = 7500;
constexpr std::uint64_t kEndMs = 20000;

// The values the program writes in any run: the touch driver's switch and
// pass-through rectangle, and the system's angle after a rotation.
const std::vector<std::string> kDriverValues = {
    "HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\MultiTouchDemo",
    "HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch",
    "HKLM\\System\\GDI\\Rotation\\Angle",
};
const std::string kLearnedRight = "HKCU\\Software\\ZEM\\SwipeRightDouble";

const std::string kPicture = "overlay shows picture 171 at (120,280)-(360,520) keyed";
const std::string kRight = "key down 39 -> Notes";
const std::string kUp = "key down 38";

struct FaultRow {
  const char* name;
  std::wstring binding;  // of "SwipeRightDouble"
  Action action;
  Arm arm;
  std::function<void(PhoneRun&)> fault;
  std::vector<std::string> faulted;                  // in this order while the fault is on
  std::vector<std::string> notFaulted;               // none of these while the fault is on
  std::vector<std::string> next;                     // in this order for the next action
  std::function<void(PhoneRun&)> prepare = nullptr;  // before the faulted action
  std::function<void(PhoneRun&)> between = nullptr;  // checks between the two actions
  std::vector<std::string> written = {};             // further values it may write
};

void playRow(const FaultRow& row) {
  SCOPED_TRACE(row.name);
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", row.binding);
  const auto before = r.programValues();

  const auto act = [&r, &row](std::uint64_t ms, bool faulted, int variant) {
    const auto samples = row.action == Action::swipe ? FaultTest::swipeRight()
                                                     : FaultTest::tap({90.0 + variant, 520.0});
    const auto arm = [&r, &row] { row.fault(r); };
    if (!faulted || row.arm == Arm::startup) {
      r.touches(ms, samples);
    } else if (row.arm == Arm::beforeAction) {
      r.at(ms - 1, arm);
      r.touches(ms, samples);
    } else {
      r.touches(ms, samples, nullptr, arm);
    }
  };

  if (row.action == Action::padTap) r.touches(kPadGestureMs, FaultTest::swipeRight());
  if (row.arm == Arm::startup) {
    row.fault(r);
    r.at(kFaultedMs - 200, [&r] { r.clearFaults(); });
  }
  if (row.prepare) r.at(kFaultedMs - 300, [&r, &row] { row.prepare(r); });
  act(kFaultedMs, true, 0);
  r.at(kNextMs - 200, [&r] { r.clearFaults(); });
  if (row.between) r.at(kNextMs - 150, [&r, &row] { row.between(r); });
  act(kNextMs, false, 1);
  r.at(kEndMs, [&r] { r.phone.pressCtrlQ(); });

  EXPECT_EQ(r.run(), 0);

  std::string missing;
  const auto faulted = r.eventsBetween(kFaultedMs - 100, kNextMs - 100);
  EXPECT_TRUE(containsInOrder(faulted, row.faulted, &missing)) << "with the fault: " << missing;
  for (const std::string& text : row.notFaulted) {
    EXPECT_FALSE(containsEntry(faulted, text)) << "with the fault: " << text;
  }
  const auto next = r.eventsBetween(kNextMs - 100, kEndMs);
  EXPECT_TRUE(containsInOrder(next, row.next, &missing)) << "afterwards: " << missing;

  // Nothing lost or corrupted: every configured value as it was, and no
  // other value written than the documented ones.
  const auto after = r.programValues();
  const auto writable = [&row](const std::string& value) {
    return std::find(row.written.begin(), row.written.end(), value) != row.written.end();
  };
  for (std::size_t i = 0; i < before.size(); ++i) {
    const std::string name = toUtf8(before[i].first);
    if (writable("HKCU\\Software\\ZEM\\" + name)) continue;
    EXPECT_EQ(before[i].second.type, after[i].second.type) << name;
    EXPECT_EQ(before[i].second.data, after[i].second.data) << name;
  }
  for (const std::string& value : r.changedValues()) {
    const bool documented =
        std::find(kDriverValues.begin(), kDriverValues.end(), value) != kDriverValues.end();
    EXPECT_TRUE(documented || writable(value)) << "wrote " << value;
  }
  // Nothing of a gesture's picture left behind: no display object, surface,
  // window or timer, and nothing released twice.
  if (row.action == Action::padTap) {
    ASSERT_TRUE(r.phone.overlayDevice().shownPicture().has_value());
    EXPECT_EQ(r.phone.overlayDevice().shownPicture()->picture, 168u);  // the pad stays
  } else {
    EXPECT_EQ(r.phone.overlayDevice().liveObjects(), 0u);
  }
  EXPECT_EQ(r.phone.overlayDevice().invalidReleases(), 0u);
  EXPECT_EQ(r.phone.windows().timerCount(), 0u);
}

// One row per overlay step: the picture is skipped, the bound key still goes.
FaultRow overlayStep(const char* name, int SimFaults::*step) {
  return {name,
          L"right",
          Action::swipe,
          Arm::beforeAction,
          [step](PhoneRun& r) { r.phone.faults().*step = -1; },
          {kRight},
          {"overlay shows"},
          {kPicture, kRight, "overlay hidden"}};
}

TEST(PlatformFaultTest, OverlayStepFailureSkipsThePictureButRunsTheBinding) {
  const FaultRow rows[] = {
      overlayStep("create the display object", &SimFaults::createDisplayObject),
      overlayStep("cooperative level", &SimFaults::setCooperativeLevel),
      overlayStep("primary surface", &SimFaults::createPrimarySurface),
      overlayStep("capabilities", &SimFaults::getCaps),
      overlayStep("overlay surface in both formats", &SimFaults::createOverlaySurface),
      overlayStep("surface size", &SimFaults::surfaceSize),
      overlayStep("load the picture", &SimFaults::loadImage),
      overlayStep("copy the picture", &SimFaults::copyImage),
      overlayStep("show the overlay", &SimFaults::updateOverlay),
      overlayStep("overlay window class", &SimFaults::registerClass),
      overlayStep("overlay window", &SimFaults::createWindow),
  };
  for (const FaultRow& row : rows) playRow(row);
}

TEST(PlatformFaultTest, OverlayFallbacksThatStillShowOrHideThePicture) {
  const FaultRow rows[] = {
      {"first pixel format refused: the second one serves",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().createOverlaySurface = 1; },
       {kPicture, kRight},
       {},
       {kPicture, kRight},
       nullptr,
       [](PhoneRun& r) { EXPECT_EQ(r.phone.faults().createOverlaySurface, 0); }},
      {"hide timer cannot be set: the picture goes at once",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().setTimer = -1; },
       {kPicture, "overlay hidden", kRight},
       {},
       {kPicture, kRight, "overlay hidden"}},
      {"hide timer cannot be killed: the picture goes anyway",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().killTimer = -1; },
       {kPicture, kRight, "overlay hidden"},
       {},
       {kPicture, kRight, "overlay hidden"},
       nullptr,
       [](PhoneRun& r) {
         const wchar_t* error = r.app.overlay.lastError();
         EXPECT_EQ(std::wstring(error != nullptr ? error : L""), L"SetTimer failed.");
       }},
  };
  for (const FaultRow& row : rows) playRow(row);
}

TEST(PlatformFaultTest, RegistryFailuresDuringAGestureLoseNothing) {
  const FaultRow rows[] = {
      {"key cannot be opened: no binding, nothing runs",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.registry().faults().open = -1; },
       {kPicture},
       {"key down"},
       {kPicture, kRight}},
      {"value cannot be read: no binding, nothing runs",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.registry().faults().query = -1; },
       {kPicture},
       {"key down"},
       {kPicture, kRight}},
      {"learned binding cannot be written: learn mode stays",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.registry().faults().set = -1; },
       {kPicture},
       {"registry HKCU", "key down"},
       {kPicture, "registry HKCU\\Software\\ZEM\\SwipeRightDouble = \"\\windows\\notes.exe\""},
       [](PhoneRun& r) { r.app.learnMode = true; },
       [](PhoneRun& r) { EXPECT_TRUE(r.app.learnMode); },
       {kLearnedRight}},
  };
  for (const FaultRow& row : rows) playRow(row);
}

TEST(PlatformFaultTest, WindowProcessAndShellFailuresEndTheActionQuietly) {
  const FaultRow rows[] = {
      {"close request cannot be posted: the application stays",
       L"closeapp",
       Action::swipe,
       Arm::afterRelease,
       [](PhoneRun& r) { r.phone.faults().post = -1; },
       {kPicture},
       {"close request"},
       {kPicture, "close request to \"Notes\"", "\"Notes\" closes"}},
      {"no window found: \"home\" is started as a program",
       L"home",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().findWindow = -1; },
       {kPicture, "launch \"home\" failed"},
       {"activate"},
       {kPicture, "foreground \"Desktop\"", "activate \"Desktop\""}},
      {"process snapshot fails: no switch",
       L"nextapp",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().snapshot = -1; },
       {kPicture},
       {"foreground", "activate"},
       {kPicture, "foreground \"Mail\"", "activate \"Mail\""}},
      {"module name unreadable: no switch",
       L"nextapp",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().moduleName = -1; },
       {kPicture},
       {"foreground", "activate"},
       {kPicture, "foreground \"Mail\"", "activate \"Mail\""}},
      {"module name unreadable while learning: learn mode stays",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().moduleName = -1; },
       {kPicture},
       {"registry HKCU", "key down"},
       {kPicture, "registry HKCU\\Software\\ZEM\\SwipeRightDouble = \"\\windows\\notes.exe\""},
       [](PhoneRun& r) { r.app.learnMode = true; },
       [](PhoneRun& r) { EXPECT_TRUE(r.app.learnMode); },
       {kLearnedRight}},
      {"program cannot be started: nothing else happens",
       L"\\Windows\\calc.exe,-x",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().execute = -1; },
       {kPicture, "launch \"\\Windows\\calc.exe\" failed"},
       {"foreground"},
       {kPicture, "launch \"\\Windows\\calc.exe\" \"-x\"", "foreground \"Calculator\""}},
      {"keyboard state unknown: the keyboard counts as hidden",
       L"right",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().querySip = -1; },
       {kPicture, kRight},
       {},
       {kPicture, kRight},
       [](PhoneRun& r) { r.phone.setKeyboardShown(true); },
       [](PhoneRun& r) { r.phone.setKeyboardShown(false); }},
      {"display cannot turn: the angle stays",
       L"rotate",
       Action::swipe,
       Arm::beforeAction,
       [](PhoneRun& r) { r.phone.faults().changeOrientation = -1; },
       {kPicture, "sleep 400", "overlay hidden"},
       {"display orientation", "registry HKLM"},
       {kPicture, "sleep 400", "overlay hidden", "display orientation 270"},
       nullptr,
       [](PhoneRun& r) { EXPECT_EQ(r.app.screenAngle, 0); }},
  };
  for (const FaultRow& row : rows) playRow(row);
}

TEST(PlatformFaultTest, VibrationFailuresStillPressTheKey) {
  const auto padRow = [](const char* name, int SimFaults::*call) {
    return FaultRow{name,
                    L"controller",
                    Action::padTap,
                    Arm::beforeAction,
                    [call](PhoneRun& r) { r.phone.faults().*call = -1; },
                    {kUp, "key up 38"},
                    {"led"},
                    {kUp, "led 1 on", "led 1 off", "key up 38"}};
  };
  const FaultRow rows[] = {
      padRow("no worker thread", &SimFaults::createThread),
      padRow("LED count unknown", &SimFaults::ledCount),
      padRow("LED cannot be switched", &SimFaults::setLed),
  };
  for (const FaultRow& row : rows) playRow(row);
}

TEST(PlatformFaultTest, NotificationsFailingAtStartUpKeepTheLoadedSettings) {
  // The settings loaded at start-up stay in force (a later change of
  // "ShowOverlay" to 0 is not noticed); bindings are read at every gesture
  // and so still work.
  playRow({"no change notifications",
           L"right",
           Action::swipe,
           Arm::startup,
           [](PhoneRun& r) { r.phone.faults().notifyRegistryChange = -1; },
           {kPicture, kRight},
           {},
           {kPicture, kRight},
           [](PhoneRun& r) {
             r.phone.registry().setDword(Registry::currentUser, FaultTest::programKey,
                                         L"ShowOverlay", 0);
           },
           nullptr,
           {"HKCU\\Software\\ZEM\\ShowOverlay"}});
}

}  // namespace

// An unreadable program path is empty and matches no entry of
// "BlackListClose"; the application might be one the list protects, so
// "closeapp" leaves it alone while a list is in force.
TEST(PlatformFaultTest, ProtectedApplicationStaysWhenItsPathCannotBeRead) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"closeapp");
  r.phone.setForeground(r.phone.addApp(L"keep.exe", L"\\Windows\\Keep.exe", L"KeepWnd", L"Keep"));
  r.touches(kFaultedMs, FaultTest::swipeRight(), nullptr,
            [&r] { r.phone.faults().moduleName = -1; });
  r.at(kEndMs, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  EXPECT_FALSE(containsEntry(r.eventsBetween(0, kEndMs), "close request to \"Keep\""));
}
