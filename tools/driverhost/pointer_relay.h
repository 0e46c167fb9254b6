// What the system sees of the touch samples that the hook lets through.
//
// The panel has no pointer device of its own on a desktop, so passed samples
// become mouse input: the first point is the pointer (a second point has no
// equivalent and is dropped). The first passed sample of a touch presses the
// left button there, later ones move the pointer, and the first withheld or
// empty sample (count 0) releases the button where the pointer last was. A
// touch that wanders out of the pass-through rectangle and back is therefore
// two separate presses, as the system would see it from the real driver.
#pragma once

#include <cstdint>

#include "hook/multipoint_sample.h"

struct PointerEvent {
  enum class Kind { down, move, up };
  Kind kind = Kind::move;
  std::int32_t x = 0;  // screen pixels
  std::int32_t y = 0;
};

class PointerRelay {
 public:
  // Pointer events for one sample as the hook left it: at most one.
  bool relay(const MultipointSample& sample, PointerEvent& event) {
    if (sample.pointCount == 0) {
      if (!down_) return false;
      down_ = false;
      event = {PointerEvent::Kind::up, x_, y_};
      return true;
    }
    // Quarter pixels to pixels (truncating, as the hook library does).
    const auto x = static_cast<std::int32_t>(sample.firstX / 4);
    const auto y = static_cast<std::int32_t>(sample.firstY / 4);
    if (down_ && x == x_ && y == y_) return false;
    event = {down_ ? PointerEvent::Kind::move : PointerEvent::Kind::down, x, y};
    down_ = true;
    x_ = x;
    y_ = y;
    return true;
  }

  bool isDown() const { return down_; }

 private:
  bool down_ = false;
  std::int32_t x_ = 0;
  std::int32_t y_ = 0;
};
