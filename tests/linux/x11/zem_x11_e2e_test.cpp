// The real `zem` on an X display: Xvfb with matchbox-window-manager, test
// applications that log what reaches them, a settings file, and a touch
// trace played instead of a panel (`zem --touch-trace`).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <tuple>

#include "platform/linux/x11/x11_desktop.h"
#include "x_session.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t blue = 0x3060C0;

// Two fingers side by side, in the panel's 480 x 800 pixels.
constexpr const char* swipeRight = "stroke 90,330 -> 372,318 and 96,430 -> 380,421 in 250\n";
constexpr const char* swipeLeft = "stroke 372,318 -> 90,330 and 380,421 -> 96,430 in 250\n";
constexpr const char* swipeUp = "stroke 150,650 -> 160,250 and 300,650 -> 310,250 in 250\n";
constexpr const char* swipeDown = "stroke 150,250 -> 160,650 and 300,250 -> 310,650 in 250\n";

using XTest::keyLine;
using XTest::readAll;

// A string list as the settings file holds one: hex(7), UTF-16LE, each
// entry ending in a NUL, one more NUL at the end.
std::string stringList(const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) text += entry + '\0';
  std::string out = "hex(7):";
  char unit[8];
  for (const char c : text + '\0') {
    std::snprintf(unit, sizeof unit, "%02x,00,", static_cast<unsigned char>(c));
    out += unit;
  }
  out.pop_back();
  return out;
}

class ZemOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.ok()) << "Xvfb or matchbox-window-manager did not start";
    folder = session.directory();
    std::filesystem::create_directories(folder + "/config/zem");
    std::filesystem::create_directories(folder + "/run");
    chmod((folder + "/run").c_str(), 0700);
  }
  void TearDown() override {
    stopZem();
    std::error_code ignored;
    if (!programs.empty()) std::filesystem::remove_all(programs, ignored);
  }

  // The settings file: `values` are lines under the program's key.
  void settings(const std::vector<std::string>& values) {
    std::string text =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\ZEM]\n";
    for (const std::string& value : values) text += value + "\n";
    std::ofstream(settingsFile(), std::ios::trunc) << text;
  }
  std::string settingsFile() const { return folder + "/config/zem/settings.reg"; }

  // A copy of the test application under another name: another program path
  // and process name. In a folder of lower-case letters: ZEM lower-cases the
  // program paths it compares and learns.
  std::string program(const std::string& name) {
    if (programs.empty()) {
      std::random_device random;
      programs = "/tmp/zem-x11-programs-" + std::to_string(random());
      std::filesystem::create_directories(programs);
    }
    std::string path = programs + "/" + name;
    std::filesystem::copy_file(XTest::Session::appProgram(), path,
                               std::filesystem::copy_options::overwrite_existing);
    chmod(path.c_str(), 0755);
    return path;
  }

  bool logged(const std::string& name, const std::string& line,
              std::chrono::milliseconds patience = 8000ms) {
    return XTest::waitFor([&] { return XTest::hasLine(session.logPath(name), line); }, patience);
  }

  // Runs zem on this trace (a short wait first, while zem starts).
  bool startZem(const std::string& trace, const std::string& display = "") {
    const std::string tracePath = folder + "/gesture.trace";
    std::ofstream(tracePath, std::ios::trunc) << "wait 1500\n" << trace << "wait 300\n";
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
    setenv("DISPLAY", (display.empty() ? session.display() : display).c_str(), 1);
    std::string arguments[] = {ZEM_PROGRAM, "--verbose", "--touch-trace", tracePath};
    char* argv[] = {arguments[0].data(), arguments[1].data(), arguments[2].data(),
                    arguments[3].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, zemLog().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&zem, ZEM_PROGRAM, &actions, nullptr, argv, environ) != 0) zem = -1;
    posix_spawn_file_actions_destroy(&actions);
    const bool started = zem > 0 && XTest::waitFor([&] { return zemSays("settings:") > 0; }, 5s);
    EXPECT_TRUE(started) << "zem did not start: " << readAll(zemLog());
    return started;
  }
  std::string zemLog() const { return folder + "/zem.log"; }
  std::size_t zemSays(const std::string& words) const {
    std::size_t count = 0;
    for (const std::string& line : XTest::readLines(zemLog())) {
      if (line.find(words) != std::string::npos) ++count;
    }
    return count;
  }
  bool zemRunning() { return zem > 0 && waitpid(zem, nullptr, WNOHANG) == 0; }
  void stopZem() {
    if (zem <= 0) return;
    kill(zem, SIGTERM);
    waitpid(zem, nullptr, 0);
    zem = -1;
  }

  XTest::Session session;
  std::string folder;
  std::string programs;
  pid_t zem = -1;
};

