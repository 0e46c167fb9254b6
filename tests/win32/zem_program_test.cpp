// ZEM.exe as a program: while one instance runs, a second start changes
// nothing and ends at once with 0; closing the main window ends the first
// with 0, after its exit steps wrote the touch driver's values.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_registry.h"
#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "registry/registry_store.h"

namespace {

constexpr DWORD patienceMs = 60000;  // Wine may take a while to start a program

// A started ZEM.exe; ended by force if a test leaves it running.
class Program {
 public:
  Program() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" ZEM_EXE L"\"";
    CreateProcessW(ZEM_EXE, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &info_);
  }
  ~Program() {
    if (info_.hProcess == nullptr) return;
    TerminateProcess(info_.hProcess, 99);  // fails when it has ended
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  // The exit code, or STILL_ACTIVE when it did not end in time.
  DWORD waitForExit() const {
    WaitForSingleObject(info_.hProcess, patienceMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
};

// The main window once its program runs the message loop (its creation,
// with the settings load, is over), or null.
HWND waitForMainWindow(const Program& program) {
  const ULONGLONG end = GetTickCount64() + patienceMs;
  while (GetTickCount64() < end && program.running()) {
    if (const HWND window = FindWindowW(MainWindow::className, MainWindow::title)) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, patienceMs, &result) != 0) {
        return window;
      }
    }
    Sleep(50);
  }
  return nullptr;
}

TEST(ZemProgramTest, ASecondInstanceChangesNothingAndClosingEndsTheFirst) {
  using namespace TouchDriverRegistry;
  Win32Registry port;
  RegistryStore store(port);
  ASSERT_TRUE(store.WriteDword(root, key, multiTouchDemo, 0));
  ASSERT_EQ(FindWindowW(MainWindow::className, MainWindow::title), nullptr)
      << "an instance runs already";

  Program first;
  ASSERT_TRUE(first.started()) << GetLastError();
  const HWND window = waitForMainWindow(first);
  ASSERT_NE(window, nullptr);
  std::uint32_t value = 0;
  ASSERT_TRUE(store.ReadDword(root, key, multiTouchDemo, value));
  EXPECT_EQ(value, 1u);  // the driver was armed by the settings load

  ASSERT_TRUE(store.WriteString(root, key, lockTouch, L"1,2,3,4"));
  {
    Program second;
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.waitForExit(), 0u);
  }
  std::wstring area;
  ASSERT_TRUE(store.ReadString(root, key, lockTouch, area, false));
  EXPECT_EQ(area, L"1,2,3,4");
  EXPECT_TRUE(first.running());
  EXPECT_EQ(FindWindowW(MainWindow::className, MainWindow::title), window);

  ASSERT_NE(PostMessageW(window, WM_CLOSE, 0, 0), FALSE);
  EXPECT_EQ(first.waitForExit(), 0u);
  ASSERT_TRUE(store.ReadDword(root, key, multiTouchDemo, value));
  EXPECT_EQ(value, 0u);
  ASSERT_TRUE(store.ReadString(root, key, lockTouch, area, false));
  EXPECT_EQ(area, L"0,0,480,800");
}

}  // namespace
