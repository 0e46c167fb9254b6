#include "platform/linux/app/check.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/linux/app/file_registry.h"

namespace {

constexpr const char* kInputFolder = "/dev/input";

struct Panel {
  std::string path;
  std::string name;
  int minX = 0, maxX = 0, minY = 0, maxY = 0;
  int slots = 0;  // 0: protocol A (no slots)
};

// The device's touchscreen axes, when it is one: direct input with
// multitouch positions (or single-touch ones).
bool describe(const std::string& path, libevdev* device, Panel& panel) {
  if (!libevdev_has_property(device, INPUT_PROP_DIRECT)) return false;
  unsigned xAxis = ABS_MT_POSITION_X;
  unsigned yAxis = ABS_MT_POSITION_Y;
  if (!libevdev_has_event_code(device, EV_ABS, xAxis) ||
      !libevdev_has_event_code(device, EV_ABS, yAxis)) {
    xAxis = ABS_X;
    yAxis = ABS_Y;
    if (!libevdev_has_event_code(device, EV_ABS, xAxis) ||
        !libevdev_has_event_code(device, EV_ABS, yAxis)) {
      return false;
    }
  }
  panel.path = path;
  const char* name = libevdev_get_name(device);
  panel.name = name != nullptr ? name : "";
  panel.minX = libevdev_get_abs_minimum(device, xAxis);
  panel.maxX = libevdev_get_abs_maximum(device, xAxis);
  panel.minY = libevdev_get_abs_minimum(device, yAxis);
  panel.maxY = libevdev_get_abs_maximum(device, yAxis);
  panel.slots = libevdev_has_event_code(device, EV_ABS, ABS_MT_SLOT)
                    ? libevdev_get_abs_maximum(device, ABS_MT_SLOT) + 1
                    : 0;
  return true;
}

// Opens and describes one node; false with the reason when it cannot be read.
bool probe(const std::string& path, std::vector<Panel>& panels, std::string& why) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  libevdev* device = nullptr;
  const int result = libevdev_new_from_fd(fd, &device);
  if (result == 0) {
    Panel panel;
    if (describe(path, device, panel)) panels.push_back(panel);
    libevdev_free(device);
  } else {
    why = std::strerror(-result);
  }
  close(fd);
  return result == 0;
}

std::vector<std::string> eventNodes(bool& folderMissing) {
  std::vector<std::pair<int, std::string>> nodes;
  DIR* dir = opendir(kInputFolder);
  folderMissing = dir == nullptr;
  if (dir == nullptr) return {};
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.rfind("event", 0) == 0 && name.size() > 5) {
      char* end = nullptr;
      const long number = std::strtol(name.c_str() + 5, &end, 10);
      if (*end == '\0') {
        nodes.emplace_back(static_cast<int>(number), std::string(kInputFolder) + "/" + name);
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

int runCheck(const std::string& devicePath, const ProgramPaths& paths,
             const std::string& desktopName, std::ostream& out) {
  bool ready = true;
  std::vector<Panel> panels;
  std::vector<std::string> unreadable;
  bool folderMissing = false;
  const std::vector<std::string> nodes =
      devicePath.empty() ? eventNodes(folderMissing) : std::vector<std::string>{devicePath};
  for (const std::string& node : nodes) {
    std::string why;
    if (!probe(node, panels, why)) {
      std::string line = node;
      line += ": ";
      line += why;
      unreadable.push_back(std::move(line));
    }
  }
  if (panels.empty()) {
    ready = false;
    if (!devicePath.empty() && unreadable.empty()) {
      out << "touchscreen: " << devicePath
          << " is no touchscreen (no direct-input position axes)\n";
    } else if (folderMissing) {
      out << "touchscreen: none: " << kInputFolder << " does not exist (no input devices here)\n";
    } else {
      out << "touchscreen: none found\n";
    }
  }
  for (std::size_t i = 0; i < panels.size(); ++i) {
    const Panel& panel = panels[i];
    out << (i == 0 ? "touchscreen: " : "also:        ") << panel.path << " \"" << panel.name
        << "\"\n  x " << panel.minX << ".." << panel.maxX << ", y " << panel.minY << ".."
        << panel.maxY << ", ";
    if (panel.slots > 0) {
      out << panel.slots << " slots (multitouch protocol B)\n";
    } else {
      out << "no slots (multitouch protocol A, read through mtdev)\n";
    }
  }
  for (const std::string& line : unreadable) {
    out << "cannot read " << line << "\n";
  }
  if (!unreadable.empty()) {
    out << "  the panel must be readable: join the group 'input' or install the udev rule "
           "(see README, \"ZEM on Linux\")\n";
  }

  if (access("/dev/uinput", R_OK | W_OK) == 0) {
    out << "/dev/uinput: usable (the panel's clone and the virtual keyboard)\n";
  } else {
    ready = false;
    out << "/dev/uinput: " << std::strerror(errno)
        << (errno == ENOENT ? " (load the module: modprobe uinput)"
                            : " (install the udev rule or join the group 'input')")
        << ": touches cannot be passed on and keys need a window system\n";
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
