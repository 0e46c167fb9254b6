#include "platform/linux/panel/evdev_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

std::string errorText(int error) { return std::strerror(error < 0 ? -error : error); }

}  // namespace

PanelDescription describe(const libevdev* dev) {
  PanelDescription d;
  const char* name = libevdev_get_name(dev);
  d.name = name != nullptr ? name : "";
  d.bustype = static_cast<std::uint16_t>(libevdev_get_id_bustype(dev));
  d.vendor = static_cast<std::uint16_t>(libevdev_get_id_vendor(dev));
  d.product = static_cast<std::uint16_t>(libevdev_get_id_product(dev));
  d.version = static_cast<std::uint16_t>(libevdev_get_id_version(dev));
  for (unsigned p = 0; p < INPUT_PROP_CNT; ++p) {
    if (libevdev_has_property(dev, p) != 0) d.setProperty(p);
  }
  for (unsigned code = 0; code < KEY_CNT; ++code) {
    if (libevdev_has_event_code(dev, EV_KEY, code) != 0) d.setCode(EV_KEY, code);
  }
  for (unsigned code = 0; code < ABS_CNT; ++code) {
    const input_absinfo* abs = libevdev_get_abs_info(dev, code);
    if (libevdev_has_event_code(dev, EV_ABS, code) == 0 || abs == nullptr) continue;
    d.setAxis(code, AxisInfo{abs->value, abs->minimum, abs->maximum, abs->fuzz, abs->flat,
                             abs->resolution});
  }
  return d;
}

EvdevPanel::EvdevPanel(int fd, libevdev* dev, std::string path)
    : fd_(fd), dev_(dev), path_(std::move(path)), description_(describe(dev)) {}

EvdevPanel::~EvdevPanel() {
  if (grabbed_) libevdev_grab(dev_, LIBEVDEV_UNGRAB);
  libevdev_free(dev_);
  ::close(fd_);
}

std::unique_ptr<EvdevPanel> EvdevPanel::open(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = path + ": " + errorText(errno);
    return nullptr;
  }
  libevdev* dev = nullptr;
  const int rc = libevdev_new_from_fd(fd, &dev);
  if (rc < 0) {
    ::close(fd);
    why = path + ": not an input device (" + errorText(rc) + ")";
    return nullptr;
  }
  std::unique_ptr<EvdevPanel> panel(new EvdevPanel(fd, dev, path));
  const PanelDescription& d = panel->description();
  if (!d.isTouchscreen() || isClone(d)) {
    why = path + ": \"" + d.name + "\" is not a touchscreen";
    return nullptr;
  }
  if (d.protocol() == MultitouchProtocol::anonymous && !makeProtocolATranslator(d)) {
    why = path + ": \"" + d.name + "\" is a protocol-A panel, and this build reads protocol B only";
    return nullptr;
  }
  return panel;
}

std::unique_ptr<EvdevPanel> EvdevPanel::find(std::string& why) {
  std::vector<int> numbers;
  if (DIR* dir = ::opendir("/dev/input")) {
    while (const dirent* entry = ::readdir(dir)) {
      // eventN, nothing else.
      const std::string name = entry->d_name;
      if (name.rfind("event", 0) != 0 || name.size() == 5 || name.size() > 12) continue;
      if (name.find_first_not_of("0123456789", 5) != std::string::npos) continue;
      numbers.push_back(std::stoi(name.substr(5)));
    }
    ::closedir(dir);
  }
  std::sort(numbers.begin(), numbers.end());
  std::string denied;
  for (const int n : numbers) {
    std::string reason;
    auto panel = open("/dev/input/event" + std::to_string(n), reason);
    if (panel) return panel;
    // The reason worth telling: a device that could not be read, or a panel
    // this build cannot read.
    if (reason.find(std::strerror(EACCES)) != std::string::npos ||
        reason.find("protocol-A") != std::string::npos) {
      denied = reason;
    }
  }
  why = denied.empty() ? "no touchscreen under /dev/input"
                       : "no touchscreen readable (" + denied + ")";
  return nullptr;
}

bool EvdevPanel::grab() {
  grabbed_ = libevdev_grab(dev_, LIBEVDEV_GRAB) == 0;
  return grabbed_;
}

