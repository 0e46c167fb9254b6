// The touch driver of the Linux program: it plays the part the phone's touch
// driver plays for the hook library.
//
//   - A reader thread finds the touchscreen (or opens the one given), grabs
//     it (EVIOCGRAB), assembles every SYN_REPORT frame into the two-point
//     sample the hook takes, and waits for a panel to come back when it
//     vanishes (contacts it had passed on are lifted first).
//   - It watches the 32-bit switch "MultiTouchDemo" of the driver key: when
//     the switch is non-zero at start, or turns non-zero after having been 0
//     (or missing), it loads a fresh TouchForwarder (which looks for the main
//     window) and sends it the process attach (which reads "LockTouch"). When
//     the switch turns 0 (or is deleted) it sends the process detach and
//     drops the forwarder. Without a forwarder every frame passes.
//   - Each frame goes through the forwarder's hook; a frame that passes is
//     re-emitted on a uinput clone of the panel; a withheld one is not, and
//     contacts that were passed and become withheld are lifted on the clone
//     first, so no application keeps a stuck touch. With more than two
//     fingers the hook gets the two oldest and the others must lie inside
//     the pass-through rectangle too (touch_pipeline.h).
//   - feed() runs one sample through the same path without a panel: the
//     trace source and the tests use it.
//
// The forwarder posts through the HookPort given, which must not block or
// allocate (the program's bounded queue). Registry reads happen only at load
// and attach, on the reader thread (or on feed()'s caller).
//
// Threads: start(), driverSwitchChanged(), setRotation() and stop() come
// from the program's thread; everything else runs on the reader thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hook/multipoint_sample.h"
#include "ports/hook_port.h"
#include "ports/registry_port.h"

struct TouchDriverOptions {
  std::string devicePath;  // empty: the first touchscreen found
  std::int32_t screenWidth = 480;
  std::int32_t screenHeight = 800;
  // Pass frames on through a uinput clone of the panel. Without a clone (this
  // false, or uinput missing) the panel is not grabbed: applications keep
  // it, and nothing is withheld from them.
  bool clone = true;
};

class LinuxTouchDriver {
 public:
  LinuxTouchDriver(RegistryPort& registry, HookPort& hook, TouchDriverOptions options);
  ~LinuxTouchDriver();  // stops

  LinuxTouchDriver(const LinuxTouchDriver&) = delete;
  LinuxTouchDriver& operator=(const LinuxTouchDriver&) = delete;

  // Starts the reader thread; false when it cannot be started.
  bool start();
  // The driver key may have changed: the reader thread re-reads the switch
  // before its next frame and loads or drops the forwarder as above.
  void driverSwitchChanged();
  // The display's rotation in degrees (0, 90, 180, 270): later frames are
  // turned into the rotated screen's frame before scaling.
  void setRotation(std::int32_t degrees);
  // Lifts what the clone holds, releases the panel and joins the thread.
  void stop();

  // One sample through the forwarder as if it came from a panel; true when
  // it passed (its count was not set to 0). Only while no reader thread runs
  // (the trace source and tests).
  bool feed(MultipointSample sample);

  // For `zem --check`: the panel found (its node, name, protocol, slots and
  // axis ranges) or why there is none, and whether uinput can be opened for
  // the clone, as lines of text. True when both are usable.
  static bool check(const TouchDriverOptions& options, std::string& report);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
