#include <linux/input-event-codes.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "linux_test_support.h"
#include "platform/linux/app/linux_input.h"
#include "platform/linux/app/linux_ports.h"
#include "platform/linux/app/null_desktop.h"
#include "ports/main_window.h"
#include "text/utf8.h"

namespace {

struct Logged {
  std::vector<std::string> lines;
  Log log{[this](const std::string& line) { lines.push_back(line); }};
};

class RecordingKeyboard final : public KeyboardDevice {
 public:
  bool key(int linuxKey, bool down) override {
    keys.emplace_back(linuxKey, down);
    return true;
  }
  std::vector<std::pair<int, bool>> keys;
};

// Every key ZEM sends (the command words' keys and the pad's defaults) has a
// Linux key of its own, which the virtual keyboard declares; others have none.
TEST(KeyTableTest, EveryKeyZemSendsHasALinuxKeyOfItsOwn) {
  std::set<int> keys;
  const std::vector<int> declared = KeyTable::allLinuxKeys();
  for (const int virtualKey : {0x5B, 0x85, 0x72, 0x25, 0x26, 0x27, 0x28, 0x08, 0x73, 0x0D, 0x0C,
                               0x60, 0x61, 0x62, 0x63, 0x64, 0x65}) {
    const int key = KeyTable::linuxKey(static_cast<std::uint8_t>(virtualKey));
    EXPECT_TRUE(keys.insert(key).second) << virtualKey << " shares its key";
    EXPECT_NE(std::find(declared.begin(), declared.end(), key), declared.end()) << virtualKey;
  }
  for (const int unknown : {0x00, 0x07, 0x3A, 0xE8, 0xFF}) {
    EXPECT_EQ(KeyTable::linuxKey(static_cast<std::uint8_t>(unknown)), 0) << unknown;
  }
}

// Without a window system keys go to the virtual keyboard (the X11 runs show
// the desktop taking them); a key with no Linux key, or no keyboard, is
// logged once and dropped.
TEST(LinuxInputTest, KeysGoToTheVirtualKeyboardAndUnknownOnesAreDropped) {
  Logged logged;
  RecordingKeyboard keyboard;
  NullDesktop none(logged.log);
  LinuxInput toKeyboard(none, &keyboard, logged.log);
  toKeyboard.keyEvent(0x27, 0, KeyFlags::down, 0);
  toKeyboard.keyEvent(0x27, 0, KeyFlags::up, 0);
  toKeyboard.keyEvent(0x07, 0, KeyFlags::down, 0);
  toKeyboard.keyEvent(0x07, 0, KeyFlags::up, 0);
  EXPECT_EQ(keyboard.keys,
            (std::vector<std::pair<int, bool>>{{KEY_RIGHT, true}, {KEY_RIGHT, false}}));
  EXPECT_EQ(logged.lines, std::vector<std::string>{"key 0x07 (7) has no Linux key: dropped"});

  LinuxInput nowhere(none, nullptr, logged.log);
  nowhere.keyEvent(0x27, 0, KeyFlags::down, 0);
  nowhere.keyEvent(0x27, 0, KeyFlags::up, 0);
  EXPECT_EQ(logged.lines.size(), 2u);
  EXPECT_NE(nowhere.changeOrientation(OrientationRequest{}), 0);
  EXPECT_EQ(logged.lines.back(), "\"rotate\": unavailable without a window system");
}

TEST(NullDesktopTest, EachUnavailableCommandIsLoggedOnce) {
  Logged logged;
  NullDesktop desktop(logged.log);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(desktop.foregroundWindow(), 0u);
    EXPECT_EQ(desktop.findWindowByTitle(L"Desktop"), 0u);
    EXPECT_TRUE(desktop.enumerateWindows([](WindowHandle) { return true; }));
    EXPECT_FALSE(desktop.setForegroundWindow(5));
    EXPECT_FALSE(desktop.postToWindow(5, WindowMessage::close, 0, 0));
    EXPECT_EQ(desktop.overlayDevice().loadImage(171, false), 0u);
  }
  EXPECT_EQ(desktop.findWindow(MainWindow::className, MainWindow::title),
            0u);  // the start-up check says nothing
  EXPECT_EQ(logged.lines.size(), 5u);
}

