// The touch driver's part in the hook's lifecycle, without the kernel: the
// switch "MultiTouchDemo", a fresh TouchForwarder at every re-arm, and the
// decision for each frame.
//
//   - readSwitch(): when the switch is non-zero and no forwarder is loaded,
//     load a fresh one (it looks for the main window) and send it the
//     process attach (it reads "LockTouch"); when the switch is 0 or missing
//     and one is loaded, send the process detach and drop it. A non-zero
//     value over a non-zero value changes nothing.
//   - decide(): the frame's sample goes through the forwarder's hook, which
//     posts to the main window and may withhold it (count 0). Without a
//     forwarder every frame passes.
//
// More than two fingers: the sample carries the two oldest contacts (the
// phone's panel reports at most two), so ZEM follows the first two fingers.
// The frame passes on only when the hook passes those two and every further
// contact lies inside the same pass-through rectangle (strictly, as the
// hook's own test), so a third finger never leaks a touch from a withheld
// region to applications.
//
// decide() allocates nothing and never waits; readSwitch() reads the
// registry and may allocate.
#pragma once

#include <cstddef>
#include <memory>

#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/linux/panel/frame_assembler.h"
#include "ports/hook_port.h"
#include "ports/registry_port.h"

class TouchPipeline {
 public:
  TouchPipeline(RegistryPort& registry, HookPort& hook);
  ~TouchPipeline();  // sends the detach to a loaded forwarder

  TouchPipeline(const TouchPipeline&) = delete;
  TouchPipeline& operator=(const TouchPipeline&) = delete;

  // `wentOffMeanwhile`: the switch was seen off since the last read (a
  // re-arm faster than this thread looked): a loaded forwarder is dropped
  // first, so an "on" now loads a fresh one.
  void readSwitch(bool wentOffMeanwhile = false);
  // Whether "MultiTouchDemo" is on now; missing or not a number is off.
  static bool switchOn(RegistryPort& registry);

  // True when the frame (or sample) passes on to applications.
  bool decide(const PanelFrame& frame) noexcept;
  bool decide(MultipointSample sample) noexcept;

  bool loaded() const { return forwarder_ != nullptr; }
  const TouchForwarder* forwarder() const { return forwarder_.get(); }
  std::size_t loadCount() const { return loadCount_; }

 private:
  void unload();

  RegistryPort& registry_;
  HookPort& hook_;
  std::unique_ptr<TouchForwarder> forwarder_;
  std::size_t loadCount_ = 0;
};
