#include "vm_support.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

bool VmReport::check(const std::string& name, bool passed, const std::string& why) {
  if (passed) {
    std::printf("ok - %s\n", name.c_str());
  } else {
    ++failed_;
    std::printf("not ok - %s: %s\n", name.c_str(), why.empty() ? "failed" : why.c_str());
  }
  std::fflush(stdout);
  return passed;
}

std::optional<EvemuRecording> readRecording(const std::string& path, std::string& error) {
  EvemuRecording recording;
  readEvemuFile(path, recording);
  if (!recording.hasDescription && recording.problems.empty()) {
    // "NAME.WHAT.events" takes its description from "NAME.desc".
    const std::string file = std::filesystem::path(path).filename().string();
    const std::string desc =
        std::filesystem::path(path).parent_path() / (file.substr(0, file.find('.')) + ".desc");
    recording = EvemuRecording{};
    if (readEvemuFile(desc, recording)) readEvemuFile(path, recording);
  }
  if (!recording.problems.empty()) {
    const EvemuProblem& p = recording.problems.front();
    error = p.file + ":" + std::to_string(p.line) + ": " + p.message;
    return std::nullopt;
  }
  if (!recording.hasDescription) {
    error = path + ": no device description, in the file or in a .desc beside it";
    return std::nullopt;
  }
  return recording;
}

std::vector<std::string> recordingsIn(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".events") out.push_back(entry.path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

std::string lastError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool declare(int fd, const PanelDescription& d, std::string& error) {
  const auto fail = [&](const std::string& what) {
    error = lastError(what.c_str());
    return false;
  };
  const auto request = [&](unsigned long what, unsigned long argument) {
    return ioctl(fd, what, argument) == 0 || fail("uinput ioctl " + std::to_string(argument));
  };
  for (unsigned prop = 0; prop < INPUT_PROP_CNT; ++prop) {
    if (d.hasProperty(prop) && !request(UI_SET_PROPBIT, prop)) return false;
  }
  // The event types the recordings hold (see InputCoreModel).
  for (const auto& [type, setBit] : {std::pair<unsigned, unsigned long>{EV_KEY, UI_SET_KEYBIT},
                                     std::pair<unsigned, unsigned long>{EV_ABS, UI_SET_ABSBIT}}) {
    if (d.hasType(type) && !request(UI_SET_EVBIT, type)) return false;
    for (unsigned code = 0; code < KEY_CNT; ++code) {
      if (d.hasCode(type, code) && !request(setBit, code)) return false;
    }
  }
  for (unsigned code = 0; code < ABS_CNT; ++code) {
    if (!d.hasCode(EV_ABS, code)) continue;
    const AxisInfo& axis = d.axis(code);
    uinput_abs_setup setup{};
    setup.code = static_cast<std::uint16_t>(code);
    setup.absinfo = {0, axis.minimum, axis.maximum, 0, axis.flat, axis.resolution};
    if (ioctl(fd, UI_ABS_SETUP, &setup) < 0) return fail("UI_ABS_SETUP");
  }
  uinput_setup setup{};
  std::strncpy(setup.name, d.name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
  setup.id = {d.bustype, d.vendor, d.product, d.version};
  return (ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0) ||
         fail("UI_DEV_CREATE");
}

}  // namespace

std::unique_ptr<UinputDevice> UinputDevice::create(const PanelDescription& description,
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
  std::string node = findEventNode(description.name, std::chrono::milliseconds(2000));
  if (node.empty()) {
    error = "no event node for " + description.name;
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
  // uinput takes whole events, all of them or none.
  const std::size_t size = events.size() * sizeof(input_event);
  return ::write(fd_, events.data(), size) == static_cast<ssize_t>(size);
}

input_event makeEvent(unsigned type, unsigned code, int value) {
  input_event e{};
  e.type = static_cast<std::uint16_t>(type);
  e.code = static_cast<std::uint16_t>(code);
  e.value = value;
  return e;
}

EventReader::EventReader(const std::string& node, bool grab) {
  fd_ = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = "open " + node + ": " + std::strerror(errno);
    return;
  }
  if (grab && ioctl(fd_, EVIOCGRAB, 1) < 0) {
    error_ = "EVIOCGRAB " + node + ": " + std::strerror(errno);
    return;
  }
  wake_ = eventfd(0, EFD_CLOEXEC);
  thread_ = std::thread([this] { run(); });
}

EventReader::~EventReader() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    (void)!::write(wake_, &one, sizeof one);
    thread_.join();
  }
  if (fd_ >= 0) close(fd_);
  if (wake_ >= 0) close(wake_);
}

void EventReader::run() {
  input_event buffer[64];
  for (;;) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) {
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        const std::lock_guard<std::mutex> lock(mutex_);
        events_.insert(events_.end(), buffer,
                       buffer + static_cast<std::size_t>(n) / sizeof buffer[0]);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR) ||
                 (fds[0].revents & (POLLERR | POLLHUP)) != 0) {
        gone_ = true;  // the device was removed (ENODEV)
        return;
      }
    }
    if ((fds[1].revents & POLLIN) != 0) return;
  }
}

