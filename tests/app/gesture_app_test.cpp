#include "app/gesture_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "platform/sim/sim_phone.h"
#include "ports/touch_messages.h"
#include "text/utf8.h"
#include "trace/touch_sequence.h"

namespace {

using AppSettings::programKey;

constexpr const char* driverSwitchEvent =
    "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\MultiTouchDemo";

// The phone's events, or only those that start with one of `prefixes`.
std::vector<std::string> eventsOf(SimPhone& phone, const std::vector<std::string>& prefixes = {}) {
  std::vector<std::string> texts = phone.log().texts(LogCategory::event);
  if (prefixes.empty()) return texts;
  const auto unwanted = [&prefixes](const std::string& text) {
    return std::none_of(prefixes.begin(), prefixes.end(),
                        [&text](const std::string& p) { return text.rfind(p, 0) == 0; });
  };
  texts.erase(std::remove_if(texts.begin(), texts.end(), unwanted), texts.end());
  return texts;
}

// A phone with the program's settings loaded, driven through the window
// procedure; the log starts empty after the load.
struct App {
  SimPhone phone;
  GestureApp app{phone.platform()};

  explicit App(const SimPhoneConfig& config = {}) : phone(config) {
    app.LoadAllSettings();
    phone.log().clear();
  }
  void bind(const std::wstring& gesture, const std::wstring& binding) {
    phone.registry().setString(Registry::currentUser, programKey, gesture, binding);
  }
  std::optional<std::wstring> binding(const std::wstring& gesture) {
    return phone.registry().stringValue(Registry::currentUser, programKey, gesture);
  }
  // Two fingers 100 pixels apart swipe right: "SwipeRightDouble".
  void swipeRightDouble() {
    const TouchSequence swipe =
        TouchSequence().press({40, 400}, {40, 300}).move({440, 400}, {440, 300}, 20).release();
    for (const TouchSequence::Message& m : swipe.messages()) {
      app.WindowProcedure(0, m.message, m.wParam, m.lParam);
    }
  }
  bool logged(const std::string& text) { return phone.log().contains(text); }
  std::vector<std::string> events(const std::vector<std::string>& prefixes = {}) {
    return eventsOf(phone, prefixes);
  }
};

TEST(GestureAppTest, BindingSplitsAtTheFirstCommaWithoutTrimming) {
  const struct {
    const wchar_t* binding;
    std::vector<std::string> launches;
  } rows[] = {
      {L"p,-x,y", {"launch \"p\" \"-x,y\""}},
      {L"p,", {"launch \"p\" \"\""}},
      {L"p", {"launch \"p\" \"\""}},
      {L" p ,x", {"launch \" p \" failed"}},  // no such program: the spaces stay
      {L",x", {}},                            // nothing names a program
  };
  for (const auto& row : rows) {
    App a;
    a.phone.addProgram(L"p", L"PClass", L"P");
    EXPECT_TRUE(a.app.LaunchBinding(row.binding));
    EXPECT_EQ(a.events({"launch"}), row.launches) << Text::toUtf8(row.binding);
  }
}

TEST(GestureAppTest, CommandWordsIgnoreCaseButNeedTheWholeText) {
  App a;
  EXPECT_TRUE(a.app.RunCommandWord(L"Start"));
  EXPECT_EQ(a.events(), (std::vector<std::string>{"key down 91", "key up 91"}));

  EXPECT_FALSE(a.app.RunCommandWord(L"controllerx"));  // 11 characters
  EXPECT_FALSE(a.app.RunCommandWord(L""));
  EXPECT_EQ(a.app.mode(), AppMode::gestures) << "a refused word changed the mode";
  EXPECT_TRUE(a.app.RunCommandWord(L"CONTROLLER"));
  EXPECT_EQ(a.app.mode(), AppMode::controller) << "words are matched ignoring case";

  App b;
  EXPECT_TRUE(b.app.RunCommandWord(L"RoTaTe"));
  EXPECT_EQ(b.events().front(), "sleep 400");
  EXPECT_TRUE(b.logged("display orientation 270"));

  // A trailing space makes it a program to start.
  App c;
  c.bind(L"SwipeRightDouble", L"rotate ");
  c.swipeRightDouble();
  EXPECT_TRUE(c.logged("launch \"rotate \" failed"));
  EXPECT_FALSE(c.logged("display orientation 270"));
}

TEST(GestureAppTest, LearningKeepsTheBindingWhileTheForegroundProgramIsUnknown) {
  App a;
  a.bind(L"SwipeRightDouble", L"nextapp");
  ASSERT_TRUE(a.app.RunCommandWord(L"learn"));
  a.swipeRightDouble();  // no window in front: no program name
  EXPECT_EQ(a.binding(L"SwipeRightDouble"), L"nextapp");
  EXPECT_EQ(a.app.mode(), AppMode::learning) << "learning ended without a program to bind";

  a.phone.setForeground(a.phone.addApp(L"Notes.exe", L"\\Windows\\Notes.exe", L"N", L"Notes"));
  a.swipeRightDouble();
  EXPECT_EQ(a.binding(L"SwipeRightDouble"), L"\\windows\\notes.exe");
  EXPECT_EQ(a.app.mode(), AppMode::gestures) << "learning did not end with the binding";
}

TEST(GestureAppTest, GateChecksTheBlackListFirstThenTheKeyboardThenTheAngle) {
  App a;
  const WindowHandle game = a.phone.addApp(L"Game.exe", L"\\Game.exe", L"G", L"Game");
  a.phone.setForeground(game);
  a.phone.registry().setStringList(Registry::currentUser, programKey, L"BlackListAll",
                                   {L"\\GAME.EXE"});
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idBlackListAll);
  a.phone.faults().querySip = 1;
  EXPECT_FALSE(a.app.GesturesAllowed());
  EXPECT_EQ(a.phone.faults().querySip, 1);  // the keyboard was not asked

