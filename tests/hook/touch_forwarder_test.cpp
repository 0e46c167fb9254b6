#include "hook/touch_forwarder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hook_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Message = SimWindows::Message;
using namespace HookTest;

class TouchForwarderTest : public ::testing::Test {
 protected:
  // A loaded library after its process attach, with the log of loading it
  // taken away.
  std::unique_ptr<TouchForwarder> load() {
    auto library = std::make_unique<TouchForwarder>(port, registry);
    library->entryNotification(1);
    port.takeDebugLines();
    return library;
  }

  // Runs the hook and tells whether the sample would reach the system.
  static bool feed(TouchForwarder& library, MultipointSample sample) {
    library.hook(sample);
    return sample.pointCount != 0;
  }

  std::vector<Message> posted() { return windows.takeMessages(zem); }

  SimRegistry registry;
  SimWindows windows;
  SimHookPort port{windows};
  SimWindows::Handle zem = windows.create(L"ZEM", L"ZEM");
};

TEST_F(TouchForwarderTest, WorkedExample) {
  setLockTouch(registry, L"0,0,0,0");
  TouchForwarder library(port, registry);
  EXPECT_TRUE(library.entryNotification(1));
  EXPECT_THAT(port.takeDebugLines(),
              ElementsAre(L"[Quillon] ZEM mode", L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                          L"[Quillon] area 0 0 0 0"));
  EXPECT_EQ(library.targetWindow(), zem);

  EXPECT_FALSE(feed(library, raw(2, 400, 800, 1200, 800)));
  EXPECT_THAT(posted(), ElementsAre(touch(0x00C8812C, 0x00C88064)));
  EXPECT_FALSE(feed(library, raw(2, 400, 800, 1200, 800)));
  EXPECT_THAT(posted(), IsEmpty());
  EXPECT_FALSE(feed(library, two(101, 200, 300, 200)));
  EXPECT_THAT(posted(), ElementsAre(touch(0x00C8812C, 0x00C88065)));
  EXPECT_FALSE(feed(library, none()));
  EXPECT_THAT(posted(), ElementsAre(touchEnd()));
  EXPECT_THAT(port.debugLines(), IsEmpty());
}

