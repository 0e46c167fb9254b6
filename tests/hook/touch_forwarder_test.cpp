#include "hook/touch_forwarder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "hook_test_support.h"

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
  SimWindows::Handle zem = windows.create(L"ZEM", L"ZEM");
  std::unique_ptr<TouchForwarder> library;
};

TEST_F(TouchForwarderTest, WorkedExampleAndTheAreaReadAtEveryAttach) {
  setLockTouch(registry, L"0,0,0,0");
  load();
  EXPECT_FALSE(feed(raw(2, 400, 800, 1200, 800)));
  EXPECT_FALSE(feed(raw(2, 400, 800, 1200, 800)));  // unchanged: no post
  EXPECT_FALSE(feed(two(101, 200, 300, 200)));
  EXPECT_FALSE(feed(none()));
  EXPECT_THAT(windows.takeMessages(zem), ElementsAre(touch(0x00C8812C, 0x00C88064),
                                                     touch(0x00C8812C, 0x00C88065), touchEnd()));

  setLockTouch(registry, L"0,0,100,100");  // seen only at the next attach
  for (std::uint32_t reason : {3u, 0u, 7u}) EXPECT_TRUE(library->entryNotification(reason));
  EXPECT_FALSE(feed(one(50, 50)));
  EXPECT_TRUE(library->entryNotification(2));
  EXPECT_TRUE(feed(one(50, 50)));
  // Malformed: the fields that scanned, out-of-range ones clamped, 0 for the
  // rest. Missing after a good value: all 0, so nothing passes.
  attach(L"99999999999,-99999999999,7x,1");
  registry.deleteValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch);
  library->entryNotification(2);
  EXPECT_FALSE(feed(one(50, 50)));
  EXPECT_THAT(
      port.debugLines(),
      ElementsAre(L"[Quillon] ZEM mode", L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                  L"[Quillon] area 0 0 0 0", L"[Quillon] DllMain()", L"[Quillon] Unload...",
                  L"[Quillon] DllMain()", L"[Quillon] Unload...", L"[Quillon] DllMain()",
                  L"[Quillon] DllMain()", L"[Quillon] Initialize...", L"[Quillon] area 0 0 100 100",
                  L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                  L"[Quillon] area 2147483647 -2147483648 7 0", L"[Quillon] DllMain()",
                  L"[Quillon] Initialize...", L"[Quillon] area 0 0 0 0"));
}

TEST_F(TouchForwarderTest, PostsChangesOfPackedPositionOnly) {
  setLockTouch(registry, L"0,0,480,800");
  // A finger rests (raw 400-403 is one pixel) and moves; a run of empty
  // samples ends the touch once; a second tap at the same pixel posts only
  // its end.
  EXPECT_THAT(run({none(), raw(1, 400, 800), raw(1, 403, 800), raw(1, 401, 800), raw(1, 404, 800),
                   none(), none(), one(101, 200), none()}),
              ElementsAre(touch(1, 0x00C88064), touch(1, 0x00C88065), touchEnd(), touchEnd()));
  // Two fingers become one. A one-point post keeps the last second word, so
  // the second finger landing again where it lifted is no change.
  EXPECT_THAT(run({two(100, 200, 300, 200), one(100, 200), one(102, 200), two(102, 200, 300, 200)}),
              ElementsAre(touch(0x00C8812C, 0x00C88064), touch(1, 0x00C88066)));
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

// The main window goes away: posts fail, are logged and not retried, and the
// last words still move on. A library loaded after that only filters.
TEST_F(TouchForwarderTest, WithoutTheMainWindowOnlyTheFilterActs) {
  setLockTouch(registry, L"0,0,480,800");
  load();
  port.takeDebugLines();
  windows.destroy(zem);
  for (const auto& s : {one(100, 200), one(100, 200), two(100, 200, 300, 200), none()}) feed(s);
  EXPECT_EQ(library->lastSecondWord(), 0x00C8812Cu);
  const std::wstring line =
      L"[Quillon] Msg not sent to " + std::to_wstring(zem) + L",lastError=1400)";
  EXPECT_THAT(port.takeDebugLines(), ElementsAre(line, line, line));

  load();
  const SimWindows::Handle late = windows.create(L"ZEM", L"ZEM");  // not looked for
  EXPECT_TRUE(feed(one(100, 200)));
  EXPECT_FALSE(feed(one(0, 200)));
  EXPECT_FALSE(feed(none()));
  EXPECT_TRUE(windows.messages(late).empty());
  EXPECT_THAT(port.debugLines(),  // and no attempt to post
              ElementsAre(L"[Quillon] Foreground window mode", L"[Quillon] DllMain()",
                          L"[Quillon] Initialize...", L"[Quillon] area 0 0 480 800"));
}

}  // namespace