std::size_t EventReader::waitFor(std::size_t count, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::size_t have = 0;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      have = events_.size();
    }
    if (have >= count || std::chrono::steady_clock::now() >= end || gone_) return have;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::vector<input_event> EventReader::events() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

namespace {
bool isSlottedAxis(unsigned code) { return code >= ABS_MT_TOUCH_MAJOR && code <= ABS_MT_TOOL_Y; }
}  // namespace

InputCoreModel::InputCoreModel(const PanelDescription& device) : device_(device) {
  if (device.hasCode(EV_ABS, ABS_MT_SLOT)) slots_ = device.axis(ABS_MT_SLOT).maximum + 1;
  // A new device's slots hold no contact.
  for (int s = 0; s < slots_; ++s) slotAbs_[{s, ABS_MT_TRACKING_ID}] = -1;
}

std::vector<ModelEvent> InputCoreModel::write(const ModelEvent& e) {
  if (e.type == EV_SYN) {
    std::vector<ModelEvent> frame;
    if (e.code == SYN_REPORT && !pending_.empty()) {
      frame.swap(pending_);
      frame.push_back(e);
    }
    return frame;
  }
  if (!device_.hasCode(e.type, e.code)) return {};
  if (e.type == EV_KEY && e.value != 2) {
    bool& down = keys_[e.code];
    if (down == (e.value != 0)) return {};
    down = e.value != 0;
  } else if (e.type == EV_ABS) {
    if (e.code == ABS_MT_SLOT) {
      if (e.value >= 0 && e.value < slots_) slot_ = e.value;
      return {};
    }
    const bool slotted = slots_ > 0 && isSlottedAxis(e.code);
    if (slotted || !isSlottedAxis(e.code)) {
      std::int32_t& last = slotted ? slotAbs_[{slot_, e.code}] : abs_[e.code];
      if (last == e.value) return {};
      last = e.value;
    }
    if (slotted && slot_ != emittedSlot_) {
      emittedSlot_ = slot_;
      pending_.push_back({EV_ABS, ABS_MT_SLOT, slot_});
    }
  }
  pending_.push_back(e);
  return {};
}

ReplayResult replayRecording(UinputDevice& panel, const EvemuRecording& recording,
                             InputCoreModel& model, double speedup) {
  ReplayResult result;
  std::vector<input_event> frame;
  std::int64_t previousUs = recording.events.empty() ? 0 : recording.events.front().timeUs;
  for (const PanelEvent& e : recording.events) {
    frame.push_back(makeEvent(e.type, e.code, e.value));
    std::vector<ModelEvent> passed = model.write({e.type, e.code, e.value});
    result.expected.insert(result.expected.end(), passed.begin(), passed.end());
    if (e.type != EV_SYN || e.code != SYN_REPORT) continue;
    const auto gapUs = static_cast<double>(std::max<std::int64_t>(0, e.timeUs - previousUs));
    previousUs = e.timeUs;
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(gapUs / speedup)));
    result.written = panel.write(frame) && result.written;
    frame.clear();
    ++result.frames;
  }
  return result;
}

ContactView::ContactView(int slots) : slots_(static_cast<std::size_t>(slots)) {
  for (std::size_t s = 0; s < slots_.size(); ++s) slots_[s].slot = static_cast<int>(s);
}

void ContactView::feed(const input_event& e) {
  if (e.type == EV_SYN && e.code == SYN_REPORT) {
    frames_.push_back(active());
    return;
  }
  if (e.type != EV_ABS) return;
  if (e.code == ABS_MT_SLOT) {
    slot_ = e.value;
    return;
  }
  if (slot_ < 0 || static_cast<std::size_t>(slot_) >= slots_.size()) return;
  Contact& c = slots_[static_cast<std::size_t>(slot_)];
  if (e.code == ABS_MT_TRACKING_ID) {
    if (c.id < 0 && e.value >= 0) c.since = ++began_;
    c.id = e.value;
  } else if (e.code == ABS_MT_POSITION_X) {
    c.x = e.value;
  } else if (e.code == ABS_MT_POSITION_Y) {
    c.y = e.value;
  }
}

std::vector<Contact> ContactView::active() const {
  std::vector<Contact> out;
  for (const Contact& c : slots_) {
    if (c.id >= 0) out.push_back(c);
  }
  return out;
}

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

bool waitForGrab(const std::string& node, std::chrono::milliseconds wait) {
  const auto end = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const int fd = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const bool busy = fd >= 0 && ioctl(fd, EVIOCGRAB, 1) < 0 && errno == EBUSY;
    if (fd >= 0) close(fd);  // closing ends a grab of our own
    if (busy) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}
