// Turns a touch panel's events into the two-point samples the hook takes,
// one for every SYN_REPORT.
//
//   - Protocol B panels: a state per slot (tracking id, the slot's axes),
//     seeded at grab time and after a resync; a slot keeps its last values
//     when a new contact sends none (the kernel drops unchanged values).
//     Protocol A panels go through a translator (mtdev) that gives the same
//     slot events.
//   - The first point of a sample is the oldest active contact, the second
//     the next oldest; contacts that begin in the same frame are ordered by
//     their tracking-id events. The count is the number of active contacts,
//     at most 2. When the first finger lifts and another stays, the one that
//     stays becomes the first point of a one-point sample. Unused points are
//     0. A frame with more than two contacts keeps all of them in
//     PanelFrame, oldest first (the touch driver decides what passes).
//   - Positions are scaled from the axis ranges to the screen in quarter
//     pixels: q = floor((v - min) * 4 * W / (max - min + 1)), clamped to
//     [0, 4W - 1] (H for y). A rotation of 90, 180 or 270 degrees turns the
//     panel's frame clockwise before scaling: at 90 the panel's top-left
//     corner is the screen's top-right corner and the panel's y runs along
//     the screen's x.
//   - Events of codes the panel does not declare, keys and other axes are
//     ignored; SYN_REPORT still ends the frame. After SYN_DROPPED every event
//     up to and including the next SYN_REPORT is dropped (that SYN_REPORT
//     still gives a frame of the last known state); a reader of a live
//     device resyncs through seedSlot() instead.
//
// Nothing is filtered: values come already filtered by the kernel. push()
// does not allocate.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "hook/multipoint_sample.h"
#include "platform/linux/panel/panel_description.h"

struct PanelEvent {
  std::int64_t timeUs = 0;  // µs, on any fixed clock
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

struct ScreenGeometry {
  std::int32_t width = 480;   // pixels
  std::int32_t height = 800;  // pixels
  std::int32_t rotation = 0;  // 0, 90, 180 or 270 degrees, clockwise
};

// Whether a rotation is one of the four the assembly knows.
bool validRotation(std::int32_t degrees);

// The per-slot axes kept for every slot: ABS_MT_TOUCH_MAJOR to ABS_MT_TOOL_Y.
inline constexpr unsigned firstSlotAxis = ABS_MT_TOUCH_MAJOR;
inline constexpr unsigned lastSlotAxis = ABS_MT_TOOL_Y;

struct SlotState {
  std::int32_t trackingId = -1;  // -1: no contact
  std::uint64_t order = 0;       // when the contact began: smaller is older
  std::array<std::int32_t, lastSlotAxis - firstSlotAxis + 1> axes{};

  bool active() const { return trackingId >= 0; }
  std::int32_t axis(unsigned code) const {
    return code >= firstSlotAxis && code <= lastSlotAxis ? axes[code - firstSlotAxis] : 0;
  }
};

struct ScreenPoint {
  std::uint32_t x = 0;  // quarter pixels
  std::uint32_t y = 0;
};

struct PanelFrame {
  std::int64_t timeUs = 0;  // of the SYN_REPORT
  MultipointSample sample;
  int contactCount = 0;                             // every active contact
  std::array<int, maxPanelSlots> slots{};           // their slots, oldest first
  std::array<ScreenPoint, maxPanelSlots> points{};  // their positions on the screen
};

// Protocol A to slot events. put() takes the panel's events; get() gives the
// translated ones (slots, tracking ids, slot axes, other events unchanged).
class ProtocolATranslator {
 public:
  virtual ~ProtocolATranslator() = default;
  virtual void put(const PanelEvent& event) = 0;
  virtual bool get(PanelEvent& event) = 0;
  virtual int slotCount() const = 0;
};

// The translator for a protocol-A panel, or null when the build has none.
std::unique_ptr<ProtocolATranslator> makeProtocolATranslator(const PanelDescription& panel);

class FrameAssembler {
 public:
  explicit FrameAssembler(const PanelDescription& panel, ScreenGeometry screen = {});
  ~FrameAssembler();

  FrameAssembler(const FrameAssembler&) = delete;
  FrameAssembler& operator=(const FrameAssembler&) = delete;

  // False for a panel without multitouch positions (or a protocol-A panel in
  // a build without a translator): every frame is then empty.
  bool usable() const { return usable_; }

  // Screen size and rotation for the following frames. A size below 1 pixel
  // or an unknown rotation leaves the old value.
  void setScreen(ScreenGeometry screen);
  const ScreenGeometry& screen() const { return screen_; }

  // One event; true when it ended a frame, which frame() then holds.
  bool push(const PanelEvent& event);
  const PanelFrame& frame() const { return frame_; }

  int slotCount() const { return slotCount_; }
  const SlotState& slot(int index) const { return slots_[static_cast<std::size_t>(index)]; }

  // State read from the device (at grab time, after a resync): a slot's
  // tracking id or axis, and the slot that later events address. A new
  // tracking id makes a new contact, younger than every other.
  void seedSlot(int index, unsigned code, std::int32_t value);
  void setCurrentSlot(int index);
  // Ends a frame without a SYN_REPORT (after seeding).
  const PanelFrame& endFrame(std::int64_t timeUs);

  // The screen position of panel coordinates.
  ScreenPoint toScreen(std::int32_t x, std::int32_t y) const;

  // q = floor((v - min) * 4 * size / (max - min + 1)) in [0, 4 * size - 1];
  // 0 for an empty range.
  static std::uint32_t scale(std::int64_t v, std::int64_t minimum, std::int64_t maximum,
                             std::int32_t size);

 private:
  void apply(const PanelEvent& event, bool translated);
  void applyToSlot(int index, unsigned code, std::int32_t value);
  void buildFrame(std::int64_t timeUs);

  AxisInfo xAxis_;
  AxisInfo yAxis_;
  PanelDescription panel_;
  ScreenGeometry screen_;
  std::unique_ptr<ProtocolATranslator> translator_;
  bool usable_ = false;
  bool dropping_ = false;
  int slotCount_ = 0;
  int currentSlot_ = 0;  // -1: out of range, events are dropped
  std::uint64_t nextOrder_ = 1;
  std::array<SlotState, maxPanelSlots> slots_{};
  PanelFrame frame_;
};