TEST_F(ZemOnX, CloseAppClosesTheFrontApplicationButNotOneOnTheBlackList) {
  const std::string kept = program("kept-app");
  settings({"\"SwipeRightDouble\"=\"closeapp\"", "\"ShowOverlay\"=dword:00000000",
            "\"BlackListClose\"=" + stringList({kept})});
  const pid_t plain = session.startApp("a", "Plain");
  const pid_t protectedApp = session.startApp("b", "Kept", {}, kept);
  // The protected one is in front: the gesture leaves it alone.
  if (!startZem(swipeRight)) return;
  std::this_thread::sleep_for(3s);
  EXPECT_FALSE(XTest::hasLine(session.logPath("b"), "close")) << readAll(zemLog());
  EXPECT_FALSE(session.ended(protectedApp));
  stopZem();
  // Now the other one is in front, and goes.
  kill(protectedApp, SIGTERM);
  ASSERT_TRUE(XTest::waitFor([&] { return session.ended(protectedApp); }));
  if (!startZem(swipeRight)) return;
  EXPECT_TRUE(logged("a", "close")) << readAll(zemLog());
  EXPECT_TRUE(XTest::waitFor([&] { return session.ended(plain); }));
}

TEST_F(ZemOnX, NextAndPreviousAppSwitchWithWrappingAndSkipTheSwitchBlackList) {
  // Distinct programs: the switcher knows applications by process name, in
  // process order.
  const std::string first = program("first-app");
  const std::string second = program("second-app");
  const std::string skipped = program("skipped-app");
  const std::string third = program("third-app");
  settings({"\"SwipeRightDouble\"=\"nextapp\"", "\"SwipeLeftDouble\"=\"prevapp\"",
            "\"ShowOverlay\"=dword:00000000",
            "\"BlackListSwitch\"=" + stringList({"skipped-app"})});
  session.startApp("a", "First", {}, first);
  session.startApp("b", "Second", {}, second);
  session.startApp("c", "Skipped", {}, skipped);
  session.startApp("d", "Third", {}, third);
  std::string error;
  const std::unique_ptr<X11Desktop> observer = X11Desktop::open(session.display(), nullptr, error);
  ASSERT_TRUE(observer) << error;
  const auto front = [&] {
    const WindowHandle window = observer->foregroundWindow();
    return window != 0 ? observer->windowText(window, 64) : std::wstring();
  };
  ASSERT_TRUE(XTest::waitFor([&] { return front() == L"Third"; }));
  // Previous skips the black-listed one; next skips it too; next from the
  // last wraps to the first, previous from the first wraps to the last.
  const std::string pause = "wait 1500\n";
  if (!startZem(swipeLeft + pause + swipeRight + pause + swipeRight + pause + swipeLeft)) {
    return;
  }
  const std::vector<std::wstring> expected = {L"Third", L"Second", L"Third", L"First", L"Third"};
  std::vector<std::wstring> seen = {front()};
  XTest::waitFor(
      [&] {
        const std::wstring now = front();
        if (!now.empty() && now != seen.back()) seen.push_back(now);
        return seen.size() >= expected.size();
      },
      15s);
  EXPECT_EQ(seen, expected) << readAll(zemLog());
}

TEST_F(ZemOnX, LearnWritesTheFrontProgramsPathIntoTheSettingsFile) {
  const std::string learned = program("learned-app");
  settings({"\"SwipeDownDouble\"=\"learn\"", "\"ShowOverlay\"=dword:00000000"});
  session.startApp("a", "Learned", {}, learned);
  if (!startZem(std::string(swipeDown) + "wait 800\n" + swipeUp)) return;
  EXPECT_TRUE(XTest::waitFor(
      [&] {
        return readAll(settingsFile()).find("\"SwipeUpDouble\"=\"" + learned + "\"") !=
               std::string::npos;
      },
      10s))
      << readAll(settingsFile()) << readAll(zemLog());
  EXPECT_NE(readAll(settingsFile()).find("\"SwipeDownDouble\"=\"learn\""), std::string::npos);
}

// The swipe bound to "right" gives Right to the front application, and its
// picture shows for "ShowOverlay" ms, letting clicks through.
TEST_F(ZemOnX, GesturePictureIsShownAtItsPlaceAndGoneAfterShowOverlay) {
  settings({"\"SwipeRightDouble\"=\"right\"", "\"ShowOverlay\"=dword:000007d0"});  // 2000 ms
  session.startApp("a", "Alpha");
  if (!startZem(swipeRight)) return;
  ASSERT_TRUE(logged("a", keyLine(0xFF53))) << readAll(zemLog());
  XTest::Screenshot shot = XTest::takeScreenshot(session.display());
  ASSERT_EQ(shot.width, 480);
  // The picture fills (120, 280) to (360, 520) but for its black corners,
  // where the application shows through; around it, the application.
  for (const auto& [x, y, picture] : {std::tuple{240, 400, true},
                                      {125, 400, true},
                                      {354, 400, true},
                                      {120, 280, false},
                                      {359, 519, false},
                                      {119, 400, false},
                                      {360, 400, false},
                                      {240, 279, false},
                                      {240, 520, false}}) {
    EXPECT_EQ(shot.at(x, y) != blue, picture) << x << "," << y;
  }
  // The picture never takes the pointer: a click on it reaches the application.
  XTest::click(session.display(), 240, 400);
  EXPECT_TRUE(logged("a", "button 240 400")) << readAll(zemLog());
  EXPECT_TRUE(XTest::waitFor(
      [&] { return XTest::takeScreenshot(session.display()).at(240, 400) == blue; }, 4s));
  EXPECT_TRUE(zemRunning());
}

