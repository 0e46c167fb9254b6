// A trace played through the driver's feed(): the lift after a trace that
// ends with a finger down or stops early, a re-arm between two samples, and
// bad trace files. Played in real time on its own thread: every run of zem
// in the X11 tests; the trace's times: TraceTest.
#include "platform/linux/panel/trace_touch_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "recording_hook_port.h"

namespace {

using Post = RecordingHookPort::Post;

class TraceTouchSourceTest : public testing::Test {
 protected:
  TraceTouchSourceTest() {
    setSwitch(registry, 1);
    setArea(registry, L"0,0,480,800");
  }

  SimRegistry registry;
  RecordingHookPort hook;
  LinuxTouchDriver driver{registry, hook, TouchDriverOptions()};
};

TEST_F(TraceTouchSourceTest, AFingerLeftDownOrStoppedMidTouchIsLifted) {
  const struct {
    const char* trace;
    int samples;  // played before play() is stopped
    std::vector<Post> posts;
  } cases[] = {
      {"tap 10,20 for 10 every 10\nwait 5\nsample 1 400 800\n",
       100,
       {touchOne(10, 20), touchEnd(), touchOne(100, 200), touchEnd()}},
      {"stroke 10,10 -> 50,10 in 100\n", 2, {touchOne(10, 10), touchOne(14, 10), touchEnd()}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.trace);
    const Trace::ParseResult parsed = Trace::parseTrace(c.trace);
    ASSERT_TRUE(parsed.errors.empty());
    TraceTouchSource source(driver, parsed.trace);
    int calls = 0;
    source.play([&](std::uint64_t) { return ++calls <= c.samples; });
    EXPECT_EQ(hook.take(), c.posts);
  }
}

// A re-arm (off, then on again) that happens before anyone looks, as while
// the program sleeps through it or between two samples of a trace, still
// loads a fresh forwarder, which reads the new rectangle.
TEST_F(TraceTouchSourceTest, AReArmBetweenTwoSamplesReadsTheRectangleAgain) {
  const auto turn = [&](std::uint32_t on) {
    setSwitch(registry, on);
    driver.driverSwitchChanged();
  };
  MultipointSample inside;
  inside.pointCount = 1;
  inside.firstX = 4 * 100;
  inside.firstY = 4 * 100;
  turn(1);
  ASSERT_TRUE(driver.feed(inside)) << "the whole screen passes";
  setArea(registry, L"0,0,0,0");
  turn(0);
  turn(1);
  EXPECT_FALSE(driver.feed(inside)) << "the re-armed forwarder still had the old rectangle";
}

TEST(TraceTouchSourceLoad, BadFilesAreReportedByLine) {
  const std::string path = testing::TempDir() + "zem_bad_trace.txt";
  std::ofstream(path) << "tap 1,1\nsample 1 2\n";
  Trace::Trace trace;
  std::vector<std::string> problems;
  EXPECT_FALSE(TraceTouchSource::load(path, trace, problems));
  std::remove(path.c_str());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind(path + ":2: ", 0), 0u) << problems[0];
  problems.clear();
  EXPECT_FALSE(TraceTouchSource::load("/nonexistent/trace", trace, problems));
  EXPECT_EQ(problems.size(), 1u);
}

}  // namespace