TEST_F(TouchForwarderTest, PostsChangesOfPackedPositionOnly) {
  setLockTouch(registry, L"0,0,480,800");
  struct Case {
    const char* what;
    std::vector<MultipointSample> samples;
    std::vector<Message> posted;
  };
  const Case cases[] = {
      {"resting finger; raw 400-403 is one pixel",
       {raw(1, 400, 800), raw(1, 403, 800), raw(1, 401, 800), raw(1, 404, 800), none()},
       {touch(1, 0x00C88064), touch(1, 0x00C88065), touchEnd()}},
      {"second tap at the same pixel",
       {one(100, 200), none(), one(100, 200), none()},
       {touch(1, 0x00C88064), touchEnd(), touchEnd()}},
      // A one-point post keeps the last second word, so the second finger
      // landing again where it lifted is no change of the pair.
      {"two fingers become one",
       {two(100, 200, 300, 200), one(100, 200), one(102, 200), two(102, 200, 300, 200)},
       {touch(0x00C8812C, 0x00C88064), touch(1, 0x00C88066)}},
      {"run of empty samples",
       {none(), one(10, 10), none(), none(), none()},
       {touch(1, 0x000A800A), touchEnd()}},
      {"unknown counts post nothing, the next empty sample ends",
       {one(100, 200), raw(3, 8, 8), raw(0xFFFFFFFF, 8, 8), none(), raw(5), none()},
       {touch(1, 0x00C88064), touchEnd(), touchEnd()}},
      // Each coordinate keeps its low 16 bits; bit 14 of x only from 16384.
      {"full 32-bit range",
       {raw(2, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFC, 0x7FFFFFFF)},
       {touch(0xFFFFFFFF, 0xFFFFFFFF)}},
      {"x of 4096 pixels and more; 65536 pixels apart pack alike",
       {one(4096, 1), one(16384, 1), one(32767, 1), one(5, 7), one(5 + 65536, 7 + 65536)},
       {touch(1, 0x00019000), touch(1, 0x0001C000), touch(1, 0x0001FFFF), touch(1, 0x00078005)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto library = load();
    for (const MultipointSample& s : c.samples) feed(*library, s);
    EXPECT_EQ(posted(), c.posted);
  }
}

TEST_F(TouchForwarderTest, PassesSamplesWhosePointsAreAllStrictlyInside) {
  struct Case {
    const wchar_t* area;
    MultipointSample sample;
    bool passes;
  };
  const Case cases[] = {
      {L"0,0,480,800", one(1, 1), true},
      {L"0,0,480,800", one(479, 799), true},
      {L"0,0,480,800", one(0, 5), false},
      {L"0,0,480,800", one(5, 0), false},
      {L"0,0,480,800", one(480, 5), false},
      {L"0,0,480,800", one(5, 800), false},
      {L"0,0,480,800", raw(1, 3, 400), false},
      {L"0,0,480,800", raw(1, 4, 400), true},
      {L"0,0,480,800", none(), false},
      {L"0,0,480,800", raw(3, 40, 40), false},
      {L"0,0,0,0", one(1, 1), false},
      {L"0,0,0,0", two(1, 1, 2, 2), false},
      {L"0,200,480,400", two(100, 300, 200, 500), true},
      {L"0,200,480,400", two(100, 300, 200, 700), false},
      {L"0,200,480,400", two(100, 100, 200, 500), false},
      {L"-100,-100,2147483647,2147483647", raw(1, 0xFFFFFFFF, 0xFFFFFFFF), true},
  };
  auto library = load();
  for (const Case& c : cases) {
    setLockTouch(registry, c.area);
    library->entryNotification(2);
    const MultipointSample s = c.sample;
    EXPECT_EQ(feed(*library, s), c.passes)
        << "area " << testing::PrintToString(c.area) << " first " << s.firstX << "," << s.firstY;
  }
  // Withheld or not, the main program saw the changes.
  EXPECT_FALSE(posted().empty());
}

TEST_F(TouchForwarderTest, EntryNotificationsLogAndRereadTheAreaOnAttachOnly) {
  setLockTouch(registry, L"0,0,100,100");
  TouchForwarder library(port, registry);
  EXPECT_TRUE(library.entryNotification(1));
  EXPECT_TRUE(feed(library, one(50, 50)));

  setLockTouch(registry, L"100,0,100,100");  // seen only at the next attach
  for (std::uint32_t reason : {3u, 0u, 7u}) EXPECT_TRUE(library.entryNotification(reason));
  EXPECT_TRUE(feed(library, one(50, 50)));
  EXPECT_TRUE(library.entryNotification(2));
  EXPECT_FALSE(feed(library, one(50, 50)));
  EXPECT_TRUE(feed(library, one(150, 50)));

  EXPECT_THAT(port.debugLines(),
              ElementsAre(L"[Quillon] ZEM mode", L"[Quillon] DllMain()", L"[Quillon] Initialize...",
                          L"[Quillon] area 0 0 100 100", L"[Quillon] DllMain()",
                          L"[Quillon] Unload...", L"[Quillon] DllMain()", L"[Quillon] Unload...",
                          L"[Quillon] DllMain()", L"[Quillon] DllMain()",
                          L"[Quillon] Initialize...", L"[Quillon] area 100 0 100 100"));
}

TEST_F(TouchForwarderTest, MissingOrMalformedAreaKeepsWhatScannedAndZeroForTheRest) {
  struct Case {
    const char* what;
    void (*prepare)(SimRegistry&);
    const wchar_t* logged;
  };
  const Case cases[] = {
      {"missing", [](SimRegistry&) {}, L"[Quillon] area 0 0 0 0"},
      {"empty", [](SimRegistry& r) { setLockTouch(r, L""); }, L"[Quillon] area 0 0 0 0"},
      {"unopenable key",
       [](SimRegistry& r) {
         setLockTouch(r, L"0,0,480,800");
         r.faults().open = -1;
       },
       L"[Quillon] area 0 0 0 0"},
      {"partly scanned", [](SimRegistry& r) { setLockTouch(r, L"10,20,300x,40"); },
       L"[Quillon] area 10 20 300 0"},
      {"out of range", [](SimRegistry& r) { setLockTouch(r, L"0,0,99999999999,-99999999999"); },
       L"[Quillon] area 0 0 2147483647 -2147483648"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimRegistry fresh;
    c.prepare(fresh);
    SimHookPort freshPort(windows);
    TouchForwarder library(freshPort, fresh);
    library.entryNotification(1);
    EXPECT_EQ(freshPort.debugLines().back(), c.logged);
    EXPECT_FALSE(feed(library, one(50, 25)));  // every one of these areas is empty
  }
}

TEST_F(TouchForwarderTest, ForegroundWindowModeFiltersButNeverPosts) {
  windows.destroy(zem);
  setLockTouch(registry, L"0,0,480,800");
  TouchForwarder library(port, registry);
  library.entryNotification(1);
  EXPECT_EQ(port.debugLines().front(), L"[Quillon] Foreground window mode");
  EXPECT_EQ(library.targetWindow(), 0u);

  // A main window that appears after loading is not looked for.
  const SimWindows::Handle late = windows.create(L"ZEM", L"ZEM");
  EXPECT_TRUE(feed(library, one(100, 200)));
  EXPECT_FALSE(feed(library, one(0, 200)));
  EXPECT_FALSE(feed(library, none()));
  EXPECT_THAT(windows.messages(late), IsEmpty());
}

TEST_F(TouchForwarderTest, FailedPostIsLoggedAndNotRetried) {
  setLockTouch(registry, L"0,0,480,800");
  auto library = load();
  windows.destroy(zem);  // the main program has ended

  feed(*library, one(100, 200));
  feed(*library, one(100, 200));
  feed(*library, two(100, 200, 300, 200));
  feed(*library, none());
  EXPECT_EQ(library->lastFirstWord(), 0x00C88064u);
  EXPECT_EQ(library->lastSecondWord(), 0x00C8812Cu);
  const std::wstring line =
      L"[Quillon] Msg not sent to " + std::to_wstring(zem) + L",lastError=1400)";
  EXPECT_THAT(port.debugLines(), ElementsAre(line, line, line));
}

}  // namespace
