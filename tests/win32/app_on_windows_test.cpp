// The application object and its task manager over the Win32 ports, against
// other running programs: long program paths, a desktop's many processes,
// and the main window's end.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "app/gesture_app.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_debug.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_leds.h"
#include "platform/win32/win32_overlay_device.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"
#include "tasks/task_manager.h"

namespace {

constexpr DWORD patienceMs = 60000;  // Wine may take a while to start a program

std::wstring lowerCased(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

// A started program; ended by force when the test ends.
class Child {
 public:
  Child(const std::wstring& program, const std::wstring& arguments, DWORD flags = 0) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                       nullptr, &startup, &info_) == FALSE) {
      info_ = PROCESS_INFORMATION{};
    }
  }
  ~Child() {
    if (info_.hProcess == nullptr) return;
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 10000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
};

// The top-level window with this title, once it is there.
HWND waitForWindow(const std::wstring& title) {
  const ULONGLONG end = GetTickCount64() + patienceMs;
  while (GetTickCount64() < end) {
    if (const HWND window = FindWindowW(nullptr, title.c_str())) return window;
    Sleep(50);
  }
  return nullptr;
}

// The Win32 ports, as ZEM.exe puts them together.
struct Ports {
  Win32Registry registry;
  Win32Windows windows;
  Win32Shell shell;
  Win32Input input{registry};
  Win32Processes processes;
  Win32Clock clock;
  Win32Debug debug;
  Win32Leds leds{debug};
  Win32OverlayDevice overlayDevice{GetModuleHandleW(nullptr)};
  Platform platform{registry, windows, shell, input, processes, clock, leds, overlayDevice, debug};
};

// A program on a storage card may have a long path: it is read whole, also
// beyond the 100 characters of the old buffer, for the lists and for learning.
// (Wine starts no program from a path of 260 characters or more.)
TEST(TasksOnWindowsTest, ALongProgramPathIsReadWhole) {
  wchar_t temp[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
  const std::wstring folder = temp + std::wstring(254 - 16 - std::wcslen(temp), L'x');
  const std::wstring path = folder + L"\\LongPathApp.exe";  // 254 characters
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_NE(CopyFileW(TESTAPP, path.c_str(), FALSE), FALSE) << GetLastError();
  {
    const Child app(path, L"--title LongPathApp");
    ASSERT_TRUE(app.started()) << GetLastError();
    const HWND window = waitForWindow(L"LongPathApp");
    ASSERT_NE(window, nullptr);
    Ports ports;
    std::wstring read;
    ASSERT_TRUE(ports.processes.moduleFileName(app.id(), 32768, read));
    EXPECT_EQ(lowerCased(read), lowerCased(path));
    EXPECT_FALSE(ports.processes.moduleFileName(app.id(), 100, read));  // never cut
    TaskManager tasks(ports.windows, ports.processes, ports.input, ports.shell);
    EXPECT_EQ(tasks.windowAppName(reinterpret_cast<WindowHandle>(window), NameForm::fullPath),
              lowerCased(path));
  }
  Sleep(200);  // the ended program lets go of its file
  DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

// A desktop runs many processes, the user's programs late among them: the
// switcher sees every one.
TEST(TasksOnWindowsTest, SwitchingReachesAProgramLateInTheProcessList) {
  const HWND own = CreateWindowExW(0, L"STATIC", L"Tasks", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);
  // Forty processes without windows (suspended), then the program.
  std::vector<std::unique_ptr<Child>> fillers;
  for (int i = 0; i < 40; ++i) {
    fillers.push_back(std::make_unique<Child>(TESTAPP, L"--title Filler", CREATE_SUSPENDED));
    ASSERT_TRUE(fillers.back()->started());
  }
  const Child late(TESTAPP, L"--title Late");
  ASSERT_TRUE(late.started());
  const HWND lateWindow = waitForWindow(L"Late");
  ASSERT_NE(lateWindow, nullptr);

  Ports ports;
  TaskManager tasks(ports.windows, ports.processes, ports.input, ports.shell);
  std::vector<ProcessInfo> list;
  tasks.collectProcesses(list);
  ASSERT_GT(list.size(), 40u);
  EXPECT_EQ(list.back().processId, late.id());  // in the order the processes started

  SetForegroundWindow(own);
  ASSERT_EQ(GetForegroundWindow(), own);
  EXPECT_TRUE(tasks.switchToNextApp());
  const ULONGLONG end = GetTickCount64() + 5000;
  while (GetForegroundWindow() != lateWindow && GetTickCount64() < end) Sleep(20);
  EXPECT_EQ(GetForegroundWindow(), lateWindow);
  DestroyWindow(own);
}

// "closezem" ends the message loop with the main window still there: run()
// destroys it, so that it never outlives the application object.
TEST(GestureAppOnWindowsTest, TheMainWindowEndsWithTheRun) {
  Ports ports;
  auto app = std::make_unique<GestureApp>(ports.platform);
  PostQuitMessage(7);  // what "closezem" posts, here before the loop starts
  EXPECT_EQ(app->run(), 7);
  EXPECT_EQ(FindWindowW(L"ZEM-test", L"ZEM-test"), nullptr);
  app.reset();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
}

}  // namespace