TEST_F(ZemOnX, GamePadShowsItsPictureAndItsButtonsGiveKeys) {
  settings({"\"SwipeRightDouble\"=\"controller\"", "\"ShowOverlay\"=dword:00000000"});
  session.startApp("a", "Alpha");
  // The pad over the bottom 320 pixels: Down at (90, 760), keypad 0 at
  // (350, 520); the exit button at (240, 775).
  // The pad comes after the action's pause and the touch driver's re-arm.
  if (!startZem(std::string(swipeRight) + "wait 3000\ntap 90,760 for 150\nwait 300\n" +
                "tap 350,520 for 150\nwait 300\ntap 240,200 for 150\nwait 300\n"))
    return;
  EXPECT_TRUE(logged("a", keyLine(0xFF54))) << readAll(zemLog());
  EXPECT_TRUE(logged("a", keyLine(0xFFB0))) << readAll(zemLog());
  // A touch above the pad passes on to the application (as the pointer,
  // Xvfb having no touchscreen).
  EXPECT_TRUE(logged("a", "button 240 200")) << readAll(zemLog());
  // The buttons' touches are the pad's own: none reached the application
  // before the tap above the pad did.
  EXPECT_FALSE(XTest::hasLine(session.logPath("a"), "button 90 760"));
  EXPECT_FALSE(XTest::hasLine(session.logPath("a"), "button 350 520"));
  // The pad's picture over the bottom, the application between its buttons.
  const std::optional<X11Picture> pad = X11Pictures::load(168);
  ASSERT_TRUE(pad);
  const XTest::Screenshot shot = XTest::takeScreenshot(session.display());
  ASSERT_EQ(shot.width, 480);
  int mismatches = 0;
  for (int y = 480; y < 800; y += 4) {
    for (int x = 0; x < 480; x += 4) {
      const std::uint32_t drawn =
          pad->pixels[static_cast<std::size_t>(y - 480) * 480 + static_cast<std::size_t>(x)];
      if (shot.at(x, y) != (drawn == 0 ? blue : drawn)) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(shot.at(240, 240), blue);  // the top is left to the application
}

TEST_F(ZemOnX, RotateIsRequestedAndXvfbRefusesIt) {
  settings({"\"SwipeRightDouble\"=\"rotate\"", "\"ShowOverlay\"=dword:00000000"});
  session.startApp("a", "Alpha");
  if (!startZem(swipeRight)) return;
  std::this_thread::sleep_for(4s);
  // Xvfb has rotation 0 only: the angle stays, zem runs on.
  EXPECT_TRUE(zemRunning()) << readAll(zemLog());
  EXPECT_EQ(readAll(folder + "/run/zem/driver.reg").find("\"Angle\"=dword:0000010e"),
            std::string::npos);
}

TEST_F(ZemOnX, WithoutAnXServerZemSaysSoOnceAndStillStartsPrograms) {
  const std::string marker = folder + "/started";
  settings(
      {"\"SwipeRightDouble\"=\"/usr/bin/touch," + marker + "\"", "\"ShowOverlay\"=dword:00000000"});
  if (!startZem(swipeRight, ":987")) return;
  EXPECT_TRUE(XTest::waitFor([&] { return std::filesystem::exists(marker); }, 8s))
      << readAll(zemLog());
  EXPECT_EQ(zemSays("X server"), 1u) << readAll(zemLog());
}

TEST_F(ZemOnX, WindowManagerGoneZemSaysSoOnceAndKeysStillArrive) {
  settings({"\"SwipeRightDouble\"=\"right\"", "\"ShowOverlay\"=dword:00000000"});
  session.startApp("a", "Alpha");
  session.stopWindowManager();
  if (!startZem(std::string(swipeRight) + "wait 500\n" + swipeRight)) return;
  EXPECT_TRUE(XTest::waitFor(
      [&] {
        const std::vector<std::string> lines = XTest::readLines(session.logPath("a"));
        return std::count(lines.begin(), lines.end(), keyLine(0xFF53)) == 2;
      },
      8s))
      << readAll(zemLog());
  EXPECT_EQ(zemSays("no window manager"), 1u) << readAll(zemLog());
}

}  // namespace
