#include "input_core_model.h"

#include <linux/input.h>

namespace {
bool isSlottedAxis(unsigned code) { return code >= ABS_MT_TOUCH_MAJOR && code <= ABS_MT_TOOL_Y; }
}  // namespace

InputCoreModel::InputCoreModel(const EvemuDevice& device) : device_(device) {
  if (const EvemuAxis* slot = device.axis(ABS_MT_SLOT);
      slot != nullptr && device.hasCode(EV_ABS, ABS_MT_SLOT)) {
    slots_ = slot->maximum + 1;
  }
  // A new device's slots hold no contact.
  for (int s = 0; s < slots_; ++s) slotAbs_[{s, ABS_MT_TRACKING_ID}] = -1;
}

std::vector<ModelEvent> InputCoreModel::write(const ModelEvent& e) {
  if (e.type == EV_SYN) {
    if (e.code == SYN_MT_REPORT) pending_.push_back(e);
    if (e.code != SYN_REPORT) return {};
    std::vector<ModelEvent> frame;
    if (!pending_.empty()) {
      frame.swap(pending_);
      frame.push_back(e);
    }
    return frame;
  }
  if (!device_.hasCode(e.type, e.code)) return {};
  switch (e.type) {
    case EV_KEY:
    case EV_SW:
    case EV_LED:
    case EV_SND: {
      if (e.type == EV_KEY && e.value == 2) break;
      bool& on = state_[{e.type, e.code}];
      if (on == (e.value != 0)) return {};
      on = e.value != 0;
      break;
    }
    case EV_ABS: {
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
      break;
    }
    case EV_REL:
      if (e.value == 0) return {};
      break;
    default:
      break;
  }
  pending_.push_back(e);
  return {};
}
