// The whole program without kernel devices: GestureApp on the Linux ports
// in this process, touches posted through the hook's forwarder from another
// thread; and the real `zem` binary with its files, instance lock and
// signals.
#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "app/app_settings.h"
#include "app/gesture_app.h"
#include "hook/touch_forwarder.h"
#include "linux_test_support.h"
#include "platform/linux/app/linux_input.h"
#include "platform/linux/app/linux_ports.h"
#include "platform/linux/app/null_desktop.h"
#include "platform/linux/app/program_paths.h"
#include "ports/main_window.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

const std::string header = "Windows Registry Editor Version 5.00\n\n";

class LockedKeyboard final : public KeyboardDevice {
 public:
  bool key(int linuxKey, bool down) override {
    const std::lock_guard<std::mutex> lock(mutex);
    keys.emplace_back(linuxKey, down);
    return true;
  }
  std::size_t count() {
    const std::lock_guard<std::mutex> lock(mutex);
    return keys.size();
  }
  std::mutex mutex;
  std::vector<std::pair<int, bool>> keys;
};

template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds patience = 5000ms) {
  for (auto waited = 0ms; waited < patience; waited += 10ms) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return done();
}

TEST(ProgramTest, ASwipeThroughTheHookRunsItsBindingAndTermExitsWithTheExitWrites) {
  TempFolder folder;
  const std::string settings = header +
                               "; my gestures\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
                               "\"SwipeRightDouble\"=\"right\"\n\"ShowOverlay\"=dword:00000000\n";
  writeFile(folder / "settings.reg", settings);
  std::vector<std::string> lines;
  Log log([&lines](const std::string& line) { lines.push_back(line); });
  FileRegistry registry({{folder / "settings.reg", {}},
                         {folder / "driver.reg",
                          {{TouchDriverRegistry::root, TouchDriverRegistry::key},
                           {RotationRegistry::root, RotationRegistry::key}}}},
                        [&log](const std::string& line) { log.info(line); });
  NullDesktop desktop(log);
  LinuxWindowPort windows(desktop, log, 480, 800);
  ASSERT_TRUE(windows.open());
  ASSERT_TRUE(windows.watch(registry.watch(), [&registry] { registry.onWatchEvents(); }));
  LockedKeyboard keyboard;
  LinuxShell shell(registry, windows, desktop, log);
  LinuxInput input(desktop, &keyboard, log);
  LinuxProcesses processes;
  LinuxClock clock;
  LinuxLeds leds;
  LinuxDebug debug(log);
  Platform platform{
      registry, windows, shell, input, processes, clock, leds, desktop.overlayDevice(), debug};
  LinuxHookPort hook(windows, log);
  GestureApp app(platform);

  std::thread driver([&] {
    ASSERT_TRUE(
        waitFor([&] { return hook.findWindow(MainWindow::className, MainWindow::title) != 0; }));
    TouchForwarder forwarder(hook, registry);
    forwarder.entryNotification(static_cast<std::uint32_t>(EntryReason::processAttach));
    const auto swipe = [&forwarder] {
      for (std::uint32_t x = 40; x <= 440; x += 20) {
        MultipointSample sample;
        sample.pointCount = 2;
        sample.firstX = sample.secondX = x * 4;
        sample.firstY = 300 * 4;
        sample.secondY = 400 * 4;
        forwarder.hook(sample);
      }
      MultipointSample lift;
      forwarder.hook(lift);
    };
    swipe();
    EXPECT_TRUE(waitFor([&] { return keyboard.count() == 2; }));
    // An editor's save takes effect for the next gesture.
    replaceFile(folder / "settings.reg",
                header + "[HKEY_CURRENT_USER\\Software\\ZEM]\n\"SwipeRightDouble\"=\"left\"\n");
    std::this_thread::sleep_for(100ms);
    swipe();
    EXPECT_TRUE(waitFor([&] { return keyboard.count() == 4; }));
    kill(getpid(), SIGTERM);
  });
  const int code = app.run();
  driver.join();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(keyboard.keys,
            (std::vector<std::pair<int, bool>>{
                {KEY_RIGHT, true}, {KEY_RIGHT, false}, {KEY_LEFT, true}, {KEY_LEFT, false}}));
  EXPECT_EQ(readFile(folder / "driver.reg"),
            header +
                "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\TOUCH]\n"
                "\"LockTouch\"=\"0,0,480,800\"\n"
                "\"MultiTouchDemo\"=dword:00000000\n");
}