void EvdevPanel::seed(FrameAssembler& assembler) const {
  if (description_.protocol() != MultitouchProtocol::slots) return;
  const int slots = std::min(assembler.slotCount(), libevdev_get_num_slots(dev_));
  for (int s = 0; s < slots; ++s) {
    for (unsigned code = ABS_MT_SLOT + 1; code <= lastSlotAxis; ++code) {
      if (description_.hasCode(EV_ABS, code)) {
        assembler.seedSlot(s, code, libevdev_get_slot_value(dev_, static_cast<unsigned>(s), code));
      }
    }
  }
  assembler.setCurrentSlot(libevdev_get_current_slot(dev_));
}

int EvdevPanel::next(FrameAssembler& assembler, PanelEvent& event) {
  input_event ev{};
  int rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_NORMAL, &ev);
  if (rc == LIBEVDEV_READ_STATUS_SYNC) {
    // Events were lost: libevdev brings its state up to date with the
    // device; the assembler takes that state (protocol A panels repeat every
    // contact in every frame, so skipping to the next report suffices).
    do {
      rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_SYNC, &ev);
    } while (rc == LIBEVDEV_READ_STATUS_SYNC);
    const std::int64_t now = static_cast<std::int64_t>(ev.input_event_sec) * 1000000 +
                             static_cast<std::int64_t>(ev.input_event_usec);
    if (description_.protocol() != MultitouchProtocol::slots) {
      assembler.push({now, EV_SYN, SYN_DROPPED, 0});
      return rc == -ENODEV ? -1 : 0;
    }
    seed(assembler);
    assembler.endFrame(now);
    return 2;
  }
  if (rc == -EAGAIN) return 0;
  if (rc != LIBEVDEV_READ_STATUS_SUCCESS) return -1;  // ENODEV: unplugged; others: unusable
  event.timeUs = static_cast<std::int64_t>(ev.input_event_sec) * 1000000 +
                 static_cast<std::int64_t>(ev.input_event_usec);
  event.type = ev.type;
  event.code = ev.code;
  event.value = ev.value;
  return 1;
}

std::unique_ptr<EvdevClone> EvdevClone::create(const PanelDescription& clone, std::string& why) {
  libevdev* dev = libevdev_new();
  if (dev == nullptr) {
    why = "out of memory";
    return nullptr;
  }
  libevdev_set_name(dev, clone.name.c_str());
  libevdev_set_id_bustype(dev, clone.bustype);
  libevdev_set_id_vendor(dev, clone.vendor);
  libevdev_set_id_product(dev, clone.product);
  libevdev_set_id_version(dev, clone.version);
  for (unsigned p = 0; p < INPUT_PROP_CNT; ++p) {
    if (clone.hasProperty(p)) libevdev_enable_property(dev, p);
  }
  for (unsigned code = 0; code < KEY_CNT; ++code) {
    if (clone.hasCode(EV_KEY, code)) libevdev_enable_event_code(dev, EV_KEY, code, nullptr);
  }
  for (unsigned code = 0; code < ABS_CNT; ++code) {
    if (!clone.hasCode(EV_ABS, code)) continue;
    const AxisInfo& a = clone.axis(code);
    const input_absinfo abs{a.value, a.minimum, a.maximum, a.fuzz, a.flat, a.resolution};
    libevdev_enable_event_code(dev, EV_ABS, code, &abs);
  }
  libevdev_uinput* uinput = nullptr;
  const int rc = libevdev_uinput_create_from_device(dev, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput);
  if (rc < 0) {
    libevdev_free(dev);
    why = "/dev/uinput: " + errorText(rc);
    return nullptr;
  }
  return std::unique_ptr<EvdevClone>(new EvdevClone(dev, uinput));
}

EvdevClone::~EvdevClone() {
  libevdev_uinput_destroy(uinput_);
  libevdev_free(dev_);
}

bool EvdevClone::write(const std::vector<CloneEvent>& events) {
  bool ok = true;
  for (const CloneEvent& e : events) {
    ok = libevdev_uinput_write_event(uinput_, e.type, e.code, e.value) == 0 && ok;
  }
  return ok;
}

std::string EvdevClone::node() const {
  const char* node = libevdev_uinput_get_devnode(uinput_);
  return node != nullptr ? node : "";
}
