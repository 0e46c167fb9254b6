#include "platform/linux/panel/clone_writer.h"

#include <algorithm>

namespace {

// The kernel keeps names of up to 80 bytes including the terminator.
constexpr std::size_t maxNameLength = 79;

constexpr unsigned toolKeys[] = {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP,
                                 BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP};

}  // namespace

PanelDescription cloneDescription(const PanelDescription& panel, int slots) {
  PanelDescription clone;
  clone.name = (cloneNamePrefix + panel.name).substr(0, maxNameLength);
  clone.bustype = panel.bustype;
  clone.vendor = panel.vendor;
  clone.product = panel.product;
  clone.version = panel.version;
  for (unsigned p = 0; p < INPUT_PROP_CNT; ++p) {
    if (panel.hasProperty(p)) clone.setProperty(p);
  }
  for (unsigned code = 0; code < KEY_CNT; ++code) {
    if (panel.hasCode(EV_KEY, code)) clone.setCode(EV_KEY, code);
  }
  for (unsigned code = 0; code < ABS_CNT; ++code) {
    if (panel.hasCode(EV_ABS, code)) clone.setAxis(code, panel.axis(code));
  }
  if (panel.protocol() == MultitouchProtocol::anonymous) {
    AxisInfo slot;
    slot.maximum = std::clamp(slots, 1, maxPanelSlots) - 1;
    clone.setAxis(ABS_MT_SLOT, slot);
    AxisInfo id;
    id.maximum = 65535;
    clone.setAxis(ABS_MT_TRACKING_ID, id);
  }
  return clone;
}

bool isClone(const PanelDescription& device) { return device.name.rfind(cloneNamePrefix, 0) == 0; }

CloneWriter::CloneWriter(const PanelDescription& clone)
    : clone_(clone), slotCount_(clone.slotCount()) {
  for (unsigned code = firstSlotAxis; code <= lastSlotAxis; ++code) {
    if (code != ABS_MT_TRACKING_ID && clone.hasCode(EV_ABS, code)) slotAxes_.push_back(code);
  }
}

void CloneWriter::add(std::vector<CloneEvent>& out, unsigned type, unsigned code,
                      std::int32_t value) {
  out.push_back({static_cast<std::uint16_t>(type), static_cast<std::uint16_t>(code), value});
}

void CloneWriter::keys(std::vector<CloneEvent>& out, int contacts) {
  if (clone_.hasCode(EV_KEY, BTN_TOUCH)) add(out, EV_KEY, BTN_TOUCH, contacts > 0 ? 1 : 0);
  // One tool key for the number of fingers; the last counts five or more.
  const int tools = static_cast<int>(std::size(toolKeys));
  for (int i = 0; i < tools; ++i) {
    const unsigned key = toolKeys[i];
    if (!clone_.hasCode(EV_KEY, key)) continue;
    const bool down = i == tools - 1 ? contacts >= tools : contacts == i + 1;
    add(out, EV_KEY, key, down ? 1 : 0);
  }
}

void CloneWriter::frame(const FrameAssembler& panel, const PanelFrame& frame, bool passed,
                        std::vector<CloneEvent>& out) {
  if (!passed) {
    liftAll(out);
    return;
  }
  out.clear();
  const int slots = std::min(slotCount_, panel.slotCount());
  bool any = false;
  for (int s = 0; s < slotCount_; ++s) {
    const std::size_t i = static_cast<std::size_t>(s);
    const bool active = s < slots && panel.slot(s).active();
    if (!active && !shown_[i]) continue;
    add(out, EV_ABS, ABS_MT_SLOT, s);
    if (!active) {
      add(out, EV_ABS, ABS_MT_TRACKING_ID, -1);
      shown_[i] = false;
      any = true;
      continue;
    }
    const SlotState& state = panel.slot(s);
    add(out, EV_ABS, ABS_MT_TRACKING_ID, state.trackingId);
    for (const unsigned code : slotAxes_) add(out, EV_ABS, code, state.axis(code));
    shown_[i] = true;
    any = true;
  }
  if (!any) return;  // nothing shown before or now: nothing to say
  int contacts = 0;
  for (int k = 0; k < frame.contactCount; ++k) {
    if (frame.slots[static_cast<std::size_t>(k)] < slotCount_) ++contacts;
  }
  keys(out, contacts);
  if (contacts > 0) {
    const SlotState& oldest = panel.slot(frame.slots[0]);
    if (clone_.hasCode(EV_ABS, ABS_X)) add(out, EV_ABS, ABS_X, oldest.axis(ABS_MT_POSITION_X));
    if (clone_.hasCode(EV_ABS, ABS_Y)) add(out, EV_ABS, ABS_Y, oldest.axis(ABS_MT_POSITION_Y));
  }
  add(out, EV_SYN, SYN_REPORT, 0);
}

void CloneWriter::liftAll(std::vector<CloneEvent>& out) {
  out.clear();
  for (int s = 0; s < slotCount_; ++s) {
    const std::size_t i = static_cast<std::size_t>(s);
    if (!shown_[i]) continue;
    add(out, EV_ABS, ABS_MT_SLOT, s);
    add(out, EV_ABS, ABS_MT_TRACKING_ID, -1);
    shown_[i] = false;
  }
  if (out.empty()) return;
  keys(out, 0);
  add(out, EV_SYN, SYN_REPORT, 0);
}
