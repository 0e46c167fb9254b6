// The hook must not allocate: every global operator new of this program is
// counted, and 10,000 hook calls of every kind must add nothing. A program of
// its own, so that the replacement stays here. The C++ runtime's array forms
// call these.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

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

// One value under one key, kept in a fixed array (UTF-16, no terminator), so
// the port itself allocates nothing on the named calls the attach makes.
class FixedRegistry : public RegistryPort {
 public:
  void store(const std::wstring& text) {
    size_ = static_cast<std::uint32_t>(2 * text.size());
    for (std::size_t i = 0; i < text.size(); ++i) value_[i] = static_cast<char16_t>(text[i]);
  }
  bool openKeyNamed(Registry::Root, const wchar_t* subKey, Registry::KeyHandle& key) override {
    key = 1;
    return std::wcscmp(subKey, TouchDriverRegistry::key) == 0;
  }
  bool queryValueNamed(Registry::KeyHandle, const wchar_t* valueName, Registry::ValueType*,
                       std::uint8_t* data, std::uint32_t& capacity) override {
    const bool fits = data == nullptr || capacity >= size_;
    if (fits && data != nullptr) std::memcpy(data, value_, size_);
    capacity = size_;
    return fits && std::wcscmp(valueName, TouchDriverRegistry::lockTouch) == 0;
  }
  bool openKey(Registry::Root, const std::wstring&, Registry::KeyHandle&) override { return false; }
  bool queryValue(Registry::KeyHandle, const std::wstring&, Registry::ValueType*, std::uint8_t*,
                  std::uint32_t&) override {
    return false;
  }
  bool setValue(Registry::KeyHandle, const std::wstring&, Registry::ValueType, const std::uint8_t*,
                std::uint32_t) override {
    return false;
  }
  void closeKey(Registry::KeyHandle) override {}

 private:
  char16_t value_[512] = {};
  std::uint32_t size_ = 0;
};

// "LockTouch" of every length up to the read limit (260 characters) scans;
// longer ones read as 0,0,0,0, like a missing value. No attach allocates.
TEST(HookAllocationTest, AttachReadsTheAreaOfEveryLengthWithoutAllocating) {
  FixedRegistry registry;
  CountingPort port;
  TouchForwarder library(port, registry);
  for (std::size_t length = 7; length <= 300; ++length) {
    registry.store(std::wstring(length - 7, L' ') + L"1,2,3,4");
    const std::size_t before = allocations.load();
    library.entryNotification(length % 2 == 0 ? 1 : 2);
    EXPECT_EQ(allocations.load() - before, 0u) << length;
    const Geometry::Rect2D area = library.touchArea();
    const double v = length <= 260 ? 1 : 0;
    EXPECT_EQ(std::vector<double>({area.x, area.y, area.width, area.height}),
              std::vector<double>({v, 2 * v, 3 * v, 4 * v}))
        << length;
  }
}

}  // namespace
