// Every platform call the program makes, failing while a gesture (or a touch
// on the game-pad) is handled, or at start-up. Each row shows the fallback,
// that the next gesture is served normally once the fault is gone, and that
// no setting or binding was written except the documented values.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "phone_run.h"
#include "ports/shared_registry.h"

namespace {

using namespace FaultTest;
using Step = std::function<void(PhoneRun&)>;

// When the fault is switched on; it is off again before the next action.
enum class Arm {
  startup,       // before ZEM starts (off before the first action)
  beforeSwipe,   // just before a two-finger swipe right
  afterRelease,  // the swipe's release entered the driver, ZEM has not handled it
  beforePadTap,  // before a tap on the game-pad's up key (a swipe shows the pad)
};

constexpr std::uint64_t faultedMs = 4500, nextMs = 7500, endMs = 20000;

// What any run writes: the touch driver's switch and pass-through rectangle,
// and the system's angle after a rotation.
const std::set<std::string> driverValues = {"HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\MultiTouchDemo",
                                            "HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch",
                                            "HKLM\\System\\GDI\\Rotation\\Angle"};
const std::string learnedRight = "HKCU\\Software\\ZEM\\SwipeRightDouble";

struct FaultRow {
  const char* name;
  std::wstring binding;  // of "SwipeRightDouble"
  Arm arm;
  Step fault;
  Lines faulted;                  // in this order while the fault is on
  Lines notFaulted;               // none of these while the fault is on
  Lines next;                     // in this order for the next action
  Step prepare;                   // before the faulted action
  Step between;                   // checks after the faulted action, fault still on
  std::set<std::string> written;  // further values it may write
};

FaultRow row(const char* name, const std::wstring& binding, Arm arm, const Step& fault,
             const Lines& faulted, const Lines& notFaulted, const Lines& next,
             const Step& prepare = nullptr, const Step& between = nullptr,
             const std::set<std::string>& written = {}) {
  return {name, binding, arm, fault, faulted, notFaulted, next, prepare, between, written};
}
Step fails(int SimFaults::*call, int count = -1) {
  return [call, count](PhoneRun& r) { r.phone.faults().*call = count; };
}
Step registryFails(int SimRegistry::Faults::*call) {
  return [call](PhoneRun& r) { r.phone.registry().faults().*call = -1; };
}

void playRow(const FaultRow& row) {
  SCOPED_TRACE(row.name);
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", row.binding);
  const bool pad = row.arm == Arm::beforePadTap;
  const auto act = [&r, &row, pad](std::uint64_t ms, bool faulted) {
    const auto samples = pad ? tap({faulted ? 90.0 : 91.0, 520.0}) : swipeRight();
    const auto arm = [&r, &row] { row.fault(r); };
    if (faulted && row.arm == Arm::afterRelease) return r.touches(ms, samples, nullptr, arm);
    if (faulted && row.arm != Arm::startup) r.at(ms - 1, arm);
    r.touches(ms, samples);
  };
  if (pad) r.touches(1500, swipeRight());
  if (row.arm == Arm::startup) row.fault(r);
  if (row.prepare) r.at(faultedMs - 300, [&r, &row] { row.prepare(r); });
  r.at(faultedMs - 200, [&r] { r.clearFaults(); });
  act(faultedMs, true);
  if (row.between) r.at(nextMs - 250, [&r, &row] { row.between(r); });
  r.at(nextMs - 200, [&r] { r.clearFaults(); });
  act(nextMs, false);
  r.at(endMs, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);

  std::string missing;
  const auto faulted = r.eventsBetween(faultedMs - 100, nextMs - 100);
  EXPECT_TRUE(containsInOrder(faulted, row.faulted, &missing)) << "with the fault: " << missing;
  for (const auto& text : row.notFaulted) EXPECT_FALSE(containsEntry(faulted, text)) << text;
  EXPECT_TRUE(containsInOrder(r.eventsBetween(nextMs - 100, endMs), row.next, &missing))
      << "afterwards: " << missing;

  // Nothing lost or corrupted: no value written but the documented ones.
  for (const auto& value : r.changed) {
    EXPECT_TRUE(driverValues.count(value) + row.written.count(value) > 0) << "wrote " << value;
  }
  // Nothing of a picture left behind, nothing released twice; the pad stays.
  SimOverlayDevice& overlay = r.phone.overlayDevice();
  if (pad) {
    ASSERT_TRUE(overlay.shownPicture().has_value());
    EXPECT_EQ(overlay.shownPicture()->picture, 168u);
  } else {
    EXPECT_EQ(overlay.liveObjects(), 0u);
  }
  EXPECT_EQ(overlay.invalidReleases(), 0u);
  EXPECT_EQ(r.phone.windows().timerCount(), 0u);
}

FaultRow overlayStep(const char* name, int SimFaults::*step) {
  return row(name, L"right", Arm::beforeSwipe, fails(step), {rightArrowToNotes}, {"overlay shows"},
             {pictureShown, rightArrowToNotes, "overlay hidden"});
}

TEST(PlatformFaultTest, OverlayFailuresSkipOrShortenThePictureButRunTheBinding) {
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
      row("first pixel format refused: the second one serves", L"right", Arm::beforeSwipe,
          fails(&SimFaults::createOverlaySurface, 1), {pictureShown, rightArrowToNotes}, {},
          {pictureShown, rightArrowToNotes}, nullptr,
          [](PhoneRun& r) { EXPECT_EQ(r.phone.faults().createOverlaySurface, 0); }),
      row("hide timer cannot be set: the picture goes at once", L"right", Arm::beforeSwipe,
          fails(&SimFaults::setTimer), {pictureShown, "overlay hidden", rightArrowToNotes}, {},
          {pictureShown, rightArrowToNotes, "overlay hidden"}),
      row("hide timer cannot be killed: the picture goes anyway", L"right", Arm::beforeSwipe,
          fails(&SimFaults::killTimer), {pictureShown, rightArrowToNotes, "overlay hidden"}, {},
          {pictureShown, rightArrowToNotes, "overlay hidden"}, nullptr,
          [](PhoneRun& r) {
            const wchar_t* error = r.app.overlay.lastError();
            EXPECT_EQ(std::wstring(error != nullptr ? error : L""), L"SetTimer failed.");
          }),
  };
  for (const FaultRow& r : rows) playRow(r);
}

