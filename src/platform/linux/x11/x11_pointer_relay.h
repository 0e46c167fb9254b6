// Touches a touch source lets through, given to X applications as the
// pointer (XTest), where no panel copy reaches them (Xvfb reads no input
// devices): the first passed sample of a touch presses the first button at
// the first point, later ones move the pointer, and the first sample that
// is withheld or has no point releases it where it last was. A touch that
// leaves the pass-through rectangle and comes back is two presses, as
// applications would see it. A second point has no pointer equivalent.
//
// It has a connection of its own, so the touch source's thread can use it
// while the desktop serves the program's thread.
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <string>

#include "hook/multipoint_sample.h"

class X11PointerRelay {
 public:
  // Null when the display cannot be opened or has no XTest.
  static std::unique_ptr<X11PointerRelay> open(const std::string& display);
  ~X11PointerRelay();
  X11PointerRelay(const X11PointerRelay&) = delete;
  X11PointerRelay& operator=(const X11PointerRelay&) = delete;

  // One sample of the touch source and whether the hook let it pass.
  void relay(const MultipointSample& sample, bool passed);

 private:
  explicit X11PointerRelay(xcb_connection_t* connection);
  void fake(std::uint8_t type, std::uint8_t detail, std::int32_t x, std::int32_t y);

  xcb_connection_t* connection_;
  xcb_window_t root_ = XCB_NONE;
  bool pressed_ = false;
};
