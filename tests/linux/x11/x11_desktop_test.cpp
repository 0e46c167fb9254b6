// X11Desktop on a real X server: Xvfb with matchbox-window-manager and small
// test applications that log what reaches them.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

#include "app/app_settings.h"
#include "platform/linux/x11/x11_desktop.h"
#include "platform/linux/x11/x11_settings.h"
#include "platform/sim/sim_registry.h"
#include "registry/registry_store.h"
#include "x_session.h"

namespace {

using XTest::keyLine;

class X11DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.ok()) << "Xvfb or matchbox-window-manager did not start";
    std::string error;
    desktop = X11Desktop::open("", &registry, error,
                               [this](const std::string& line) { notes.push_back(line); });
    ASSERT_TRUE(desktop) << error;
  }

  // Waits until the window manager has put the window with this title in front.
  bool inFront(const std::wstring& title) {
    return XTest::waitFor([&] {
      const WindowHandle front = desktop->foregroundWindow();
      return front != 0 && desktop->windowText(front, 64) == title;
    });
  }

  std::vector<std::wstring> titlesTopFirst() {
    std::vector<std::wstring> titles;
    desktop->enumerateWindows([&](WindowHandle window) {
      titles.push_back(desktop->windowText(window, 64));
      return true;
    });
    return titles;
  }

  XTest::Session session;
  SimRegistry registry;
  std::vector<std::string> notes;
  std::unique_ptr<X11Desktop> desktop;
};

// (Activation, and a window's process, through the runs of zem: "nextapp",
// "closeapp" and learning.)
TEST_F(X11DesktopTest, FrontWindowStackingOrderAndActivation) {
  session.startApp("a", "Alpha");
  session.startApp("b", "Beta");
  session.startApp("c", "Gamma");
  ASSERT_TRUE(inFront(L"Gamma"));
  // Only application windows: a toolbar is no switch target.
  session.startApp("kbd", "Bar", {"--type", "toolbar", "--geometry", "0,700,480,100"});
  ASSERT_TRUE(XTest::waitFor([&] { return titlesTopFirst().size() == 3; }));
  EXPECT_EQ(titlesTopFirst(), (std::vector<std::wstring>{L"Gamma", L"Beta", L"Alpha"}));

  const WindowHandle alpha = desktop->findWindowByTitle(L"Alpha");
  ASSERT_NE(alpha, 0u);
  EXPECT_TRUE(desktop->isWindowVisible(alpha));
  EXPECT_EQ(desktop->findWindow(L"zem-a", L"Alpha"), alpha);
  EXPECT_EQ(desktop->findWindow(L"zem-b", L"Alpha"), 0u);
  EXPECT_EQ(desktop->windowText(alpha, 3), L"Al");

  // A window without _NET_WM_PID has no process.
  session.startApp("n", "Anonymous", {"--no-pid"});
  const WindowHandle anonymous = desktop->findWindowByTitle(L"Anonymous");
  ASSERT_NE(anonymous, 0u);
  std::uint32_t pid = 77;
  EXPECT_FALSE(desktop->windowProcessId(anonymous, pid));
  EXPECT_EQ(pid, 77u);
  // Gone or never there: nothing, and no failure on the way.
  const WindowHandle missing = 0x1FFFFFF;
  EXPECT_FALSE(desktop->setForegroundWindow(missing));
  EXPECT_FALSE(desktop->windowProcessId(missing, pid));
  EXPECT_FALSE(desktop->isWindowVisible(missing));
  EXPECT_EQ(desktop->windowText(missing, 64), L"");
  EXPECT_TRUE(notes.empty());
}

// Asked, not killed: an application that stays, stays. (The runs of zem
// show an application that goes.)
TEST_F(X11DesktopTest, CloseAsksTheWindowPolitely) {
  const pid_t stubborn = session.startApp("b", "Stubborn", {"--stay"});
  const WindowHandle window = desktop->findWindowByTitle(L"Stubborn");
  ASSERT_TRUE(desktop->postToWindow(window, WindowMessage::close, 0, 0));
  EXPECT_TRUE(XTest::waitFor([&] { return XTest::hasLine(session.logPath("b"), "close"); }));
  EXPECT_FALSE(session.ended(stubborn));
  // Other messages are not for other applications; a window gone is not closed.
  EXPECT_FALSE(desktop->postToWindow(window, WindowMessage::keyDown, 0x27, 0));
  kill(stubborn, SIGKILL);
  EXPECT_TRUE(
      XTest::waitFor([&] { return !desktop->postToWindow(window, WindowMessage::close, 0, 0); }));
}

