// The main program's Win32 ports against the real Windows API.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"
#include "registry/registry_store.h"

namespace {

constexpr std::uint32_t answeringMessage = WM_APP + 1;  // answered with 42 + wParam
constexpr std::uint32_t throwingMessage = WM_APP + 2;   // the handler throws
constexpr std::uint32_t notified = 0x400;

// Notes whether WM_CREATE came; answers answeringMessage with 42 + wParam.
class RecordingHandler : public MessageHandler {
 public:
  LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                        LParam lParam) override {
    created = created || message == WM_CREATE;
    if (message == answeringMessage) return 42 + static_cast<LResult>(wParam);
    if (message == throwingMessage) throw std::runtime_error("handler failed");
    return DefWindowProcW(reinterpret_cast<HWND>(window), message, wParam, lParam);
  }
  bool created = false;
};

// A class's messages reach its handler from WM_CREATE on; a handler's
// exception reaches the caller and the window works on. (ZEM.exe's own
// windows and loop run in the end-to-end groups.)
TEST(Win32WindowsTest, RoutesTheClassToItsHandlerAndPassesExceptionsOn) {
  Win32Windows windows;
  RecordingHandler a;
  ASSERT_TRUE(windows.registerClass({3, L"ZemRoutingA", 0, false, 0}, a));
  EXPECT_FALSE(windows.registerClass({3, L"ZemRoutingA", 0, false, 0}, a));
  WindowSpec spec;
  spec.className = L"ZemRoutingA";
  const WindowHandle first = windows.createWindow(spec);
  ASSERT_NE(first, 0u);
  EXPECT_TRUE(a.created);
  EXPECT_THROW(windows.sendMessage(first, throwingMessage, 0, 0), std::runtime_error);
  EXPECT_EQ(windows.sendMessage(first, answeringMessage, 1, 0), 43);
  std::vector<WindowHandle> visited;
  EXPECT_TRUE(windows.enumerateWindows([&](WindowHandle w) {
    visited.push_back(w);
    return w != first;  // stopping is no failure
  }));
  EXPECT_EQ(visited.back(), first);
  EXPECT_TRUE(windows.destroyWindow(first));
}

// Bringing another program's window forward must not wait for its thread:
// a hung program would stop ZEM's only thread. The window here is minimised
// (so that it is also restored) and its thread answers nothing.
TEST(Win32WindowsTest, ActivatingAWindowOfAHungThreadDoesNotWait) {
  const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND hung = nullptr;
  std::thread owner([&] {
    hung = CreateWindowExW(0, L"STATIC", L"Hung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                           nullptr, nullptr, nullptr, nullptr);
    ShowWindow(hung, SW_MINIMIZE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
    SetEvent(ready);
    WaitForSingleObject(release, INFINITE);  // hung: no message is handled
    const ULONGLONG end = GetTickCount64() + 1000;
    while (GetTickCount64() < end) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
      Sleep(10);
    }
    DestroyWindow(hung);
  });
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  ASSERT_NE(hung, nullptr);

  Win32Windows windows;
  std::thread caller([&] {
    windows.setForegroundWindow(reinterpret_cast<WindowHandle>(hung));
    windows.activateWindow(reinterpret_cast<WindowHandle>(hung));
    SetEvent(done);
  });
  const DWORD waited = WaitForSingleObject(done, 5000);
  SetEvent(release);  // a blocked call returns once the thread answers
  caller.join();
  owner.join();
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "still waiting for the hung window after 5 s";
  for (const HANDLE h : {ready, release, done}) CloseHandle(h);
}

// The lParam of the next notification posted to the window; -1 when none
// comes in time.
LParam nextNotification(HWND window, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  MSG msg;
  while (PeekMessageW(&msg, window, notified, notified, PM_REMOVE) == FALSE) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_POSTMESSAGE);
  }
  return msg.lParam;
}

TEST(Win32ShellTest, NotifiesOnlyWhenTheWatchedValueItselfChanges) {
  const Registry::Root root = Registry::currentUser;
  const std::wstring key = L"Software\\ZEM-tests\\Notify";
  Win32Registry registry;
  RegistryStore store(registry);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  ASSERT_TRUE(store.WriteDword(root, key, L"Other", 0));

  const HWND hwnd =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  const auto window = reinterpret_cast<WindowHandle>(hwnd);
  {
    Win32Shell shell;
    ASSERT_TRUE(shell.notifyRegistryChange(root, key, L"Watched", window, notified, 9));
    ASSERT_TRUE(shell.notifyRegistryChange(root, key, L"Other", window, notified, 5));

    ASSERT_TRUE(store.WriteDword(root, key, L"Watched", 1));  // created
    EXPECT_EQ(nextNotification(hwnd, 5000), 9);
    ASSERT_TRUE(store.WriteString(root, key, L"Other", L"x"));  // type and bytes
    EXPECT_EQ(nextNotification(hwnd, 5000), 5);
    ASSERT_TRUE(store.WriteDword(root, key, L"Watched", 1));  // the same again
    ASSERT_TRUE(store.WriteString(root, key, L"Other", L"y"));
    EXPECT_EQ(nextNotification(hwnd, 5000), 5);
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Watched"), 0);
    EXPECT_EQ(nextNotification(hwnd, 5000), 9);
    EXPECT_EQ(nextNotification(hwnd, 500), -1);  // nothing else
  }
  DestroyWindow(hwnd);
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

TEST(Win32ShellTest, FailsQuietlyAndReadsTheTouchKeyboardWindow) {
  Win32Shell shell;
  EXPECT_FALSE(shell.execute({L"open", L"C:\\no\\such\\program.exe", L"", 5}));
  EXPECT_FALSE(shell.execute({L"open", L"", L"", 5}));

  SipInfo info;
  EXPECT_FALSE(shell.querySip(info));  // the size field is not set
  info.size = sizeof info;
  info.flags = 7;
  ASSERT_TRUE(shell.querySip(info));
  EXPECT_EQ(info.flags, 0u);

  WNDCLASSW keyboardClass{};
  keyboardClass.lpfnWndProc = DefWindowProcW;
  keyboardClass.hInstance = GetModuleHandleW(nullptr);
  keyboardClass.lpszClassName = L"IPTip_Main_Window";
  ASSERT_NE(RegisterClassW(&keyboardClass), 0);
  const HWND keyboard = CreateWindowExW(0, L"IPTip_Main_Window", L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                        10, 10, nullptr, nullptr, keyboardClass.hInstance, nullptr);
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(shell.querySip(info));
  EXPECT_EQ(info.flags, 1u);
  EnableWindow(keyboard, FALSE);  // how the touch keyboard waits, hidden
  ASSERT_TRUE(shell.querySip(info));
  EXPECT_EQ(info.flags, 0u);
  DestroyWindow(keyboard);
}

}  // namespace
