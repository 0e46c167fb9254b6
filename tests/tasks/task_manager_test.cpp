#include "tasks/task_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::wstring>;

// A phone with processes and their top-level windows (in z-order) that
// records what the task manager does to it.
class FakePhone : public WindowPort, public ProcessPort, public InputPort, public ShellPort {
 public:
  struct Window {
    WindowHandle handle;
    std::uint32_t processId;
    bool visible;
    std::wstring text;
  };
  struct Process {
    std::uint32_t processId;
    std::wstring exeFile;
    std::wstring path;
  };
  std::vector<Process> processes;
  std::vector<Window> windows;
  WindowHandle front = 0;
  bool snapshotFails = false;
  bool executes = true;
  ShellExecuteRequest executed;
  Log log;

  // A process whose one window (handle 10 * id) is visible with a title.
  void app(std::uint32_t id, const std::wstring& exe, bool visible = true,
           const std::wstring& title = L"Title") {
    processes.push_back({id, exe, L"\\Program Files\\" + exe});
    windows.push_back({10 * id, id, visible, title});
  }

  bool forEachProcess(const std::function<bool(const ProcessEntry&)>& visit) override {
    for (const Process& p : processes) {
      if (snapshotFails || !visit({1, p.processId, 0, 1, 0, p.exeFile})) break;
    }
    return !snapshotFails;
  }
  bool moduleFileName(std::uint32_t id, std::size_t maxChars, std::wstring& path) override {
    for (const Process& p : processes) {
      if (p.processId != id) continue;
      path = p.path.substr(0, maxChars - 1);
      return true;
    }
    return false;
  }
  WindowHandle foregroundWindow() override { return front; }
  bool windowProcessId(WindowHandle w, std::uint32_t& id) override {
    const Window& x = find(w);
    id = x.processId;
    return x.handle != 0;
  }
  bool isWindowVisible(WindowHandle w) override { return find(w).visible; }
  std::wstring windowText(WindowHandle w, std::size_t maxChars) override {
    return find(w).text.substr(0, maxChars - 1);
  }
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override {
    for (const Window& x : windows) visit(x.handle);
    return true;
  }
  bool setForegroundWindow(WindowHandle w) override { return note(L"front ", w); }
  bool activateWindow(WindowHandle w) override { return note(L"activate ", w); }
  bool postMessage(WindowHandle w, std::uint32_t m, WParam wp, LParam lp) override {
    return note(L"post " + std::to_wstring(m) + L" " + std::to_wstring(wp) + L" " +
                    std::to_wstring(lp) + L" to ",
                w);
  }
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t) override {
    note(L"key " + std::to_wstring(vk) + L" " + std::to_wstring(scan) + L" ", flags);
  }
  bool execute(const ShellExecuteRequest& request) override {
    executed = request;
    return note(L"execute", 0) && executes;
  }

  // Not used by the task manager.
  std::wstring loadString(std::uint32_t, std::size_t) override { return {}; }
  AcceleratorTable loadAccelerators(std::uint32_t) override { return 0; }
  bool registerClass(const WindowClassSpec&, MessageHandler&) override { return false; }
  WindowHandle createWindow(const WindowSpec&) override { return 0; }
  bool destroyWindow(WindowHandle) override { return false; }
  LResult defaultProcedure(WindowHandle, std::uint32_t, WParam, LParam) override { return 0; }
  void validate(WindowHandle) override {}
  std::int32_t screenWidth() override { return 480; }
  std::int32_t screenHeight() override { return 800; }
  LResult sendMessage(WindowHandle, std::uint32_t, WParam, LParam) override { return 0; }
  void postQuitMessage(std::int32_t) override {}
  std::int32_t getMessage(QueuedMessage&) override { return -1; }
  bool translateAccelerator(WindowHandle, AcceleratorTable, const QueuedMessage&) override {
    return false;
  }
  void translateMessage(const QueuedMessage&) override {}
  LResult dispatchMessage(const QueuedMessage&) override { return 0; }
  std::uintptr_t setTimer(WindowHandle, std::uintptr_t, std::uint32_t) override { return 0; }
  bool killTimer(WindowHandle, std::uintptr_t) override { return false; }
  WindowHandle findWindow(const std::wstring&, const std::wstring&) override { return 0; }
  WindowHandle findWindowByTitle(const std::wstring&) override { return 0; }
  ThreadHandle createThread(std::function<void()>) override { return 0; }
  bool setThreadPriority(ThreadHandle, std::int32_t) override { return false; }
  void closeThread(ThreadHandle) override {}
  std::int32_t changeOrientation(const OrientationRequest&) override { return -1; }
  void initialize() override {}
  void handleActivate(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}
  void handleSettingChange(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}
  bool notifyRegistryChange(Registry::Root, const std::wstring&, const std::wstring&, WindowHandle,
                            std::uint32_t, std::uint32_t) override {
    return false;
  }
  bool querySip(SipInfo&) override { return false; }

 private:
  // The window, or a null one (handle 0, owner 0, hidden, no text).
  const Window& find(WindowHandle w) const {
    for (const Window& x : windows) {
      if (x.handle == w) return x;
    }
    return none_;
  }
  bool note(const std::wstring& what, std::uintptr_t value) {
    log.push_back(what + std::to_wstring(value));
    return true;
  }
  const Window none_{0, 0, false, L""};
};

