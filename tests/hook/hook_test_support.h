// Shared set-up of the hook tests: the simulated registry and windows, the
// main window "ZEM", and samples written in quarter pixels or in pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hook/multipoint_sample.h"
#include "hook/touch_driver_registry.h"
#include "hook/touch_forwarder.h"
#include "platform/sim/sim_hook_port.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"

namespace HookTest {

inline MultipointSample raw(std::uint32_t count, std::uint32_t x1 = 0, std::uint32_t y1 = 0,
                            std::uint32_t x2 = 0, std::uint32_t y2 = 0) {
  MultipointSample s;
  s.pointCount = count;
  s.firstX = x1;
  s.firstY = y1;
  s.secondX = x2;
  s.secondY = y2;
  return s;
}

// Points in whole pixels.
inline MultipointSample one(std::uint32_t x, std::uint32_t y) { return raw(1, 4 * x, 4 * y); }
inline MultipointSample two(std::uint32_t x1, std::uint32_t y1, std::uint32_t x2,
                            std::uint32_t y2) {
  return raw(2, 4 * x1, 4 * y1, 4 * x2, 4 * y2);
}
inline MultipointSample none() { return raw(0); }

inline bool setLockTouch(SimRegistry& registry, const std::wstring& text) {
  return registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                            TouchDriverRegistry::lockTouch, text);
}

inline bool setMultiTouchDemo(SimRegistry& registry, std::uint32_t value) {
  return registry.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                           TouchDriverRegistry::multiTouchDemo, value);
}

inline SimWindows::Message touch(std::uint32_t wParam, std::uint32_t lParam) {
  return {0x8001, wParam, static_cast<std::intptr_t>(lParam)};
}
inline SimWindows::Message touchEnd() { return {0x8002, 1, 0}; }

}  // namespace HookTest
