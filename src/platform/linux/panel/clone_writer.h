// What the touch driver writes to its uinput clone of the panel, decided
// without the kernel so that tests can read it.
//
// The clone declares the panel's keys, axes and properties (plus slots and
// tracking ids when the panel speaks protocol A). For a frame that passes,
// every active slot is written in full: slot, tracking id and every declared
// slot axis, because the input core drops a value equal to the slot's last
// one and a partial relay would leave the clone's contacts at stale
// positions. Slots that the clone shows but the panel no longer has are
// lifted. BTN_TOUCH, the BTN_TOOL_* finger counts and ABS_X/ABS_Y (the
// oldest contact) follow, when declared, then SYN_REPORT.
//
// A frame that is withheld writes only the lifts of what the clone still
// shows, so no application keeps a stuck touch; nothing when it shows
// nothing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/linux/panel/frame_assembler.h"
#include "platform/linux/panel/panel_description.h"

struct CloneEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

// The clone's description: the panel's name after cloneNamePrefix (cut to
// the kernel's 79 characters), ids, properties, keys and axes; a protocol-A
// panel's clone gets `slots` slots and tracking ids.
PanelDescription cloneDescription(const PanelDescription& panel, int slots);
inline constexpr const char* cloneNamePrefix = "ZEM pass-through: ";
// True for a device that is one of our clones (never taken for a panel).
bool isClone(const PanelDescription& device);

class CloneWriter {
 public:
  // `clone` is the clone's description (cloneDescription()).
  explicit CloneWriter(const PanelDescription& clone);

  // The events for one frame of the assembler (which holds the slots).
  // `out` is cleared first; it does not grow after the first call.
  void frame(const FrameAssembler& panel, const PanelFrame& frame, bool passed,
             std::vector<CloneEvent>& out);
  // Lifts whatever the clone shows (panel gone, driver stopping).
  void liftAll(std::vector<CloneEvent>& out);

  // Whether the clone shows a contact in the slot.
  bool shows(int slot) const { return shown_[static_cast<std::size_t>(slot)]; }
  int slotCount() const { return slotCount_; }

 private:
  void add(std::vector<CloneEvent>& out, unsigned type, unsigned code, std::int32_t value);
  void keys(std::vector<CloneEvent>& out, int contacts);

  PanelDescription clone_;
  int slotCount_ = 0;
  std::array<bool, maxPanelSlots> shown_{};
  std::vector<unsigned> slotAxes_;  // declared slot axes, in code order
};