class TaskManagerTest : public ::testing::Test {
 protected:
  FakePhone phone;
  TaskManager tasks{phone, phone, phone, phone};

  Log switched(bool forward, WindowHandle from) {
    phone.log.clear();
    phone.front = from;
    EXPECT_TRUE(forward ? tasks.switchToNextApp() : tasks.switchToPreviousApp());
    return phone.log;
  }
  static Log activated(WindowHandle w) {
    return {L"front " + std::to_wstring(w), L"activate " + std::to_wstring(w)};
  }
};

TEST_F(TaskManagerTest, SwitchingWrapsBothWays) {
  phone.app(1, L"A.exe");
  phone.app(2, L"b.exe");
  phone.app(3, L"c.exe");
  EXPECT_EQ(switched(true, 20), activated(30));
  EXPECT_EQ(switched(true, 30), activated(10));
  EXPECT_EQ(switched(false, 10), activated(30));
  EXPECT_EQ(switched(false, 20), activated(10));
}

TEST_F(TaskManagerTest, SwitchingSkipsIneligibleAndFallsBackToTheCurrentApp) {
  phone.app(1, L"a.exe");
  phone.app(2, L"hidden.exe", false);
  phone.app(3, L"untitled.exe", true, L"");
  phone.app(4, L"Skip.exe");
  tasks.setBlackListSwitch({L"skip.exe"});
  EXPECT_EQ(switched(true, 10), activated(10));
  EXPECT_EQ(switched(false, 10), activated(10));
  phone.app(5, L"e.exe");
  EXPECT_EQ(switched(true, 10), activated(50));
  EXPECT_EQ(switched(false, 50), activated(10));
  // A blacklisted or hidden application in front still switches away.
  EXPECT_EQ(switched(true, 40), activated(50));
  EXPECT_EQ(switched(true, 20), activated(50));
}

TEST_F(TaskManagerTest, TheFirstProcessOfAnExecutableIsTheCurrentOne) {
  phone.app(1, L"a.exe");
  phone.app(2, L"a.exe");
  phone.app(3, L"b.exe");
  EXPECT_EQ(switched(true, 20), activated(20));  // from the first a.exe
}

TEST_F(TaskManagerTest, SwitchingDoesNothingWithoutACurrentApp) {
  phone.app(1, L"a.exe");
  phone.processes.push_back({2, L"", L""});  // no name, no path
  phone.windows.push_back({20, 2, true, L"Nameless"});
  EXPECT_EQ(switched(true, 0), Log{});
  EXPECT_EQ(switched(true, 20), Log{});
  EXPECT_EQ(switched(true, 99), Log{});  // a window that is gone
  phone.snapshotFails = true;
  EXPECT_EQ(switched(true, 10), Log{});
  std::vector<ProcessInfo> list;
  EXPECT_EQ(tasks.collectProcesses(list, 32), 0u);
}