TEST_F(X11DesktopTest, KeysReachTheFrontApplicationOrRunTheirCommands) {
  session.startApp("a", "Alpha");
  ASSERT_TRUE(inFront(L"Alpha"));
  ASSERT_TRUE(XTest::waitFor([&] { return XTest::hasLine(session.logPath("a"), "focus"); }));
  const std::string marker = session.logPath("c");
  registry.setString(AppSettings::programRoot, AppSettings::programKey, X11Settings::lockCommand,
                     L"echo locked >> " + std::wstring(marker.begin(), marker.end()));
  registry.setString(AppSettings::programRoot, AppSettings::programKey, X11Settings::phoneCommand,
                     L"");
  // Right, a letter, Enter and Clear, keypad 0 (behind keypad Insert), F4;
  // F24, which the server's keyboard lacks: bound to a free key; the lock
  // key runs its command (F22 never goes out); the phone key, its command
  // empty, goes to the application as F3.
  const std::uint8_t keys[] = {
      0x27, 0x41, 0x0D, 0x0C, 0x60, 0x73, 0x87, X11Settings::lockKey, X11Settings::phoneKey};
  for (const std::uint8_t key : keys) {
    EXPECT_TRUE(desktop->keyEvent(key, true)) << int{key};
    EXPECT_TRUE(desktop->keyEvent(key, false)) << int{key};
  }
  const std::vector<std::string> expected = {keyLine(0xFF53), keyLine('a'),    keyLine(0xFF0D),
                                             keyLine(0xFF0B), keyLine(0xFFB0), keyLine(0xFFC1),
                                             keyLine(0xFFD5), keyLine(0xFFC0)};
  EXPECT_TRUE(XTest::waitFor([&] {
    std::vector<std::string> keysSeen;
    for (const std::string& line : XTest::readLines(session.logPath("a"))) {
      // Shift comes with the keypad digit, pressed and released around it.
      if (line.rfind("key ", 0) == 0 && line != keyLine(0xFFE1)) keysSeen.push_back(line);
    }
    return keysSeen == expected;
  })) << ::testing::PrintToString(XTest::readLines(session.logPath("a")));
  EXPECT_TRUE(XTest::waitFor([&] { return XTest::readLines(marker).size() == 1; }));
  EXPECT_FALSE(desktop->keyEvent(0xFF, true));  // no such key: the caller's own device
  desktop->processEvents();                     // reaps the command
}

TEST_F(X11DesktopTest, OnScreenKeyboardCountsWhileItsWindowIsMapped) {
  session.startApp("a", "Alpha");
  EXPECT_FALSE(desktop->onScreenKeyboardShown());
  const pid_t keyboard = session.startApp(
      "kbd", "Keyboard",
      {"--class", "Matchbox-Keyboard", "--type", "toolbar", "--geometry", "0,600,480,200"});
  ASSERT_GT(keyboard, 0);
  EXPECT_TRUE(desktop->onScreenKeyboardShown());
  // Another list of keyboards: this one no longer counts.
  registry.setStringList(AppSettings::programRoot, AppSettings::programKey,
                         X11Settings::keyboardWindows, {L"onboard"});
  EXPECT_FALSE(desktop->onScreenKeyboardShown());
  registry.setStringList(AppSettings::programRoot, AppSettings::programKey,
                         X11Settings::keyboardWindows, {L"matchbox-keyboard"});
  kill(keyboard, SIGTERM);
  EXPECT_TRUE(XTest::waitFor([&] { return !desktop->onScreenKeyboardShown(); }));
}

