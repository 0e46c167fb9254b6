// The touch source of the program, behind one small interface so that the
// program builds with or without the panel's touch driver:
//   - a touchscreen through LinuxTouchDriver (the default), or
//   - a recorded trace played through the same forwarder (--touch-trace),
//   - or, in a build without the touch driver, nothing (logged).
// All calls come from the program's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hook/multipoint_sample.h"
#include "platform/linux/app/log.h"
#include "ports/hook_port.h"
#include "ports/registry_port.h"

struct TouchOptions {
  std::string devicePath;  // empty: the first touchscreen found
  std::string tracePath;   // non-empty: play this trace instead of a panel
  std::int32_t screenWidth = 480;
  std::int32_t screenHeight = 800;
  // Where a played trace's samples go after the driver, with whether they
  // passed; none: nowhere beyond the panel's copy.
  std::function<void(const MultipointSample&, bool passed)> tracePassThrough;
};

class TouchInput {
 public:
  virtual ~TouchInput() = default;
  virtual bool start() = 0;
  // "MultiTouchDemo" may have changed.
  virtual void driverSwitchChanged() = 0;
  virtual void setRotation(std::int32_t degrees) = 0;
  virtual void stop() = 0;
};

std::unique_ptr<TouchInput> makeTouchInput(const TouchOptions& options, RegistryPort& registry,
                                           HookPort& hook, Log& log);

// For `zem --check`: the touchscreen the touch source would take (node,
// name, slots, axis ranges) or why there is none, and whether /dev/uinput
// serves it, as lines of text. True when both are usable.
bool checkTouchSource(const TouchOptions& options, std::string& report);
