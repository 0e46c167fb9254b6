#include "input_nodes.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

std::string findEventNode(const std::string& namePrefix, std::chrono::milliseconds wait) {
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    std::vector<std::string> nodes;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/input", ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("event", 0) != 0) continue;
      std::string deviceName;
      std::getline(std::ifstream(entry.path() / "device" / "name"), deviceName);
      const std::string node = "/dev/input/" + name;
      if (deviceName.rfind(namePrefix, 0) == 0 && access(node.c_str(), R_OK) == 0) {
        nodes.push_back(node);
      }
    }
    if (!nodes.empty()) return *std::min_element(nodes.begin(), nodes.end());
    if (std::chrono::steady_clock::now() >= end) return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool grabbedElsewhere(const std::string& node) {
  const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool busy = ioctl(fd, EVIOCGRAB, 1) < 0 && errno == EBUSY;
  if (!busy) ioctl(fd, EVIOCGRAB, 0);
  close(fd);
  return busy;
}

bool waitForGrab(const std::string& node, bool grabbed, std::chrono::milliseconds wait) {
  const auto end = std::chrono::steady_clock::now() + wait;
  while (grabbedElsewhere(node) != grabbed) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}