// The real program in its own process.
class ZemProcess {
 public:
  ZemProcess(const TempFolder& folder, std::vector<std::string> arguments, const std::string& log) {
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (folder / "config"),
                                         "XDG_RUNTIME_DIR=" + (folder / "runtime"),
                                         "HOME=" + folder.path(), "PATH=/usr/bin:/bin"};
    arguments.insert(arguments.begin(), ZEM_PROGRAM);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    envp.reserve(environment.size() + 1);
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    EXPECT_EQ(posix_spawn(&pid_, ZEM_PROGRAM, &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ZemProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status, or -1 when it did not end in time.
  int wait(std::chrono::milliseconds patience = 5000ms) {
    int status = 0;
    const bool ended = waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, patience);
    if (!ended) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  void signal(int number) { kill(pid_, number); }

 private:
  pid_t pid_ = 0;
  bool exited_ = false;
};

// The settings file of a zem run in `folder` (as XDG_CONFIG_HOME/zem), its folder made.
std::string settingsFile(const TempFolder& folder) {
  mkdir((folder / "config").c_str(), 0700);
  mkdir((folder / "config/zem").c_str(), 0700);
  return folder / "config/zem/settings.reg";
}

TEST(ProgramTest, OneInstanceBadSettingsAndTermOnTheRealProgram) {
  TempFolder folder;
  const std::string settingsPath = settingsFile(folder);
  const std::string driverPath = folder / "runtime/zem/driver.reg";
  const std::string settings =
      header + "[HKEY_CURRENT_USER\\Software\\ZEM]\n\"ShowOverlay\"=dword:00000001\n";
  writeFile(settingsPath, settings);
  ZemProcess first(folder, {"--verbose"}, folder / "first.log");
  ASSERT_TRUE(waitFor([&] {
    return readFile(driverPath).find("\"LockTouch\"=\"0,0,480,800\"") != std::string::npos;
  })) << readFile(folder / "first.log");
  std::this_thread::sleep_for(1500ms);  // the driver's re-arm: off, a second, on
  EXPECT_NE(readFile(driverPath).find("\"MultiTouchDemo\"=dword:00000001"), std::string::npos);
  const std::string driverWhileRunning = readFile(driverPath);

  ZemProcess second(folder, {}, folder / "second.log");
  EXPECT_EQ(second.wait(), 0);
  EXPECT_NE(readFile(folder / "second.log").find("already running"), std::string::npos);
  EXPECT_EQ(readFile(driverPath), driverWhileRunning);

  const std::string broken = settings + "\"Oops\"\n";
  replaceFile(settingsPath, broken);
  EXPECT_TRUE(waitFor([&] {
    return readFile(folder / "first.log").find(settingsPath + ":5: ") != std::string::npos;
  })) << readFile(folder / "first.log");

  first.signal(SIGTERM);
  EXPECT_EQ(first.wait(), 0);
  EXPECT_NE(readFile(driverPath).find("\"MultiTouchDemo\"=dword:00000000"), std::string::npos);
  EXPECT_EQ(readFile(settingsPath), broken);  // never rewritten

  // With the lock free again, a new start runs.
  ZemProcess third(folder, {}, folder / "third.log");
  EXPECT_TRUE(waitFor([&] {
    return readFile(driverPath).find("\"MultiTouchDemo\"=dword:00000001") != std::string::npos;
  }));
  third.signal(SIGINT);
  EXPECT_EQ(third.wait(), 0);
}

TEST(ProgramTest, CheckReportsWhatIsMissingAndBadOptionsAreRefused) {
  TempFolder folder;
  writeFile(settingsFile(folder), header + "[HKEY_CURRENT_USER\\Software\\ZEM]\nx\n");
  ZemProcess check(folder, {"--check", "--device", folder / "no-such-node"}, folder / "check.log");
  EXPECT_EQ(check.wait(), 1);  // no panel, no /dev/uinput on a test machine
  const std::string report = readFile(folder / "check.log");
  EXPECT_NE(report.find("touchscreen: "), std::string::npos) << report;
  EXPECT_NE(report.find("settings: " + (folder / "config/zem/settings.reg") + ":4: "),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("not ready"), std::string::npos) << report;
  for (const auto& arguments :
       {std::vector<std::string>{"--screen", "0x800"}, std::vector<std::string>{"--screen", "480x"},
        std::vector<std::string>{"--frobnicate"}, std::vector<std::string>{"--device"}}) {
    ZemProcess refused(folder, arguments, folder / "refused.log");
    EXPECT_EQ(refused.wait(), 2) << arguments[0];
  }
  EXPECT_NE(readFile(folder / "refused.log").find("usage: zem"), std::string::npos);
  EXPECT_EQ(access((folder / "runtime/zem/driver.reg").c_str(), F_OK), -1);  // nothing ran
}

#ifdef ZEM_TOUCH_DRIVER
TEST(ProgramTest, ATracePlayedThroughTheTouchDriverStartsTheBoundProgram) {
  TempFolder folder;
  writeFile(
      settingsFile(folder),
      header +
          "[HKEY_CURRENT_USER\\Software\\ZEM]\n\"SwipeRightDouble\"=\"/bin/sh,-c \\\"echo $0 > " +
          (folder / "marker") + "\\\" swiped\"\n\"ShowOverlay\"=dword:00000000\n");
  // The swipe comes after the program's start-up re-arm (off, a second, on).
  writeFile(folder / "swipe.trace",
            "wait 2000\nstroke 100,300 -> 400,310 and 100,450 -> 400,460 in 300\nwait 100\n");
  ZemProcess zem(folder, {"--verbose", "--touch-trace", folder / "swipe.trace"},
                 folder / "zem.log");
  EXPECT_TRUE(waitFor([&] { return readFile(folder / "marker") == "swiped\n"; }, 8000ms))
      << readFile(folder / "zem.log");
  zem.signal(SIGTERM);
  EXPECT_EQ(zem.wait(), 0);
  EXPECT_NE(readFile(folder / "runtime/zem/driver.reg").find("\"MultiTouchDemo\"=dword:00000000"),
            std::string::npos);
}
#endif

struct XdgRow {
  const char* config;
  const char* runtime;
  const char* home;
  const char* settings;
  const char* runtimeFolder;
};
const XdgRow* currentRow = nullptr;

const char* rowVariable(const char* name) {
  const std::string variable = name;
  if (variable == "XDG_CONFIG_HOME") return currentRow->config;
  if (variable == "XDG_RUNTIME_DIR") return currentRow->runtime;
  if (variable == "HOME") return currentRow->home;
  return nullptr;
}

TEST(ProgramTest, PathsFollowTheXdgVariables) {
  const XdgRow rows[] = {
      {"/c", "/r", "/h", "/c/zem/settings.reg", "/r/zem"},
      {nullptr, nullptr, "/h", "/h/.config/zem/settings.reg", "/tmp/zem-1000"},
      {"relative", "relative", "/h", "/h/.config/zem/settings.reg", "/tmp/zem-1000"},
  };
  for (const XdgRow& row : rows) {
    currentRow = &row;
    const ProgramPaths paths = ProgramPaths::fromEnvironment(rowVariable, 1000);
    EXPECT_EQ(paths.settingsFile, row.settings);
    EXPECT_EQ(paths.runtimeFolder, row.runtimeFolder);
    EXPECT_EQ(paths.lockFile, std::string(row.runtimeFolder) + "/zem.lock");
  }
}

}  // namespace
