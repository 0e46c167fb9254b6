#include "uinput_device.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

std::string lastError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// The ioctl that declares one code of each event type.
unsigned long setBitRequest(unsigned type) {
  switch (type) {
    case EV_KEY:
      return UI_SET_KEYBIT;
    case EV_REL:
      return UI_SET_RELBIT;
    case EV_ABS:
      return UI_SET_ABSBIT;
    case EV_MSC:
      return UI_SET_MSCBIT;
    case EV_LED:
      return UI_SET_LEDBIT;
    case EV_SND:
      return UI_SET_SNDBIT;
    case EV_SW:
      return UI_SET_SWBIT;
    default:
      return 0;  // EV_SYN is implied; force feedback is not replayed
  }
}

bool declare(int fd, const EvemuDevice& d, std::string& error) {
  for (unsigned prop = 0; prop < d.properties.size() * 8; ++prop) {
    if (d.hasProperty(prop) && ioctl(fd, UI_SET_PROPBIT, prop) < 0) {
      error = lastError("UI_SET_PROPBIT");
      return false;
    }
  }
  for (unsigned type = 1; type < d.codes.size(); ++type) {
    const unsigned long request = setBitRequest(type);
    if (request == 0 || !d.hasType(type)) continue;
    if (ioctl(fd, UI_SET_EVBIT, type) < 0) {
      error = lastError("UI_SET_EVBIT");
      return false;
    }
    for (unsigned code = 0; code < d.codes[type].size() * 8; ++code) {
      if (d.hasCode(type, code) && ioctl(fd, request, code) < 0) {
        error = lastError("UI_SET_*BIT") + " (type " + std::to_string(type) + " code " +
                std::to_string(code) + ")";
        return false;
      }
    }
  }
  for (const EvemuAxis& axis : d.axes) {
    if (!d.hasCode(EV_ABS, axis.code)) continue;
    uinput_abs_setup setup{};
    setup.code = axis.code;
    setup.absinfo.minimum = axis.minimum;
    setup.absinfo.maximum = axis.maximum;
    setup.absinfo.flat = axis.flat;
    setup.absinfo.resolution = axis.resolution;
    if (ioctl(fd, UI_ABS_SETUP, &setup) < 0) {
      error = lastError("UI_ABS_SETUP");
      return false;
    }
  }
  uinput_setup setup{};
  std::strncpy(setup.name, d.name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
  setup.id.bustype = d.bus;
  setup.id.vendor = d.vendor;
  setup.id.product = d.product;
  setup.id.version = d.version;
  if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0) {
    error = lastError("UI_DEV_CREATE");
    return false;
  }
  return true;
}

// No udev here: the node's name is under the device's sysfs folder, and
// devtmpfs creates the node a moment after the device appears.
std::string findNode(int fd, std::string& error) {
  char sysname[64] = {};
  if (ioctl(fd, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
    error = lastError("UI_GET_SYSNAME");
    return {};
  }
  const std::filesystem::path dir = std::filesystem::path("/sys/devices/virtual/input") / sysname;
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("event", 0) != 0) continue;
      const std::string node = "/dev/input/" + name;
      if (access(node.c_str(), R_OK) == 0) return node;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  error = std::string("no event node for ") + sysname;
  return {};
}

}  // namespace

std::unique_ptr<UinputDevice> UinputDevice::create(const EvemuDevice& description,
                                                   std::string& error) {
  const int fd = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    error = lastError("open /dev/uinput");
    return nullptr;
  }
  if (!declare(fd, description, error)) {
    close(fd);
    return nullptr;
  }
  std::string node = findNode(fd, error);
  if (node.empty()) {
    ioctl(fd, UI_DEV_DESTROY);
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<UinputDevice>(new UinputDevice(fd, std::move(node)));
}

UinputDevice::~UinputDevice() {
  ioctl(fd_, UI_DEV_DESTROY);
  close(fd_);
}

bool UinputDevice::write(const std::vector<input_event>& events) {
  const auto* data = reinterpret_cast<const char*>(events.data());
  std::size_t left = events.size() * sizeof(input_event);
  while (left > 0) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

input_event makeEvent(unsigned type, unsigned code, int value) {
  input_event e{};
  e.type = static_cast<std::uint16_t>(type);
  e.code = static_cast<std::uint16_t>(code);
  e.value = value;
  return e;
}

EvemuDevice keyboardDescription(const std::string& name, const std::vector<unsigned>& keys) {
  EvemuDevice d;
  d.name = name;
  d.bus = BUS_VIRTUAL;
  for (unsigned key : keys) d.addCode(EV_KEY, key);
  return d;
}
