#include "hook/touch_forwarder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "hook_test_support.h"
#include "ports/main_window.h"

namespace {

using ::testing::ElementsAre;
using Message = SimWindows::Message;
using namespace HookTest;

class TouchForwarderTest : public ::testing::Test {
 protected:
  // A freshly loaded library after its process attach.
  void load() {
    library = std::make_unique<TouchForwarder>(port, registry);
    library->entryNotification(1);
  }
  void attach(const wchar_t* area) {
    setLockTouch(registry, area);
    library->entryNotification(2);
  }
  // A fresh library fed the samples; returns what it posted.
  std::vector<Message> run(std::initializer_list<MultipointSample> samples) {
    load();
    for (const MultipointSample& s : samples) feed(s);
    return windows.takeMessages(zem);
  }
  // Runs the hook; tells whether the sample would reach the system.
  bool feed(MultipointSample sample) {
    library->hook(sample);
    return sample.pointCount != 0;
  }

  SimRegistry registry;
  SimWindows windows;
  SimHookPort port{windows};
  SimWindows::Handle zem = windows.create(MainWindow::className, MainWindow::title);
  std::unique_ptr<TouchForwarder> library;
};

// (What the library posts under the real loader: tests/win32/quillon_dll_test.cpp.)
TEST_F(TouchForwarderTest, TheAreaIsReadAtEveryAttachAndMalformedValuesClamp) {
  setLockTouch(registry, L"0,0,0,0");
  load();
  setLockTouch(registry, L"0,0,100,100");  // seen only at the next attach
  for (std::uint32_t reason : {3u, 0u, 7u}) EXPECT_TRUE(library->entryNotification(reason));
  EXPECT_FALSE(feed(one(50, 50)));
  EXPECT_TRUE(library->entryNotification(2));
  EXPECT_TRUE(feed(one(50, 50)));
  // Malformed: the fields that scanned, out-of-range ones clamped, 0 for the
  // rest. Missing after a good value: all 0, so nothing passes.
  attach(L"99999999999,-99999999999,7x,1");
  const Geometry::Rect2D a = library->touchArea();
  EXPECT_EQ(std::vector<double>({a.x, a.y, a.width, a.height}),
            std::vector<double>({2147483647.0, -2147483648.0, 7, 0}));
  registry.deleteValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch);
  library->entryNotification(2);
  EXPECT_FALSE(feed(one(50, 50)));
}

TEST_F(TouchForwarderTest, PostsChangesOfPackedPositionOnly) {
  setLockTouch(registry, L"0,0,480,800");
  // A finger rests (raw 400-403 is one pixel) and moves; a run of empty
  // samples ends the touch once.
  EXPECT_THAT(run({none(), raw(1, 400, 800), raw(1, 403, 800), raw(1, 401, 800), raw(1, 404, 800),
                   raw(1, 407, 800), none(), none(), none()}),
              ElementsAre(touch(1, 0x00C88064), touch(1, 0x00C88065), touchEnd()));
  // Unknown counts post nothing; the next empty sample ends the touch.
  EXPECT_THAT(run({one(100, 200), raw(3, 8, 8), raw(0xFFFFFFFF, 8, 8), none(), raw(5), none()}),
              ElementsAre(touch(1, 0x00C88064), touchEnd(), touchEnd()));
  // The full 32-bit range: each coordinate keeps its low 16 bits, so 65536
  // pixels apart pack alike; bit 14 of x is set only from 16384.
  EXPECT_THAT(run({one(4096, 1), one(16384, 1), one(5, 7), one(5 + 65536, 7 + 65536),
                   raw(2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFC, 0x7FFFFFFF)}),
              ElementsAre(touch(1, 0x00019000), touch(1, 0x0001C000), touch(1, 0x00078005),
                          touch(0xFFFFFFFF, 0xFFFFFFFF)));
}

// The program learns of a new touch and of a changed finger count even when
// no packed word changes: a game-pad key is released when its finger lifts
// while the other thumb rests, and pressed again by a second tap on the
// same pixel.
TEST_F(TouchForwarderTest, NewTouchesAndChangedFingerCountsArePostedWithUnchangedWords) {
  setLockTouch(registry, L"0,0,480,800");
  const std::uint32_t a = 0x00C88064;  // (100, 200)
  const std::uint32_t b = 0x00C8812C;  // (300, 200)
  struct Case {
    const char* what;
    std::vector<MultipointSample> samples;
    std::vector<Message> posted;
  };
  const Case cases[] = {
      {"second tap on the same pixel",
       {one(100, 200), none(), one(100, 200), one(100, 200), none()},
       {touch(1, a), touchEnd(), touch(1, a), touchEnd()}},
      {"two fingers become one, then two again where they were",
       {two(100, 200, 300, 200), one(100, 200), one(100, 200), two(100, 200, 300, 200),
        two(100, 200, 300, 200)},
       {touch(b, a), touch(1, a), touch(b, a)}},
      {"a second two-finger touch in the same place",
       {two(100, 200, 300, 200), none(), two(100, 200, 300, 200)},
       {touch(b, a), touchEnd(), touch(b, a)}},
      {"unknown counts are not a finger count",
       {one(100, 200), raw(3, 8, 8), one(100, 200), raw(7), one(100, 200)},
       {touch(1, a)}},
      {"a touch that begins with an unknown count", {raw(3, 8, 8), one(100, 200)}, {touch(1, a)}},
  };
  for (const Case& c : cases) {
    load();
    for (const MultipointSample& s : c.samples) feed(s);
    EXPECT_EQ(windows.takeMessages(zem), c.posted) << c.what;
  }
}

