// A virtual input device made through /dev/uinput from an evemu description,
// and the event node a reader opens. Destroying the object removes the device
// (readers then see ENODEV), which is how the checks unplug a panel.
#pragma once

#include <linux/input.h>

#include <memory>
#include <string>
#include <vector>

#include "evemu_recording.h"

class UinputDevice {
 public:
  // The device as described: name, id, properties, event codes and axis
  // ranges. Axes get no fuzz: recorded values were already filtered by the
  // panel's kernel, and filtering them again would drop real movement.
  static std::unique_ptr<UinputDevice> create(const EvemuDevice& description, std::string& error);
  ~UinputDevice();
  UinputDevice(const UinputDevice&) = delete;
  UinputDevice& operator=(const UinputDevice&) = delete;

  // /dev/input/eventN of the device.
  const std::string& node() const { return node_; }
  // Writes the events in one go (a whole frame with its SYN_REPORT).
  bool write(const std::vector<input_event>& events);

 private:
  UinputDevice(int fd, std::string node) : fd_(fd), node_(std::move(node)) {}
  int fd_;
  std::string node_;
};

input_event makeEvent(unsigned type, unsigned code, int value);

// A keyboard with the keys given (and nothing else).
EvemuDevice keyboardDescription(const std::string& name, const std::vector<unsigned>& keys);
