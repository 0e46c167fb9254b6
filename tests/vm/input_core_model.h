// What a reader of an evdev node receives when frames are written to a
// uinput device: the input core passes events on only when they change the
// device's state, so a replay is compared against this rather than against
// the recording itself.
//
//   - codes the device does not declare are dropped, and so is SYN_DROPPED;
//   - a key (or switch, LED, sound) event that does not change its state is
//     dropped, except autorepeat (value 2);
//   - an absolute value equal to the last one is dropped: per slot for the
//     multitouch axes when the device has slots (even for a new tracking id),
//     per axis otherwise; protocol-A multitouch values always pass;
//   - ABS_MT_SLOT is never passed as written: the core emits it before the
//     first multitouch value of a slot other than the last one emitted;
//   - a frame left with nothing but its SYN_REPORT is dropped whole.
//
// The axes have no fuzz (see UinputDevice), so no value is smoothed.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "evemu_recording.h"

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
  explicit InputCoreModel(const EvemuDevice& device);

  // Adds one written event; returns the frame passed on when `e` ends one
  // (SYN_REPORT), else nothing.
  std::vector<ModelEvent> write(const ModelEvent& e);

 private:
  const EvemuDevice& device_;
  int slots_ = 0;  // 0: no slotted multitouch
  int slot_ = 0;
  int emittedSlot_ = 0;
  std::map<unsigned, std::int32_t> abs_;
  std::map<std::pair<int, unsigned>, std::int32_t> slotAbs_;
  std::map<std::pair<unsigned, unsigned>, bool> state_;  // keys, switches, LEDs, sounds
  std::vector<ModelEvent> pending_;
};
