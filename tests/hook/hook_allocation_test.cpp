// The hook must not allocate: every global operator new of this program is
// counted, and 10,000 hook calls of every kind must add nothing. A program of
// its own, so that the replacement stays here. The C++ runtime's array forms
// call these.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "hook_test_support.h"

static std::atomic<std::size_t> allocations{0};

void* operator new(std::size_t size) {
  allocations.fetch_add(1);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace HookTest;

// Finds a window; posts fail during every other thousand calls, which logs.
class CountingPort : public HookPort {
 public:
  WindowHandle findWindow(const wchar_t*, const wchar_t*) override { return 0x1234; }
  bool postMessage(WindowHandle, std::uint32_t, WParam, LParam) override {
    return ++posts % 2000 < 1000;
  }
  std::uint32_t lastError() override { return 1816; }  // a full queue: posting goes on
  void debugOutput(const wchar_t*) override { ++lines; }
  long posts = 0;
  long lines = 0;
};

TEST(HookAllocationTest, HookCallsAllocateNothing) {
  SimRegistry registry;
  setLockTouch(registry, L"0,0,480,800");
  CountingPort port;
  TouchForwarder library(port, registry);
  library.entryNotification(1);
  ASSERT_GT(allocations.load(), 0u) << "the counting operator new is not in use";
  const std::size_t before = allocations.load();
  const long linesBefore = port.lines;
  for (std::uint32_t i = 0; i < 10000; ++i) {
    const std::uint32_t x = i % 400 + 10;
    MultipointSample samples[] = {one(x, 100), one(x + 1, 100), two(x, 100, 300, 900), raw(7, i, i),
                                  none()};
    library.hook(samples[i % 5]);
  }
  EXPECT_EQ(allocations.load() - before, 0u);
  EXPECT_GT(port.posts, 5000);
  EXPECT_GT(port.lines, linesBefore);
}

}  // namespace