  a.phone.setForeground(a.phone.addApp(L"Notes.exe", L"\\Notes.exe", L"N", L"Notes"));
  a.phone.setKeyboardShown(true);
  EXPECT_TRUE(a.app.GesturesAllowed());  // the query fails: the keyboard counts as hidden
  a.app.sipInfo.size = 0;                // whatever a query left behind
  EXPECT_FALSE(a.app.GesturesAllowed());

  a.phone.setKeyboardShown(false);
  const std::pair<int, bool> angles[] = {{90, false}, {180, false}, {270, true}, {0, true}};
  for (const auto& [angle, allowed] : angles) {
    a.phone.registry().setDword(RotationRegistry::root, RotationRegistry::key,
                                RotationRegistry::angle, static_cast<std::uint32_t>(angle));
    a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idAngle);
    EXPECT_EQ(a.app.GesturesAllowed(), allowed) << "screen turned by " << angle << " degrees";
  }
}

TEST(GestureAppTest, OnlyKnownIdentifiersReloadASetting) {
  App a;
  a.phone.registry().setDword(Registry::currentUser, programKey, L"ShowOverlay", 2000);
  std::vector<LParam> unknown = {0, 10, 12, 15, 17, -7};
  if (sizeof(LParam) > 4) unknown.push_back(static_cast<LParam>((std::uint64_t{1} << 32) | 7));
  for (const LParam id : unknown) {
    EXPECT_EQ(a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, id), 0);
  }
  EXPECT_EQ(a.app.showOverlay, 1);
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idShowOverlay);
  EXPECT_EQ(a.app.showOverlay, 2000);
}

