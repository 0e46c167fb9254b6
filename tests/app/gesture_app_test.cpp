#include "app/gesture_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_settings.h"
#include "platform/sim/sim_phone.h"
#include "ports/touch_messages.h"
#include "text/utf8.h"
#include "trace/touch_sequence.h"

namespace {

using AppSettings::programKey;

// The phone's events that start with `prefix`.
std::vector<std::string> eventsOf(SimPhone& phone, const std::string& prefix) {
  std::vector<std::string> texts = phone.log().texts(LogCategory::event);
  texts.erase(std::remove_if(texts.begin(), texts.end(),
                             [&prefix](const std::string& t) { return t.rfind(prefix, 0) != 0; }),
              texts.end());
  return texts;
}

// A phone with the program's settings loaded, driven through the window
// procedure; the log starts empty after the load.
struct App {
  SimPhone phone;
  GestureApp app{phone.platform()};

  App() {
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
};

// The split at the first comma: examples/launch_program.scn.
TEST(GestureAppTest, BindingIsNotTrimmedAndNeedsAProgram) {
  const std::pair<const wchar_t*, std::vector<std::string>> rows[] = {
      {L" p ,x", {"launch \" p \" failed"}},  // no such program: the spaces stay
      {L",x", {}},                            // nothing names a program
  };
  for (const auto& [binding, launches] : rows) {
    App a;
    a.phone.addProgram(L"p", L"PClass", L"P");
    EXPECT_TRUE(a.app.LaunchBinding(binding));
    EXPECT_EQ(eventsOf(a.phone, "launch"), launches) << Text::toUtf8(binding);
  }
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
  // (off, a second, on again); the exit switches the driver off, then lets
  // the whole screen pass.
  const std::string key = "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH\\";
  const std::string wholeScreen = key + "LockTouch = \"0,0,480,800\"",
                    off = key + "MultiTouchDemo = 0";
  EXPECT_EQ(
      eventsOf(phone, key),
      (std::vector<std::string>{wholeScreen, off, key + "MultiTouchDemo = 1", off, wholeScreen}));
}

}  // namespace
