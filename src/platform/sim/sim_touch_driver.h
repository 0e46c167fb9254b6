// The simulated phone's touch driver. It owns the hook library's lifetime the
// way the device's driver does:
//
//   - it watches the 32-bit switch "MultiTouchDemo" under HKEY_LOCAL_MACHINE
//     "HARDWARE\DEVICEMAP\TOUCH". When the switch is non-zero at start, or
//     turns non-zero after having been 0 (or missing), it loads a fresh copy
//     of the library: a new TouchForwarder (which looks for the main window
//     now) followed by the process attach (which reads "LockTouch"). When it
//     turns 0 (or is deleted) it sends the process detach and unloads. A
//     non-zero value written over a non-zero value changes nothing.
//   - feed() hands each sample to the library's hook while it is loaded, then
//     passes the sample on to pen input only when its point count is not 0.
//     Without the library every sample passes unchanged.
//   - startThread() and endThread() stand for the driver starting or ending a
//     thread: the loaded library gets a thread attach (a fresh read of
//     "LockTouch") or a thread detach.
//   - the optional Events tell the phone about loads, unloads, every sample
//     (as it came from the panel, and whether it went on to pen input),
//     every message the library posts and every debug line of the library.
//
// Single-threaded, like the rest of the simulated phone.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/sim/sim_hook_port.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"

class SimTouchDriver {
 public:
  struct Events {
    std::function<void()> loaded;
    std::function<void()> unloaded;
    std::function<void(const MultipointSample& sample, bool passed)> sample;
    std::function<void(const wchar_t* line)> debugLine;
    SimHookPort::PostSink post;  // every message the library posts
  };

  SimTouchDriver(SimRegistry& registry, SimWindows& windows, Events events = Events());
  ~SimTouchDriver();

  SimTouchDriver(const SimTouchDriver&) = delete;
  SimTouchDriver& operator=(const SimTouchDriver&) = delete;

  // True when the sample went on to pen input.
  bool feed(MultipointSample sample);

  void startThread();
  void endThread();

  bool loaded() const { return library_ != nullptr; }
  // The loaded copy of the library, or null.
  const TouchForwarder* library() const { return library_.get(); }
  // How many times the library has been loaded so far.
  std::size_t loadCount() const { return loadCount_; }

  // Samples passed on to the system, oldest first.
  const std::vector<MultipointSample>& penInput() const { return penInput_; }
  std::vector<MultipointSample> takePenInput();

  // The library's debug output (it stays when the library unloads).
  SimHookPort& hookPort() { return hookPort_; }

 private:
  void switchChanged();
  void load();
  void unload();

  SimRegistry& registry_;
  SimHookPort hookPort_;
  Events events_;
  std::size_t observerId_ = 0;
  std::unique_ptr<TouchForwarder> library_;
  std::size_t loadCount_ = 0;
  std::vector<MultipointSample> penInput_;
};