TEST_F(TouchForwarderTest, PassesSamplesWhosePointsAreAllStrictlyInside) {
  load();
  attach(L"0,0,480,800");  // raw 0-3 is pixel 0, on the border; 4-7 is pixel 1
  for (const auto& s : {raw(1, 4, 4), one(479, 799)})
    EXPECT_TRUE(feed(s)) << s.firstX << "," << s.firstY;
  for (const auto& s :
       {raw(1, 3, 4), raw(1, 4, 3), one(480, 5), one(5, 800), none(), raw(3, 4, 4)}) {
    EXPECT_FALSE(feed(s)) << s.firstX << "," << s.firstY;
  }
  attach(L"0,200,480,400");
  EXPECT_TRUE(feed(two(100, 300, 200, 500)));
  EXPECT_FALSE(feed(two(100, 300, 200, 700)));
  EXPECT_FALSE(feed(two(100, 100, 200, 500)));
  attach(L"-100,-100,2147483647,2147483647");
  EXPECT_TRUE(feed(raw(1, 0xFFFFFFFF, 0xFFFFFFFF)));
}

// The main window goes away: the first post that fails is logged and the
// library posts nothing more while it stays loaded (its target never comes
// back). A library loaded after that only filters.
TEST_F(TouchForwarderTest, WithoutTheMainWindowOnlyTheFilterActs) {
  setLockTouch(registry, L"0,0,480,800");
  load();
  port.takeDebugLines();
  windows.destroy(zem);
  // A finger rests, lifts, and two more touches come.
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(feed(one(100, 200)));
  for (const auto& s : {none(), two(100, 200, 300, 200), none(), one(101, 200), none()}) feed(s);
  EXPECT_EQ(port.debugLines().size(), 1u);
  EXPECT_EQ(port.debugLines().front(),
            L"[Quillon] Msg not sent to " + std::to_wstring(zem) + L",lastError=1400)");

  zem = windows.create(MainWindow::className, MainWindow::title);
  load();
  port.takeDebugLines();
  windows.destroy(zem);
  EXPECT_FALSE(feed(one(0, 200)));
  feed(none());  // the touch end is the first post to fail
  for (int i = 0; i < 20; ++i) feed(one(100, 200));
  EXPECT_EQ(port.takeDebugLines().size(), 1u);

  load();
  const SimWindows::Handle late =
      windows.create(MainWindow::className, MainWindow::title);  // not looked for
  EXPECT_TRUE(feed(one(100, 200)));
  EXPECT_FALSE(feed(one(0, 200)));
  EXPECT_FALSE(feed(none()));
  EXPECT_TRUE(windows.messages(late).empty());
  EXPECT_THAT(port.debugLines(),  // and no attempt to post
              ElementsAre(L"[Quillon] Foreground window mode", L"[Quillon] DllMain()",
                          L"[Quillon] Initialize...", L"[Quillon] area 0 0 480 800"));
}

// Posts that fail while the window exists (a full queue): a lost move is not
// tried again; a lost touch end is tried once, at the first sample of the
// next touch and before its first move, so the two touches stay apart.
class LostPostTest : public ::testing::Test {
 protected:
  // Posts succeed unless the next entry of `failures` says otherwise (an
  // error code; 0 = success).
  class ScriptedPort : public HookPort {
   public:
    WindowHandle findWindow(const wchar_t*, const wchar_t*) override { return 0x4D; }
    bool postMessage(WindowHandle, std::uint32_t message, WParam wParam, LParam lParam) override {
      error = next < failures.size() ? failures[next++] : 0;
      if (error == 0) posted.push_back({message, wParam, lParam});
      return error == 0;
    }
    std::uint32_t lastError() override { return error; }
    void debugOutput(const wchar_t*) override {}

    std::vector<std::uint32_t> failures;
    std::size_t next = 0;
    std::uint32_t error = 0;
    std::vector<Message> posted;
  };

  static constexpr std::uint32_t ok = 0;
  static constexpr std::uint32_t full = 1816;  // ERROR_NOT_ENOUGH_QUOTA
  SimRegistry registry;
};

TEST_F(LostPostTest, ALostTouchEndIsRetriedOnceBeforeTheNextTouchAndALostMoveNever) {
  const std::uint32_t a = 0x00C88064;  // (100, 200)
  const std::uint32_t b = 0x00C88065;  // (101, 200)
  struct Case {
    const char* what;
    std::vector<std::uint32_t> failures;
    std::vector<MultipointSample> samples;
    std::vector<Message> posted;
  };
  const Case cases[] = {
      {"the end is lost at the lift; the empty samples that follow do not retry, the next "
       "touch's first sample does, before its move",
       {ok, full},
       {one(100, 200), none(), none(), none(), one(101, 200), none()},
       {touch(1, a), touchEnd(), touch(1, b), touchEnd()}},
      {"the end and its retry are lost: no more tries inside the next touch (an end there "
       "would cut it in two)",
       {ok, full, full},
       {one(100, 200), none(), one(100, 200), one(101, 200), one(102, 200), none()},
       {touch(1, a), touch(1, b), touch(1, 0x00C88066), touchEnd()}},
      {"a lost move is not retried",
       {full},
       {one(100, 200), one(100, 200), one(101, 200), none()},
       {touch(1, b), touchEnd()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedPort port;
    port.failures = c.failures;
    TouchForwarder library(port, registry);
    library.entryNotification(1);
    for (MultipointSample s : c.samples) library.hook(s);
    EXPECT_EQ(port.posted, c.posted);
  }
}

}  // namespace