TEST(LinuxShellTest, ParametersSplitAsThePhonesCommandLine) {
  using Args = std::vector<std::wstring>;
  const std::pair<const wchar_t*, Args> rows[] = {
      {L"", Args{}},
      {L"  -e   top ", Args{L"-e", L"top"}},
      {L"\"a b\" c", Args{L"a b", L"c"}},
      {L"\"\"", Args{L""}},
      {L"a\"b c\"d", Args{L"ab cd"}},
      {L"C:\\dir\\file.txt", Args{L"C:\\dir\\file.txt"}},
      {L"\"C:\\dir with space\\\\\" x", Args{L"C:\\dir with space\\", L"x"}},
      {L"a\\\"b", Args{L"a\"b"}},
      {L"a\\\\\\\"b", Args{L"a\\\"b"}},
      {L"\"say \"\"hi\"\"\"", Args{L"say \"hi\""}},
      {L"\"open", Args{L"open"}},
  };
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(LinuxShell::splitArguments(text), expected) << std::wstring(text).size();
  }
}

TEST(LinuxShellTest, ExecuteStartsTheProgramWithItsArguments) {
  Logged logged;
  TempFolder folder;
  FileRegistry registry({{folder / "settings.reg", {}}}, nullptr);
  NullDesktop desktop(logged.log);
  LinuxWindowPort windows(desktop, logged.log, 480, 800);
  LinuxShell shell(registry, windows, desktop, logged.log);
  ShellExecuteRequest request;
  request.verb = L"open";
  request.file = L"sh";  // searched in PATH
  request.parameters =
      L"-c \"echo $0 > '" + Text::fromUtf8Lossy(folder / "out") + L"'\" \"two words\"";
  ASSERT_TRUE(shell.execute(request));
  for (int i = 0; i < 200 && readFile(folder / "out").empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(readFile(folder / "out"), "two words\n");
  request.file = L"/nonexistent/program";
  EXPECT_FALSE(shell.execute(request));
  EXPECT_EQ(logged.lines.back().rfind("cannot start /nonexistent/program: ", 0), 0u);
  request.file.clear();
  EXPECT_FALSE(shell.execute(request));
}

// Real processes: the X11 runs (learn, the black lists) and the VM.
TEST(LinuxProcessesTest, ProcessesAndPathsComeFromProc) {
  LinuxProcesses processes;
  std::wstring path;
  ASSERT_TRUE(processes.moduleFileName(static_cast<std::uint32_t>(getpid()), 4096, path));
  EXPECT_FALSE(processes.moduleFileName(static_cast<std::uint32_t>(getpid()), path.size(), path));
  EXPECT_FALSE(processes.moduleFileName(0, 260, path));

  // A process whose executable cannot be read: its name from stat, no path.
  TempFolder proc;
  mkdir((proc / "77").c_str(), 0700);
  writeFile(proc / "77/stat", "77 (odd) name)) S 12 77 77 0 -1 0 0 0 0 0 0 0 0 0 20 0 3 0 1 2 3\n");
  LinuxProcesses fake(proc.path());
  std::vector<ProcessInfo> entries;
  EXPECT_TRUE(fake.forEachProcess([&](const ProcessInfo& entry) {
    entries.push_back(entry);
    return true;
  }));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"odd) name)");
  EXPECT_EQ(entries[0].parentProcessId, 12u);
  EXPECT_EQ(entries[0].threadCount, 3u);
  EXPECT_FALSE(fake.moduleFileName(77, 260, path));
}

// Learned bindings and lists hold lower-cased paths, as on the phone; the
// program on disk has capitals.
TEST(LinuxShellTest, AProgramPathIsFoundWhateverItsCase) {
  TempFolder folder;
  const std::string& base = folder.path();
  std::filesystem::create_directories(base + "/Apps/My Tool");
  { std::ofstream(base + "/Apps/My Tool/Run.sh") << ""; }
  { std::ofstream(base + "/Apps/twin") << ""; }
  { std::ofstream(base + "/Apps/TWIN") << ""; }
  EXPECT_EQ(LinuxShell::resolveIgnoringCase(base + "/apps/my tool/run.sh"),
            base + "/Apps/My Tool/Run.sh");
  EXPECT_EQ(LinuxShell::resolveIgnoringCase(base + "/Apps/My Tool/Run.sh"),
            base + "/Apps/My Tool/Run.sh")
      << "an existing path stays";
  EXPECT_EQ(LinuxShell::resolveIgnoringCase(base + "/apps/Twin"), base + "/apps/Twin")
      << "two entries differ only in case: nothing is guessed";
  EXPECT_EQ(LinuxShell::resolveIgnoringCase(base + "/apps/missing"), base + "/apps/missing");
  EXPECT_EQ(LinuxShell::resolveIgnoringCase("sh"), "sh") << "a bare name is searched in PATH";
}

}  // namespace
