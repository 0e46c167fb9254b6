// Shared set-up of the hook tests: samples in quarter pixels (raw) or whole
// pixels, the touch driver's registry values, and the posted messages.
#pragma once

#include <cstdint>
#include <string>

#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/sim/sim_hook_port.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"

namespace HookTest {

inline MultipointSample raw(std::uint32_t count, std::uint32_t x1 = 0, std::uint32_t y1 = 0,
                            std::uint32_t x2 = 0, std::uint32_t y2 = 0) {
  return {count, x1, y1, {0, 0}, x2, y2, 0};
}
inline MultipointSample one(std::uint32_t x, std::uint32_t y) { return raw(1, 4 * x, 4 * y); }
inline MultipointSample two(std::uint32_t x1, std::uint32_t y1, std::uint32_t x2,
                            std::uint32_t y2) {
  return raw(2, 4 * x1, 4 * y1, 4 * x2, 4 * y2);
}
inline MultipointSample none() { return raw(0); }

inline void setLockTouch(SimRegistry& registry, const std::wstring& text) {
  registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                     TouchDriverRegistry::lockTouch, text);
}

inline SimWindows::Message touch(std::uint32_t wParam, std::uint32_t lParam) {
  return {WM_APP_TOUCH, wParam, static_cast<std::intptr_t>(lParam)};
}
inline SimWindows::Message touchEnd() { return {WM_APP_TOUCH_END, touchSinglePointWParam, 0}; }

}  // namespace HookTest
