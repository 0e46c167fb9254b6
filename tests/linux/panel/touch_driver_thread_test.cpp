// The reader thread's life without a panel (this machine has none): it waits
// for one, follows the driver switch meanwhile, refuses feed() while it runs
// and stops promptly.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/linux/panel/touch_driver.h"
#include "recording_hook_port.h"

namespace {

// Debug lines come from the reader thread.
class LinePort : public RecordingHookPort {
 public:
  void debugOutput(const wchar_t* text) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(text);
    changed_.notify_all();
  }
  // Waits (at most 10 s) for a line containing `part`, seen `times` times.
  bool waitFor(const std::wstring& part, int times = 1) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] {
      int seen = 0;
      for (const std::wstring& line : lines_) seen += line.find(part) != std::wstring::npos ? 1 : 0;
      return seen >= times;
    });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::wstring> lines_;
};

TEST(LinuxTouchDriverThread, WaitsForAPanelAndFollowsTheSwitch) {
  SimRegistry registry;
  LinePort hook;
  TouchDriverOptions options;
  options.devicePath = "/nonexistent/event99";  // never a real panel of the machine
  LinuxTouchDriver driver(registry, hook, options);
  ASSERT_TRUE(driver.start());
  EXPECT_TRUE(hook.waitFor(L"waiting for a touchscreen"));
  EXPECT_FALSE(driver.feed(MultipointSample()));

  // The switch is read while no panel is there: the forwarder is loaded,
  // and unloaded again.
  setSwitch(registry, 1);
  driver.driverSwitchChanged();
  EXPECT_TRUE(hook.waitFor(L"[Quillon] ZEM mode"));
  setSwitch(registry, 0);
  driver.driverSwitchChanged();
  EXPECT_TRUE(hook.waitFor(L"[Quillon] Unload..."));

  const auto before = std::chrono::steady_clock::now();
  driver.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  // Stopped, it takes samples again; and it starts again.
  EXPECT_TRUE(driver.feed(MultipointSample()));
  ASSERT_TRUE(driver.start());
  EXPECT_TRUE(hook.waitFor(L"waiting for a touchscreen", 2));
}

// A re-arm (off, then on again) that happens before anyone looks, as while
// the program sleeps through it or between two samples of a trace, still
// loads a fresh forwarder, which reads the new rectangle.
TEST(LinuxTouchDriverThread, AReArmBetweenTwoSamplesReadsTheRectangleAgain) {
  SimRegistry registry;
  LinePort hook;
  LinuxTouchDriver driver(registry, hook, TouchDriverOptions());
  const auto turn = [&](std::uint32_t on) {
    setSwitch(registry, on);
    driver.driverSwitchChanged();
  };
  MultipointSample inside;
  inside.pointCount = 1;
  inside.firstX = 4 * 100;
  inside.firstY = 4 * 100;

  setArea(registry, L"0,0,480,800");
  turn(1);
  ASSERT_TRUE(driver.feed(inside)) << "the whole screen passes";

  setArea(registry, L"0,0,0,0");
  turn(0);
  turn(1);
  EXPECT_FALSE(driver.feed(inside)) << "the re-armed forwarder still had the old rectangle";
}

}  // namespace