// While the settings load: the first open or write is the whole-screen
// rectangle. It is lost, and the re-armed hook keeps the one already stored,
// so the samples reach the system there.
FaultRow loading(const char* name, int SimRegistry::Faults::*call) {
  return row(
      name, L"right", Arm::startup,
      [call](PhoneRun& r) {
        r.phone.registry().setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                                     TouchDriverRegistry::lockTouch,
                                     TouchDriverRegistry::wholeScreen);
        r.phone.registry().faults().*call = 1;
      },
      {pictureShown, rightArrowToNotes}, {}, {pictureShown, rightArrowToNotes}, nullptr,
      [](PhoneRun& r) {
        EXPECT_TRUE(containsEntry(r.phone.log().texts(LogCategory::touch), "touch 2 (360,1320)"));
        EXPECT_TRUE(containsInOrder(r.phone.log().texts(LogCategory::debug),
                                    {"[Quillon] ZEM mode", "[Quillon] area 0 0 480 800"}));
      });
}
FaultRow noBinding(const char* name, int SimRegistry::Faults::*call) {
  return row(name, L"right", Arm::beforeSwipe, registryFails(call), {pictureShown}, {"key down"},
             {pictureShown, rightArrowToNotes});
}
FaultRow noSwitch(const char* name, int SimFaults::*call) {
  return row(name, L"nextapp", Arm::beforeSwipe, fails(call), {pictureShown},
             {"foreground", "activate"},
             {pictureShown, "foreground \"Mail\"", "activate \"Mail\""});
}

