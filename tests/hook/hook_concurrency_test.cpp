// The hook keeps filtering on one thread while another thread attaches again
// and again with alternating touch areas: every hook call must decide as one
// whole area would.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "hook_test_support.h"

namespace {

using Geometry::Point2D;
using Geometry::Rect2D;
using namespace HookTest;

bool inside(const Rect2D& r, const Point2D& p) { return Geometry::contains(r, p.x, p.y); }

TEST(HookConcurrencyTest, AttachReplacesTheAreaAsAWholeWhileTheHookRuns) {
  const Rect2D a(0, 0, 400, 500);
  // Points on which A = 0,0,400,500 and B = 200,200,300,400 agree, while every
  // rectangle made of some fields of A and the rest of B decides one of them
  // otherwise.
  const std::vector<Point2D> probes = {{50, 550}, {250, 650}, {350, 450}, {450, 50}, {550, 250}};
  SimRegistry registry;
  SimWindows windows;  // no main window: only the filter acts
  SimHookPort port(windows);
  setLockTouch(registry, L"0,0,400,500");
  TouchForwarder library(port, registry);
  library.entryNotification(1);
  std::atomic<bool> done{false};
  std::atomic<long> wrong{0};
  std::thread driverThread([&] {
    for (std::size_t i = 0; !done.load(); ++i) {
      const Point2D& p = probes[i % probes.size()];
      MultipointSample s = one(static_cast<std::uint32_t>(p.x), static_cast<std::uint32_t>(p.y));
      library.hook(s);
      if ((s.pointCount != 0) != inside(a, p)) wrong.fetch_add(1);
    }
  });
  for (int i = 0; i < 20000; ++i) {
    setLockTouch(registry, i % 2 == 0 ? L"200,200,300,400" : L"0,0,400,500");
    library.entryNotification(2);
  }
  done.store(true);
  driverThread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