TEST_F(TaskManagerTest, OnlyThirtyTwoProcessesAreCollected) {
  for (std::uint32_t id = 1; id <= 33; ++id) phone.app(id, L"p" + std::to_wstring(id) + L".exe");
  std::vector<ProcessInfo> list(1);
  EXPECT_EQ(tasks.collectProcesses(list, 0), 0u);
  EXPECT_EQ(tasks.collectProcesses(list, 32), 32u);
  EXPECT_EQ(list.size(), 33u);  // appended
  EXPECT_EQ(list.back().processId, 32u);
  EXPECT_EQ(switched(true, 330), Log{});  // the 33rd is never current...
  for (std::uint32_t id = 2; id <= 32; ++id) phone.windows[id - 1].visible = false;
  EXPECT_EQ(switched(true, 10), activated(10));  // ...nor a target
}

TEST_F(TaskManagerTest, NamesAndTitlesAreCutToTheirBuffers) {
  phone.app(1, L"\u00C4pp.exe", true, std::wstring(100, L'T'));
  phone.windows.push_back({11, 1, true, L""});  // a later untitled window
  phone.windows.push_back({12, 1, false, L"Hidden"});
  EXPECT_EQ(tasks.windowAppName(10, false), L"\\program files\\\u00E4pp.exe");
  EXPECT_EQ(tasks.windowAppName(10, true), L"\u00E4pp.exe");
  phone.processes[0].path = L"\\" + std::wstring(120, L'X');
  EXPECT_EQ(tasks.windowAppName(10, false), L"\\" + std::wstring(98, L'x'));
  std::vector<ProcessInfo> list;
  tasks.collectProcesses(list, 32);
  tasks.attachWindows(list);
  EXPECT_EQ(list[0].name, L"\u00E4pp.exe");
  EXPECT_EQ(list[0].window, 11u);
  EXPECT_EQ(list[0].title, std::wstring(63, L'T'));
}

TEST_F(TaskManagerTest, CloseHonoursTheBlackListByFullPath) {
  phone.app(1, L"A.exe");
  phone.front = 10;
  tasks.setBlackListClose({L"\\program files\\a.exe"});
  EXPECT_FALSE(tasks.closeForegroundApp());
  tasks.setBlackListClose({L"a.exe", L""});
  EXPECT_TRUE(tasks.closeForegroundApp());
  EXPECT_EQ(phone.log, Log{L"post 16 0 0 to 10"});
  phone.front = 0;
  EXPECT_FALSE(tasks.closeForegroundApp());
  phone.front = 99;
  EXPECT_FALSE(tasks.closeForegroundApp());
  EXPECT_EQ(phone.log.size(), 1u);
}

TEST_F(TaskManagerTest, BackKeyAndBlockingFollowTheFullPath) {
  phone.app(1, L"a.exe");
  phone.front = 10;
  tasks.setWhiteListBack({L"a.exe", L""});
  tasks.setBlackListAll({L"a.exe", L""});
  EXPECT_FALSE(tasks.isForegroundAppBlocked());
  EXPECT_TRUE(tasks.sendBack());
  tasks.setWhiteListBack({L"\\program files\\a.exe", L""});
  tasks.setBlackListAll({L"\\program files\\a.exe", L""});
  EXPECT_TRUE(tasks.isForegroundAppBlocked());
  tasks.sendBack();
  phone.front = 0;  // nothing in front is never listed
  EXPECT_FALSE(tasks.isForegroundAppBlocked());
  tasks.sendBack();
  const Log f4{L"key 115 0 0", L"key 115 0 2"}, backspace{L"key 8 142 0", L"key 8 142 2"};
  EXPECT_EQ(phone.log, (Log{f4[0], f4[1], backspace[0], backspace[1], f4[0], f4[1]}));
}

TEST_F(TaskManagerTest, LaunchOpensThroughTheShell) {
  EXPECT_TRUE(tasks.launch(L"\\windows\\x.exe", L"-a,b"));
  const ShellExecuteRequest& r = phone.executed;
  EXPECT_TRUE(r.verb == L"open" && r.file == L"\\windows\\x.exe" && r.parameters == L"-a,b" &&
              r.showCommand == 5);
  phone.executes = false;
  EXPECT_FALSE(tasks.launch(L"x.exe", L""));
  EXPECT_FALSE(tasks.launch(L"", L"args"));  // names no program
  EXPECT_EQ(phone.log.size(), 2u);
}

}  // namespace
