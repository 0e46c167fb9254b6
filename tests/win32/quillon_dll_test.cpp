// Quillon.dll as the touch driver uses it, under the real Windows API: loaded
// while the main window exists, it finds the window, reads "LockTouch" at
// every attach, withholds samples outside the area and posts to the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "hook/multipoint_sample.h"
#include "platform/win32/win32_registry.h"
#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"
#include "registry/registry_store.h"

namespace {

using HookFunction = void (*)(MultipointSample*);

bool setLockTouch(const std::wstring& text) {
  Win32Registry port;
  return RegistryStore(port).WriteString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                                         TouchDriverRegistry::lockTouch, text);
}

// Runs one sample through the hook; returns the count it leaves.
std::uint32_t feed(HookFunction hook, MultipointSample s) {
  hook(&s);
  return s.pointCount;
}

TEST(QuillonDllTest, FiltersPostsAndRereadsTheAreaForNewThreads) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = MainWindow::className;
  ASSERT_NE(RegisterClassW(&wc), 0);
  const HWND window =
      CreateWindowExW(0, MainWindow::className, MainWindow::title, WS_OVERLAPPEDWINDOW, 0, 0, 10,
                      10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr) << "CreateWindowExW failed: " << GetLastError();
  ASSERT_TRUE(setLockTouch(L"0,0,480,800"));
  const HMODULE library = LoadLibraryW(QUILLON_DLL);
  ASSERT_NE(library, nullptr) << "LoadLibraryW failed: " << GetLastError();
  const auto hook = reinterpret_cast<HookFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "gMultipointHook")));
  ASSERT_NE(hook, nullptr);

  EXPECT_EQ(feed(hook, {2, 400, 800, {0, 0}, 1200, 800, 0}), 2u);
  EXPECT_EQ(feed(hook, {2, 400, 800, {0, 0}, 1200, 800, 0}), 2u);  // unchanged: no post
  EXPECT_EQ(feed(hook, {1, 0, 800, {0, 0}, 0, 0, 0}), 0u);         // on the border
  EXPECT_EQ(feed(hook, {}), 0u);
  hook(nullptr);  // ignored
  std::vector<std::tuple<UINT, WPARAM, std::uint32_t>> posted;
  MSG msg;
  while (PeekMessageW(&msg, window, WM_APP_TOUCH, WM_APP_TOUCH_END, PM_REMOVE) != 0) {
    posted.emplace_back(msg.message, msg.wParam, static_cast<std::uint32_t>(msg.lParam));
  }
  EXPECT_EQ(posted, (decltype(posted){{WM_APP_TOUCH, 0x00C8812C, 0x00C88064},
                                      {WM_APP_TOUCH, 1, 0x00C88000},
                                      {WM_APP_TOUCH_END, 1, 0}}));

  // A new value counts from the next attach: a thread the process starts.
  ASSERT_TRUE(setLockTouch(L"0,0,0,0"));
  EXPECT_EQ(feed(hook, {1, 1600, 1600, {0, 0}, 0, 0, 0}), 1u);
  std::thread([] {}).join();
  EXPECT_EQ(feed(hook, {1, 1600, 1600, {0, 0}, 0, 0, 0}), 0u);

  // "LockTouch" goes through a fixed buffer: 260 characters are read whole,
  // a longer value reads as 0,0,0,0.
  const std::wstring whole = L"0,0,480,800";
  for (const std::size_t length : {260u, 261u}) {
    ASSERT_TRUE(setLockTouch(std::wstring(length - whole.size(), L' ') + whole));
    std::thread([] {}).join();
    EXPECT_EQ(feed(hook, {1, 1600, 1600, {0, 0}, 0, 0, 0}), length == 260 ? 1u : 0u) << length;
  }

  FreeLibrary(library);
  DestroyWindow(window);
  setLockTouch(L"0,0,480,800");
}

}  // namespace
