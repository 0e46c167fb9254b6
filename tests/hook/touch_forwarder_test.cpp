// The hook's departures from posting only changed packed words, on the
// simulated phone. The filter, the packed words and the posts of every
// sample are checked against a plain model on every input by
// fuzz/hook_fuzzer.cpp; what the library posts under the real loader is in
// tests/win32/quillon_dll_test.cpp.
#include "hook/touch_forwarder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hook_test_support.h"
#include "platform/sim/sim_context.h"
#include "ports/main_window.h"

namespace {

using Message = SimWindows::Message;
using namespace HookTest;

constexpr std::uint32_t a = 0x00C88064;  // (100, 200)
constexpr std::uint32_t b = 0x00C8812C;  // (300, 200)

class TouchForwarderTest : public ::testing::Test {
 protected:
  TouchForwarderTest() { setLockTouch(registry, L"0,0,480,800"); }
  // A freshly loaded library after its process attach.
  void load() {
    library = std::make_unique<TouchForwarder>(port, registry);
    library->entryNotification(1);
  }
  // Runs the hook; tells whether the sample would reach the system.
  bool feed(MultipointSample sample) {
    library->hook(sample);
    return sample.pointCount != 0;
  }

  SimContext phone;
  SimRegistry registry;
  SimWindows windows{phone, nullptr};
  SimHookPort port{windows};
  SimWindows::Handle zem = windows.create(MainWindow::className, MainWindow::title);
  std::unique_ptr<TouchForwarder> library;
};

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
  setLockTouch(registry, L"99999999999,-99999999999,7x,1");
  library->entryNotification(2);
  const Geometry::Rect2D r = library->touchArea();
  EXPECT_EQ(std::vector<double>({r.x, r.y, r.width, r.height}),
            std::vector<double>({2147483647.0, -2147483648.0, 7, 0}));
  registry.deleteValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch);
  library->entryNotification(2);
  EXPECT_FALSE(feed(one(50, 50)));
}

// The program learns of a new touch and of a changed finger count even when
// no packed word changes: a game-pad key is released when its finger lifts
// while the other thumb rests, and pressed again by a second tap on the
// same pixel. Posts that fail while the window exists (a full queue): a lost
// move is not tried again; a lost touch end is tried once, at the first
// sample of the next touch and before its first move, so the two touches
// stay apart.
TEST_F(TouchForwarderTest, PostsNewsWithUnchangedWordsAndRetriesALostTouchEndOnce) {
  struct Case {
    const char* what;
    std::vector<MultipointSample> samples;
    std::vector<Message> posted;
    int failing = 0;  // posts that fail from sample `failingFrom` on
    std::size_t failingFrom = 1;
  };
  const Case cases[] = {
      {"second tap on the same pixel",
       {one(100, 200), none(), one(100, 200), one(100, 200), none()},
       {touch(1, a), touchEnd(), touch(1, a), touchEnd()}},
      {"two fingers become one, then two again where they were",
       {two(100, 200, 300, 200), one(100, 200), one(100, 200), two(100, 200, 300, 200),
        two(100, 200, 300, 200)},
       {touch(b, a), touch(1, a), touch(b, a)}},
      {"unknown counts are not a finger count",
       {one(100, 200), raw(3, 8, 8), one(100, 200), raw(7), one(100, 200)},
       {touch(1, a)}},
      {"the end is lost at the lift; the empty samples that follow do not retry, the next "
       "touch's first sample does, before its move",
       {one(100, 200), none(), none(), none(), one(101, 200), none()},
       {touch(1, a), touchEnd(), touch(1, a + 1), touchEnd()},
       1},
      {"the end and its retry are lost: no more tries inside the next touch (an end there "
       "would cut it in two)",
       {one(100, 200), none(), one(100, 200), one(101, 200), one(102, 200), none()},
       {touch(1, a), touch(1, a + 1), touch(1, a + 2), touchEnd()},
       2},
      {"a lost move is not retried",
       {one(100, 200), one(100, 200), one(101, 200), none()},
       {touch(1, a + 1), touchEnd()},
       1,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    load();
    for (std::size_t i = 0; i < c.samples.size(); ++i) {
      if (i == c.failingFrom) phone.faults.post = c.failing;
      feed(c.samples[i]);
    }
    EXPECT_EQ(windows.takeMessages(zem), c.posted);
  }
}

// The main window goes away: the first post that fails is logged and the
// library posts nothing more while it stays loaded (its target never comes
// back); the filter goes on.
TEST_F(TouchForwarderTest, WithoutTheMainWindowOnlyTheFilterActs) {
  for (const bool atTheEnd : {false, true}) {
    SCOPED_TRACE(atTheEnd ? "the touch end is the first post to fail" : "a move is");
    load();
    port.takeDebugLines();
    if (atTheEnd) feed(one(100, 200));
    windows.destroy(zem);
    if (atTheEnd) feed(none());
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(feed(one(100, 200)));
    EXPECT_FALSE(feed(one(0, 200)));
    for (const auto& s : {none(), two(100, 200, 300, 200), none(), one(101, 200), none()}) feed(s);
    EXPECT_EQ(port.takeDebugLines(),
              std::vector<std::wstring>{L"[Quillon] Msg not sent to " + std::to_wstring(zem) +
                                        L",lastError=1400)"});
    zem = windows.create(MainWindow::className, MainWindow::title);
  }
}

}  // namespace
