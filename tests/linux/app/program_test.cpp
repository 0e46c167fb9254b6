// The real `zem` binary with its files, instance lock, signals and options
// (its touches and keys: the X11 runs and the test VM).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "linux_test_support.h"
#include "platform/linux/app/program_paths.h"

namespace {

using namespace std::chrono_literals;

const std::string header = "Windows Registry Editor Version 5.00\n\n";
const std::string zemSection = header + "[HKEY_CURRENT_USER\\Software\\ZEM]\n";

template <typename Predicate>
bool waitFor(Predicate done, std::chrono::milliseconds patience = 5000ms) {
  for (auto waited = 0ms; waited < patience; waited += 10ms) {
    if (done()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return done();
}

// The real program in its own process.
class ZemProcess {
 public:
  ZemProcess(const TempFolder& folder, std::vector<std::string> arguments, const std::string& log) {
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (folder / "config"),
                                         "XDG_RUNTIME_DIR=" + (folder / "runtime"),
                                         "HOME=" + folder.path(), "PATH=/usr/bin:/bin"};
    arguments.insert(arguments.begin(), ZEM_PROGRAM);
    pid_ = fork();
    if (pid_ != 0) return;
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    const auto pointers = [](std::vector<std::string>& strings) {
      std::vector<char*> list;
      list.reserve(strings.size() + 1);
      for (std::string& text : strings) list.push_back(text.data());
      list.push_back(nullptr);
      return list;
    };
    execve(ZEM_PROGRAM, pointers(arguments).data(), pointers(environment).data());
    _exit(127);
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
  const std::string settings = zemSection + "\"ShowOverlay\"=dword:00000001\n";
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
  writeFile(settingsFile(folder), zemSection + "x\n");
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

// Where the files go, from the XDG variables (of user 1000): relative ones
// are ignored.
TEST(ProgramTest, PathsFollowTheXdgVariables) {
  static const char* const* row = nullptr;  // XDG_CONFIG_HOME, XDG_RUNTIME_DIR, HOME
  const char* const rows[][5] = {
      {"/c", "/r", "/h", "/c/zem/settings.reg", "/r/zem"},
      {nullptr, nullptr, "/h", "/h/.config/zem/settings.reg", "/tmp/zem-1000"},
      {"relative", "relative", "/h", "/h/.config/zem/settings.reg", "/tmp/zem-1000"},
  };
  for (const auto& r : rows) {
    row = r;
    const ProgramPaths paths = ProgramPaths::fromEnvironment(
        [](const char* name) {
          const std::string n = name;
          return n == "XDG_CONFIG_HOME" ? row[0] : n == "XDG_RUNTIME_DIR" ? row[1] : row[2];
        },
        1000);
    EXPECT_EQ(paths.settingsFile + " " + paths.runtimeFolder, std::string(r[3]) + " " + r[4]);
  }
}

}  // namespace