TEST(PlatformFaultTest, RegistryWindowProcessAndShellFailuresEndTheActionQuietly) {
  const FaultRow rows[] = {
      loading("key cannot be opened while loading", &SimRegistry::Faults::open),
      loading("value cannot be written while loading", &SimRegistry::Faults::set),
      noBinding("key cannot be opened: no binding, nothing runs", &SimRegistry::Faults::open),
      noBinding("value cannot be read: no binding, nothing runs", &SimRegistry::Faults::query),
      row(
          "learned binding cannot be written: learn mode stays", L"right", Arm::beforeSwipe,
          registryFails(&SimRegistry::Faults::set), {pictureShown}, {"registry HKCU", "key down"},
          {pictureShown, "registry " + learnedRight + " = \"\\windows\\notes.exe\""},
          [](PhoneRun& r) { r.app.RunCommandWord(L"learn"); },
          [](PhoneRun& r) { EXPECT_EQ(r.app.mode(), AppMode::learning); }, {learnedRight}),
      row("close request cannot be posted: the application stays", L"closeapp", Arm::afterRelease,
          fails(&SimFaults::post), {pictureShown}, {"close request"},
          {pictureShown, "close request to \"Notes\"", "\"Notes\" closes"}),
      row("no window found: \"home\" is started as a program", L"home", Arm::beforeSwipe,
          fails(&SimFaults::findWindow), {pictureShown, "launch \"home\" failed"}, {"activate"},
          {pictureShown, "foreground \"Desktop\"", "activate \"Desktop\""}),
      // An unreadable path matches no entry of "BlackListClose", but the
      // application might be one the list protects: it stays.
      row("protected application whose path cannot be read stays", L"closeapp", Arm::afterRelease,
          fails(&SimFaults::moduleName), {pictureShown}, {"close request"}, {pictureShown},
          [](PhoneRun& r) {
            r.phone.setForeground(
                r.phone.addApp(L"keep.exe", L"\\Windows\\Keep.exe", L"KeepWnd", L"Keep"));
          }),
      noSwitch("process snapshot fails: no switch", &SimFaults::snapshot),
      noSwitch("module name unreadable: no switch", &SimFaults::moduleName),
      row(
          "keyboard state unknown: the keyboard counts as hidden", L"right", Arm::beforeSwipe,
          fails(&SimFaults::querySip), {pictureShown, rightArrowToNotes}, {},
          {pictureShown, rightArrowToNotes}, [](PhoneRun& r) { r.phone.setKeyboardShown(true); },
          [](PhoneRun& r) { r.phone.setKeyboardShown(false); }),
      row("display cannot turn: the angle stays", L"rotate", Arm::beforeSwipe,
          fails(&SimFaults::changeOrientation), {pictureShown, "sleep 400", "overlay hidden"},
          {"display orientation", "registry HKLM"},
          {pictureShown, "sleep 400", "overlay hidden", "display orientation 270"}, nullptr,
          [](PhoneRun& r) { EXPECT_EQ(r.app.screenAngle, 0); }),
      // The settings loaded at start-up stay in force (a later "ShowOverlay"
      // of 0 goes unnoticed); bindings are read at every gesture.
      row("no change notifications", L"right", Arm::startup,
          fails(&SimFaults::notifyRegistryChange), {pictureShown, rightArrowToNotes}, {},
          {pictureShown, rightArrowToNotes},
          [](PhoneRun& r) {
            r.phone.registry().setDword(Registry::currentUser, programKey, L"ShowOverlay", 0);
          },
          nullptr, {"HKCU\\Software\\ZEM\\ShowOverlay"}),
  };
  for (const FaultRow& r : rows) playRow(r);
}

FaultRow padKey(const char* name, int SimFaults::*call) {
  return row(name, L"controller", Arm::beforePadTap, fails(call), {"key down 38", "key up 38"},
             {"led"}, {"key down 38", "led 1 on", "led 1 off", "key up 38"});
}

TEST(PlatformFaultTest, VibrationFailuresStillPressTheKey) {
  const FaultRow rows[] = {padKey("no worker thread", &SimFaults::createThread),
                           padKey("LED count unknown", &SimFaults::ledCount),
                           padKey("LED cannot be switched", &SimFaults::setLed)};
  for (const FaultRow& r : rows) playRow(r);
}

}  // namespace
