// A trace played through the driver's feed(): its timing, the lift after a
// trace that ends with a finger down, stopping early, and bad trace files.
// Played in real time on its own thread: every run of zem in the X11 tests.
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

  Trace::Trace trace(const char* text) {
    const Trace::ParseResult parsed = Trace::parseTrace(text);
    EXPECT_TRUE(parsed.errors.empty());
    return parsed.trace;
  }

  SimRegistry registry;
  RecordingHookPort hook;
  LinuxTouchDriver driver{registry, hook, TouchDriverOptions()};
};

// The trace's times: TraceTest.TimelineLinesBecomeTimedSamplesInQuarterPixels.
TEST_F(TraceTouchSourceTest, LiftsAFingerLeftDown) {
  TraceTouchSource source(driver, trace("tap 10,20 for 10 every 10\nwait 5\nsample 1 400 800\n"));
  source.play([](std::uint64_t) { return true; });
  EXPECT_TRUE(source.finished());
  EXPECT_EQ(hook.take(),
            (std::vector<Post>{touchOne(10, 20), touchEnd(), touchOne(100, 200), touchEnd()}));
}

TEST_F(TraceTouchSourceTest, StoppingMidTouchStillLifts) {
  TraceTouchSource source(driver, trace("stroke 10,10 -> 50,10 in 100\n"));
  int calls = 0;
  source.play([&](std::uint64_t) { return ++calls <= 2; });
  EXPECT_EQ(hook.take(), (std::vector<Post>{touchOne(10, 10), touchOne(14, 10), touchEnd()}));
}

TEST(TraceTouchSourceLoad, BadFilesAreReportedByLine) {
  const std::string path = testing::TempDir() + "zem_bad_trace.txt";
  {
    std::ofstream out(path);
    out << "tap 1,1\nsample 1 2\n";
  }
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