// Each notification reloads its own value, read as its type, into its part.
TEST(GestureAppTest, EachIdentifierReloadsItsOwnValue) {
  App a;
  Registry::Root user = Registry::currentUser;
  SimRegistry& registry = a.phone.registry();
  registry.setDword(user, programKey, L"SingleTouchGestureSupport", 1);
  registry.setDword(user, programKey, L"TapAndHoldGestureSupport", 1);
  registry.setDword(user, programKey, L"ShowOverlay", 0);
  registry.setString(user, programKey, L"ControllerKeys", L"65");
  registry.setDword(user, programKey, L"ControllerVibrate", 7);
  registry.setDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle, 270);

  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idSingleTouchGestureSupport);
  EXPECT_TRUE(a.app.tracker.singleTouchGestures()) << "SingleTouchGestureSupport";
  EXPECT_FALSE(a.app.tracker.tapAndHold()) << "TapAndHoldGestureSupport loaded by another id";
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idTapAndHoldGestureSupport);
  EXPECT_TRUE(a.app.tracker.tapAndHold()) << "TapAndHoldGestureSupport";
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idShowOverlay);
  EXPECT_EQ(a.app.showOverlay, 0) << "ShowOverlay";
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idControllerKeys);
  EXPECT_EQ(a.app.controller.keys().front(), 65) << "ControllerKeys";
  EXPECT_EQ(a.app.controller.vibrateMs(), 0) << "ControllerVibrate loaded by another id";
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idControllerVibrate);
  EXPECT_EQ(a.app.controller.vibrateMs(), 7) << "ControllerVibrate";
  a.app.WindowProcedure(0, WM_REGISTRY_CHANGED, 0, AppSettings::idAngle);
  EXPECT_EQ(a.app.screenAngle, 270) << "Angle";
  EXPECT_TRUE(a.app.controller.landscapeScreen()) << "Angle did not reach the game-pad";
}

TEST(GestureAppTest, RearmSwitchesTheDriverOffAndOnOnlyWhenItExists) {
  const struct {
    std::optional<std::uint32_t> before;
    std::vector<std::string> expected;
  } rows[] = {
      {5,
       {std::string(driverSwitchEvent) + " = 0", "sleep 1000",
        std::string(driverSwitchEvent) + " = 1"}},
      {0, {std::string(driverSwitchEvent) + " = 1"}},
      {std::nullopt, {}},
  };
  for (const auto& row : rows) {
    SimPhoneConfig config;
    config.multiTouchDemo = row.before;  // the load re-arms: only absence stays
    App a(config);
    if (row.before) {
      a.phone.registry().setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                                  TouchDriverRegistry::multiTouchDemo, *row.before);
    }
    a.phone.log().clear();
    a.app.RearmTouchDriver(true);
    EXPECT_EQ(a.events({driverSwitchEvent, "sleep"}), row.expected);
  }
}

TEST(GestureAppTest, NegativeOverlayTimeHidesAfterTheDefaultPeriod) {
  App a;
  const std::pair<std::int32_t, std::uint32_t> rows[] = {
      {1, 500}, {2, 2}, {-1, 500}, {INT32_MIN, 500}, {3000, 3000}};
  for (const auto& [setting, ms] : rows) {
    a.app.showOverlay = setting;
    EXPECT_EQ(a.app.pictureHideMs(), ms) << setting;
  }
}

// A message queue that breaks: every fetch fails.
class BrokenQueue : public SimWindows {
 public:
  using SimWindows::SimWindows;
  std::int32_t getMessage(QueuedMessage&) override { return -1; }
};

TEST(GestureAppTest, FailingMessageFetchEndsTheLoopAndStillRestoresTheDriver) {
  SimPhone phone;
  BrokenQueue windows(phone.context(), &phone.processes());
  Platform platform{phone.registry(),  windows,       phone.shell(), phone.input(),
                    phone.processes(), phone.clock(), phone.leds(),  phone.overlayDevice(),
                    phone.debug()};
  GestureApp app(platform);
  phone.log().clear();
  EXPECT_EQ(app.run(), -1);
  // The create message let the whole screen pass, then re-armed the driver
  // (1: off, a second, on again); the exit
  // switches the driver off, then lets the whole screen pass.
  const std::string lockTouch = "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\LockTouch";
  const std::string off = std::string(driverSwitchEvent) + " = 0";
  const std::string wholeScreen = lockTouch + " = \"0,0,480,800\"";
  EXPECT_EQ(eventsOf(phone, {driverSwitchEvent, lockTouch}),
            (std::vector<std::string>{wholeScreen, off, std::string(driverSwitchEvent) + " = 1",
                                      off, wholeScreen}));
}

}  // namespace