TEST_F(X11DesktopTest, RotationIsRequestedWithRandR) {
  OrientationRequest request;
  request.orientation = 4;  // 270 degrees
  // Xvfb offers rotation 0 only: the request is made and refused as a mode
  // the display does not have, and "Angle" stays as it was.
  EXPECT_EQ(desktop->changeOrientation(request), -2);
  EXPECT_EQ(desktop->rotationDegrees(), 0);
  std::uint32_t angle = 0;
  RegistryStore(registry).ReadDword(RotationRegistry::root, RotationRegistry::key,
                                    RotationRegistry::angle, angle);
  EXPECT_NE(angle, 270u);
  request.orientation = 3;  // no such orientation
  EXPECT_EQ(desktop->changeOrientation(request), -5);
  request.orientation = 0;
  request.fields = 0;
  EXPECT_EQ(desktop->changeOrientation(request), -5);
}

TEST_F(X11DesktopTest, WindowManagerGoneFallsBackToTheServerAndSaysSoOnce) {
  const pid_t a = session.startApp("a", "Alpha");
  session.startApp("b", "Beta");
  ASSERT_TRUE(inFront(L"Beta"));
  session.stopWindowManager();
  // The windows are still there, found through the server.
  ASSERT_TRUE(XTest::waitFor([&] { return titlesTopFirst().size() == 2; }));
  const WindowHandle alpha = desktop->findWindowByTitle(L"Alpha");
  ASSERT_NE(alpha, 0u);
  ASSERT_TRUE(desktop->setForegroundWindow(alpha));
  EXPECT_TRUE(XTest::waitFor([&] { return desktop->foregroundWindow() == alpha; }));
  EXPECT_EQ(titlesTopFirst().front(), L"Alpha");
  EXPECT_FALSE(desktop->showDesktop());
  // (Keys still arriving: the run of zem without its window manager.)
  ASSERT_TRUE(desktop->postToWindow(alpha, WindowMessage::close, 0, 0));
  EXPECT_TRUE(XTest::waitFor([&] { return session.ended(a); }));
  EXPECT_EQ(notes.size(), 1u);
}

TEST_F(X11DesktopTest, HomeShowsTheDesktop) {
  session.startApp("d", "Desk", {"--type", "desktop"});
  session.startApp("a", "Alpha");
  ASSERT_TRUE(inFront(L"Alpha"));
  // "home" brings the window titled "Desktop" forward: the root stands for it.
  const WindowHandle home = desktop->findWindowByTitle(AppSettings::desktopTitle);
  ASSERT_NE(home, 0u);
  EXPECT_TRUE(desktop->setForegroundWindow(home));
  EXPECT_TRUE(desktop->activateWindow(home));
  xcb_connection_t* c = xcb_connect(session.display().c_str(), nullptr);
  xcb_ewmh_connection_t ewmh;
  ASSERT_NE(xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr), 0);
  EXPECT_TRUE(XTest::waitFor([&] {
    std::uint32_t showing = 0;
    return xcb_ewmh_get_showing_desktop_reply(&ewmh, xcb_ewmh_get_showing_desktop(&ewmh, 0),
                                              &showing, nullptr) != 0 &&
           showing == 1;
  }));
  xcb_ewmh_connection_wipe(&ewmh);
  xcb_disconnect(c);
}

TEST(X11DesktopOpen, ServerGoneSaysSoOnceAndFailsQuietly) {
  std::vector<std::string> notes;
  std::unique_ptr<X11Desktop> desktop;
  {
    XTest::Session session(false);
    ASSERT_TRUE(session.ok());
    std::string error;
    desktop = X11Desktop::open(session.display(), nullptr, error,
                               [&](const std::string& line) { notes.push_back(line); });
    ASSERT_TRUE(desktop);
  }
  ASSERT_TRUE(XTest::waitFor([&] {
    desktop->processEvents();
    return !desktop->connected();
  }));
  EXPECT_EQ(desktop->eventFd(), -1);
  EXPECT_EQ(desktop->foregroundWindow(), 0u);
  EXPECT_FALSE(desktop->keyEvent(0x27, true));
  EXPECT_FALSE(desktop->enumerateWindows([](WindowHandle) { return true; }));
  OrientationRequest request;
  EXPECT_EQ(desktop->changeOrientation(request), -1);
  Overlay::Object display = 0;
  EXPECT_NE(desktop->overlayDevice().createDisplayObject(display), 0);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("gone"), std::string::npos);
}

}  // namespace
