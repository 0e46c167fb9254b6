#include "platform/linux/app/check.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/app/file_registry.h"

namespace {

constexpr const char* inputFolder = "/dev/input";

// True when the node can be opened for reading; else the reason.
bool readable(const std::string& path, std::string& why) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

std::vector<std::string> eventNodes(bool& folderMissing) {
  std::vector<std::pair<int, std::string>> nodes;
  DIR* dir = opendir(inputFolder);
  folderMissing = dir == nullptr;
  if (dir == nullptr) return {};
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind("event", 0) == 0 && name.size() > 5) {
      char* end = nullptr;
      const long number = std::strtol(name.c_str() + 5, &end, 10);
      if (*end == '\0') {
        nodes.emplace_back(static_cast<int>(number), std::string(inputFolder) + "/" + name);
      }
    }
  }
  closedir(dir);
  std::sort(nodes.begin(), nodes.end());
  std::vector<std::string> paths;
  paths.reserve(nodes.size());
  for (auto& node : nodes) paths.push_back(std::move(node.second));
  return paths;
}

}  // namespace

int runCheck(const TouchOptions& touch, const ProgramPaths& paths, const std::string& desktopName,
             std::ostream& out) {
  std::string report;
  bool ready = checkTouchSource(touch, report);
  out << report;

  // The nodes the user may not read: the usual reason for no panel.
  bool folderMissing = false;
  std::vector<std::string> unreadable;
  const std::vector<std::string> nodes = touch.devicePath.empty()
                                             ? eventNodes(folderMissing)
                                             : std::vector<std::string>{touch.devicePath};
  for (const std::string& node : nodes) {
    std::string why;
    if (!readable(node, why)) {
      std::string line = node;
      line += ": ";
      line += why;
      unreadable.push_back(std::move(line));
    }
  }
  if (folderMissing) out << inputFolder << ": does not exist (no input devices here)\n";
  for (const std::string& line : unreadable) out << "cannot read " << line << "\n";
  if (!unreadable.empty()) {
    out << "  the panel must be readable: join the group 'input' or install the udev rule "
           "(see README, \"ZEM on Linux\")\n";
  }
  if (access("/dev/uinput", R_OK | W_OK) != 0) {
    ready = false;
    out << "  /dev/uinput: " << std::strerror(errno)
        << (errno == ENOENT ? " (load the module: modprobe uinput)"
                            : " (install the udev rule, see README, \"ZEM on Linux\")")
        << "; without it keys need a window system\n";
  }

  std::vector<std::string> settingsLog;
  FileRegistry settings({{paths.settingsFile, {}}},
                        [&settingsLog](const std::string& line) { settingsLog.push_back(line); });
  if (access(paths.settingsFile.c_str(), F_OK) != 0) {
    out << "settings: " << paths.settingsFile << " (not there yet: defaults apply)\n";
  } else if (settingsLog.empty()) {
    out << "settings: " << paths.settingsFile << " (reads well)\n";
  }
  for (const std::string& line : settingsLog) out << "settings: " << line << "\n";
  out << "runtime folder: " << paths.runtimeFolder << "\n";
  out << "window system: "
      << (desktopName == "none" ? std::string("none (closeapp, nextapp, prevapp, home, learn, "
                                              "rotate and pictures are unavailable)")
                                : desktopName)
      << "\n";
  out << (ready ? "ready\n" : "not ready\n");
  return ready ? 0 : 1;
}
