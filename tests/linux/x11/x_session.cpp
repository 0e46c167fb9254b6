#include "x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace XTest {

namespace {

pid_t spawnProgram(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  return pid;
}

void stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (i == 100) kill(pid, SIGKILL);
  }
  pid = -1;
}

bool windowManagerReady(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  bool ready = false;
  if (xcb_connection_has_error(c) == 0) {
    xcb_ewmh_connection_t ewmh;
    if (xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr) != 0) {
      xcb_window_t check = XCB_NONE;
      ready = xcb_ewmh_get_supporting_wm_check_reply(
                  &ewmh, xcb_ewmh_get_supporting_wm_check(&ewmh, ewmh.screens[0]->root), &check,
                  nullptr) != 0 &&
              check != XCB_NONE;
      xcb_ewmh_connection_wipe(&ewmh);
    }
  }
  xcb_disconnect(c);
  return ready;
}

}  // namespace

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool hasLine(const std::string& path, const std::string& wanted) {
  return ("\n" + readAll(path)).find("\n" + wanted + "\n") != std::string::npos;
}

std::string readAll(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

std::string keyLine(std::uint32_t keysym) {
  char line[32];
  std::snprintf(line, sizeof line, "key %x", keysym);
  return line;
}

Screenshot takeScreenshot(const std::string& display) {
  Screenshot shot;
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c) == 0) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                            nullptr);
    if (image != nullptr) {
      shot.width = screen->width_in_pixels;
      shot.height = screen->height_in_pixels;
      const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
      // 24 bits in 32, red at the top: what Xvfb gives at depth 24.
      shot.pixels.assign(data, data + static_cast<std::size_t>(shot.width) *
                                          static_cast<std::size_t>(shot.height));
      for (std::uint32_t& pixel : shot.pixels) pixel &= 0xFFFFFFu;
      std::free(image);
    }
  }
  xcb_disconnect(c);
  return shot;
}

void click(const std::string& display, int x, int y) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c) == 0) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, screen->root,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    // A round trip: the requests have been handled when this returns.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  }
  xcb_disconnect(c);
}

Session::Session(bool windowManager) {
  char pattern[] = "/tmp/zem-x11-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  directory_ = pattern;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  server_ = spawnProgram({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                          "480x800x24", "-nolisten", "tcp", "-noreset"});
  close(pipeFds[1]);
  std::string number;
  char c = 0;
  while (server_ > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  if (number.empty()) return;
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);
  // The number comes a moment before the server takes connections.
  const bool accepting = waitFor([this] {
    xcb_connection_t* probe = xcb_connect(display_.c_str(), nullptr);
    const bool connected = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return connected;
  });
  ok_ = accepting && (!windowManager || startWindowManager());
}

Session::~Session() {
  for (pid_t& pid : children_) stop(pid);
  stopWindowManager();
  stop(server_);
  std::error_code ignored;
  if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
}

bool Session::startWindowManager() {
  windowManager_ =
      spawnProgram({"matchbox-window-manager", "-use_titlebar", "no", "-use_cursor", "no"});
  return windowManager_ > 0 && waitFor([this] { return windowManagerReady(display_); });
}

void Session::stopWindowManager() { stop(windowManager_); }

std::string Session::logPath(const std::string& name) const {
  return directory_ + "/" + name + ".log";
}

std::string Session::appProgram() { return ZEM_X11_TEST_APP; }

pid_t Session::startApp(const std::string& name, const std::string& title,
                        const std::vector<std::string>& extra, const std::string& program) {
  std::vector<std::string> argv = {program, "--log",   logPath(name), "--title",
                                   title,   "--class", "zem-" + name};
  argv.insert(argv.end(), extra.begin(), extra.end());
  const pid_t pid = spawnProgram(argv);
  if (pid <= 0) return -1;
  children_.push_back(pid);  // stopped with the session
  return waitFor([&] { return hasLine(logPath(name), "ready"); }) ? pid : -1;
}

bool Session::ended(pid_t pid) {
  int status = 0;
  const pid_t done = waitpid(pid, &status, WNOHANG);
  if (done == pid) {
    for (pid_t& child : children_) {
      if (child == pid) child = -1;
    }
    return true;
  }
  return done < 0;
}

}  // namespace XTest
