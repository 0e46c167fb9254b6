#include "tasks/task_manager.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_phone.h"

namespace {

using Texts = std::vector<std::string>;

class TaskManagerTest : public ::testing::Test {
 protected:
  // A running application whose one window is titled `title` ("" for none).
  WindowHandle app(const std::wstring& exe, const std::wstring& title, bool visible = true) {
    return phone.addApp(exe, L"\\Program Files\\" + exe, L"App", title, visible);
  }
  // Brings `window` to the front; the log starts after that.
  void front(WindowHandle window) {
    phone.setForeground(window);
    phone.log().clear();
  }
  Texts events() { return phone.log().texts(LogCategory::event); }
  // The title of the window a switch from `from` activated, "" for none.
  std::string switched(bool forward, WindowHandle from) {
    front(from);
    EXPECT_TRUE(forward ? tasks.switchToNextApp() : tasks.switchToPreviousApp());
    std::string activated;
    for (const std::string& e : events()) {
      if (e.rfind("activate ", 0) == 0) activated += e.substr(10, e.size() - 11);
    }
    return activated;
  }

  SimPhone phone;
  TaskManager tasks{phone.windows(), phone.processes(), phone.input(), phone.shell()};
};

TEST_F(TaskManagerTest, SwitchingWrapsSkipsAndFallsBackToTheCurrentApp) {
  phone.processes().endProcess(phone.programProcessId());  // the first process is an app
  std::map<std::string, WindowHandle> w{{"A", app(L"A.exe", L"A")},
                                        {"A2", app(L"a.exe", L"A2")},
                                        {"H", app(L"hidden.exe", L"H", false)},
                                        {"U", app(L"untitled.exe", L"")},
                                        {"S", app(L"Skip.exe", L"S")},
                                        {"E", app(L"e.exe", L"E")}};
  struct Case {
    const char* from;
    bool forward;
    TaskManager::List blackList;
    const char* activated;
  };
  // Wrapping and skipping hidden, untitled and black-listed applications are
  // played in tests/scenarios/switching.scn.
  const Case cases[] = {
      {"A2", true, {L"skip.exe"}, "A2"},          // the first process of an executable is current
      {"H", true, {L"skip.exe"}, "E"},            // a hidden app in front still switches away
      {"S", true, {L"skip.exe"}, "E"},            // and a black-listed one
      {"E", true, {L"skip.exe", L"a.exe"}, "E"},  // nothing else: the current app again
      {"E", true, {L"skip.exe", L"a.exe", L"e.exe"}, ""},
  };
  for (const Case& c : cases) {
    tasks.setBlackListSwitch(c.blackList);
    EXPECT_EQ(switched(c.forward, w[c.from]), c.activated) << c.from << " " << c.forward;
  }
}

// A desktop runs hundreds of processes, the user's programs late among them.
TEST_F(TaskManagerTest, EveryProcessCounts) {
  std::vector<WindowHandle> apps;  // processes 2 to 301
  for (int i = 2; i <= 301; ++i) apps.push_back(app(L"p" + std::to_wstring(i) + L".exe", L"T"));
  std::vector<ProcessInfo> list(1);
  EXPECT_EQ(tasks.collectProcesses(list), 301u);
  EXPECT_EQ(list.size(), 302u);  // appended
  EXPECT_EQ(list.back().name, L"p301.exe");
  for (std::size_t i = 1; i + 1 < apps.size(); ++i) phone.windows().setVisible(apps[i], false);
  EXPECT_EQ(switched(true, apps.front()), "T");  // the last one is a target...
  EXPECT_EQ(phone.windows().foregroundWindow(), apps.back());
  EXPECT_EQ(switched(false, apps.back()), "T");  // ...and a current app
  EXPECT_EQ(phone.windows().foregroundWindow(), apps.front());
}

// Paths are read whole up to the system's limit; one that does not fit is
// unreadable rather than cut (a cut path names another program). Titles are
// cut to their buffer.
TEST_F(TaskManagerTest, PathsAreReadWholeAndTitlesCut) {
  const std::uint32_t id =
      phone.processes().addProcess(L"\u00C4pp.exe", L"\\Program Files\\\u00C4pp.exe");
  const WindowHandle first = phone.windows().create(L"App", std::wstring(100, L'T'), id, true);
  const WindowHandle later = phone.windows().create(L"App", L"", id, true);  // untitled
  phone.windows().create(L"App", L"Hidden", id, false);
  EXPECT_EQ(tasks.windowAppName(first, NameForm::fullPath), L"\\program files\\\u00E4pp.exe");
  EXPECT_EQ(tasks.windowAppName(first, NameForm::fileName), L"\u00E4pp.exe");
  for (const std::size_t length : {99u, 100u, 260u, 32767u}) {
    const std::wstring path = L"\\card\\" + std::wstring(length - 10, L'x') + L".exe";
    const WindowHandle w = phone.addApp(L"x.exe", path, L"App", L"X");
    EXPECT_EQ(tasks.windowAppName(w, NameForm::fullPath), path) << length;
  }
  const WindowHandle tooLong =
      phone.addApp(L"y.exe", L"\\" + std::wstring(32767, L'y'), L"App", L"Y");
  EXPECT_EQ(tasks.windowAppName(tooLong, NameForm::fullPath), L"");
  std::vector<ProcessInfo> list;
  tasks.collectProcesses(list, 3);
  tasks.attachWindows(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1].name, L"\u00E4pp.exe");
  EXPECT_EQ(list[1].window, later);
  EXPECT_EQ(list[1].title, std::wstring(63, L'T'));
  // A Linux program path: its bare name is what the process list names.
  const WindowHandle slashes = phone.addApp(L"xterm", L"/usr/bin/XTerm", L"App", L"Term");
  EXPECT_EQ(tasks.windowAppName(slashes, NameForm::fileName), L"xterm");
}

// A program whose path cannot be read is never closed, even with nothing in
// "BlackListClose": it might be one the user protects. (A long path that can
// be read matches its lists: tests/scenarios/long_paths.scn.)
TEST_F(TaskManagerTest, UnreadablePathsAreNeverClosed) {
  front(app(L"Game.exe", L"Game"));
  phone.faults().moduleName = 1;
  EXPECT_FALSE(tasks.closeForegroundApp());
  EXPECT_EQ(events(), Texts{});
}

}  // namespace
