// A private X server for one test: Xvfb on a free display with a screen the
// size of the phone's (480 x 800), optionally matchbox-window-manager, and
// the test application. Everything started here is stopped again by its
// process id when the session ends.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace XTest {

// Polls `done` every 10 ms until it holds or `timeout` passes.
bool waitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// The lines of a file (the test application's log); none when it is missing.
std::vector<std::string> readLines(const std::string& path);
bool hasLine(const std::string& path, const std::string& line);
// The whole file (for failure messages); empty when it is missing.
std::string readAll(const std::string& path);
// The test application's line for a key press: "key <keysym hex>".
std::string keyLine(std::uint32_t keysym);

// The whole screen, read back with GetImage: 0x00RRGGBB per pixel.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};
Screenshot takeScreenshot(const std::string& display);

// A click of the first pointer button at (x, y) on the screen, through XTest.
void click(const std::string& display, int x, int y);

class Session {
 public:
  // Starts Xvfb and sets $DISPLAY for this process; with `windowManager`
  // matchbox-window-manager too, ready before this returns.
  explicit Session(bool windowManager = true);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool ok() const { return ok_; }
  const std::string& display() const { return display_; }
  // A private folder for the test's files, removed with the session.
  const std::string& directory() const { return directory_; }

  bool startWindowManager();
  void stopWindowManager();

  // Starts the test application (or another copy of its program) with this
  // title, the class "zem-<name>" and the `extra` arguments, and waits until
  // its window is shown (-1 when it is not). Its log is logPath(name).
  pid_t startApp(const std::string& name, const std::string& title,
                 const std::vector<std::string>& extra = {},
                 const std::string& program = appProgram());
  static std::string appProgram();
  std::string logPath(const std::string& name) const;
  // True when the process has ended (and is reaped).
  bool ended(pid_t pid);

 private:
  bool ok_ = false;
  std::string display_;
  std::string directory_;
  pid_t server_ = -1;
  pid_t windowManager_ = -1;
  std::vector<pid_t> children_;
};

}  // namespace XTest
