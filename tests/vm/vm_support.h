// What the programs the test VM runs share: their report, uinput devices
// made from panel descriptions, readers of event nodes, a model of what the
// kernel's input core passes on, the contacts a reader sees, event nodes
// found by name and grabs seen from outside.
//
// Report lines, read back by scripts/vm/run.sh:
//   ok - <check>
//   not ok - <check>: <what went wrong>
//   # <a figure or a note>
// Each program exits non-zero when one of its checks failed.
#pragma once

#include <linux/input.h>
#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/linux/panel/evemu_reader.h"

class VmReport {
 public:
  // Records one check; returns `passed`.
  bool check(const std::string& name, bool passed, const std::string& why = {});
  int exitCode() const { return failed_ == 0 ? 0 : 1; }

 private:
  int failed_ = 0;
};

// A recording with its description: when `NAME.WHAT.events` describes no
// device, `NAME.desc` beside it is read first. nullopt, with the reason in
// `error`, when a line cannot be read or no description is found.
std::optional<EvemuRecording> readRecording(const std::string& path, std::string& error);
// The .events files of a folder, sorted.
std::vector<std::string> recordingsIn(const std::string& folder);

input_event makeEvent(unsigned type, unsigned code, int value);

// A virtual input device made through /dev/uinput from a description, with
// its event node. Destroying it removes the device (readers then see ENODEV),
// which is how the checks unplug a panel.
class UinputDevice {
 public:
  // Name, ids, properties, key and axis codes and axis ranges as described
  // (the recordings hold no other event type). Axes get no fuzz: recorded
  // values were already filtered by the panel's kernel, and filtering them
  // again would drop real movement.
  static std::unique_ptr<UinputDevice> create(const PanelDescription& description,
                                              std::string& error);
  ~UinputDevice();
  UinputDevice(const UinputDevice&) = delete;
  UinputDevice& operator=(const UinputDevice&) = delete;

  const std::string& node() const { return node_; }  // /dev/input/eventN
  // Writes the events in one go (a whole frame with its SYN_REPORT).
  bool write(const std::vector<input_event>& events);

 private:
  UinputDevice(int fd, std::string node) : fd_(fd), node_(std::move(node)) {}
  int fd_;
  std::string node_;
};

// A reader of an evdev node on its own thread: everything it receives is
// kept, in order (SYN_DROPPED too, so a reader that fell behind shows up).
class EventReader {
 public:
  // Opens `node` (and grabs it when `grab`); check ok() and error().
  EventReader(const std::string& node, bool grab);
  ~EventReader();
  EventReader(const EventReader&) = delete;
  EventReader& operator=(const EventReader&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  int fd() const { return fd_; }
  // Waits until at least `count` events arrived, the device went or
  // `timeout` passed; returns the number received.
  std::size_t waitFor(std::size_t count, std::chrono::milliseconds timeout);
  std::vector<input_event> events();
  bool deviceGone() const { return gone_; }  // read gave ENODEV

 private:
  void run();
  int fd_ = -1;
  int wake_ = -1;  // eventfd that ends the thread
  std::string error_;
  std::mutex mutex_;
  std::vector<input_event> events_;
  std::atomic<bool> gone_{false};
  std::thread thread_;
};

// What a reader of an evdev node receives when frames are written to a
// uinput device: the input core passes events on only when they change the
// device's state, so a replay is compared against this rather than against
// the recording itself. The recorded panels send keys and absolute axes only:
//   - codes the device does not declare are dropped, and so is any EV_SYN
//     but SYN_REPORT;
//   - a key event that does not change its state is dropped, except
//     autorepeat (value 2);
//   - an absolute value equal to the last one is dropped: per slot for the
//     multitouch axes when the device has slots (even for a new tracking id),
//     per axis otherwise; protocol-A multitouch values always pass;
//   - ABS_MT_SLOT is never passed as written: the core emits it before the
//     first multitouch value of a slot other than the last one emitted;
//   - a frame left with nothing but its SYN_REPORT is dropped whole.
// The axes have no fuzz (see UinputDevice), so no value is smoothed.
struct ModelEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
  bool operator==(const ModelEvent& o) const {
    return type == o.type && code == o.code && value == o.value;
  }
};

class InputCoreModel {
 public:
  explicit InputCoreModel(const PanelDescription& device);
  // Adds one written event; returns the frame passed on when `e` ends one
  // (SYN_REPORT), else nothing.
  std::vector<ModelEvent> write(const ModelEvent& e);

 private:
  const PanelDescription& device_;
  int slots_ = 0;  // 0: no slotted multitouch
  int slot_ = 0;
  int emittedSlot_ = 0;
  std::map<unsigned, std::int32_t> abs_;
  std::map<std::pair<int, unsigned>, std::int32_t> slotAbs_;
  std::map<unsigned, bool> keys_;  // held or not
  std::vector<ModelEvent> pending_;
};

struct ReplayResult {
  std::vector<ModelEvent> expected;  // what the input core passes on
  std::size_t frames = 0;
  bool written = true;  // every write to uinput succeeded
};

// Writes a recording to a uinput panel frame by frame, waiting the recorded
// gap divided by `speedup` before each; a trailing frame without SYN_REPORT
// is left out.
ReplayResult replayRecording(UinputDevice& panel, const EvemuRecording& recording,
                             InputCoreModel& model, double speedup);

// The contacts a protocol-B reader sees, rebuilt from a node's events: each
// slot's tracking id and position, the active contacts at every SYN_REPORT,
// and the keys held.
struct Contact {
  int slot = 0;
  int id = -1;
  int x = 0;
  int y = 0;
  long since = 0;  // order in which the contacts began (oldest first)
};

class ContactView {
 public:
  explicit ContactView(int slots);
  void feed(const input_event& e);
  void feed(const std::vector<input_event>& events) {
    for (const input_event& e : events) feed(e);
  }
  // The active contacts after each frame, in slot order.
  const std::vector<std::vector<Contact>>& frames() const { return frames_; }
  std::vector<Contact> active() const;

 private:
  std::vector<Contact> slots_;
  int slot_ = 0;
  long began_ = 0;
  std::vector<std::vector<Contact>> frames_;
};

// The node (/dev/input/eventN) of the first device whose name starts with
// `namePrefix`, waiting up to `wait` for it (no udev: found in sysfs).
std::string findEventNode(const std::string& namePrefix, std::chrono::milliseconds wait);
// Waits up to `wait` until another reader holds the node's grab, as seen by
// a grab of our own getting EBUSY.
bool waitForGrab(const std::string& node, std::chrono::milliseconds wait);
