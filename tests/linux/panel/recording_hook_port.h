// A hook port for the panel tests: the main window exists and posts are
// recorded. And the touch driver's key.
#pragma once

#include <cstdint>
#include <tuple>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "ports/hook_port.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"

class RecordingHookPort : public HookPort {
 public:
  using Post = std::tuple<std::uint32_t, WParam, LParam>;  // message, wParam, lParam

  std::vector<Post> posts;

  WindowHandle findWindow(const wchar_t*, const wchar_t*) override { return 0x1234; }
  bool postMessage(WindowHandle, std::uint32_t message, WParam wParam, LParam lParam) override {
    posts.push_back({message, wParam, lParam});
    return true;
  }
  std::uint32_t lastError() override { return 0; }
  void debugOutput(const wchar_t*) override {}

  std::vector<Post> take() {
    std::vector<Post> taken;
    taken.swap(posts);
    return taken;
  }
};

inline RecordingHookPort::Post touchOne(std::uint32_t x, std::uint32_t y) {
  return {WM_APP_TOUCH, touchSinglePointWParam,
          static_cast<HookPort::LParam>(PackedPoint::pack(x, y))};
}

inline RecordingHookPort::Post touchTwo(std::uint32_t x1, std::uint32_t y1, std::uint32_t x2,
                                        std::uint32_t y2) {
  return {WM_APP_TOUCH, PackedPoint::pack(x2, y2),
          static_cast<HookPort::LParam>(PackedPoint::pack(x1, y1))};
}

inline RecordingHookPort::Post touchEnd() { return {WM_APP_TOUCH_END, touchSinglePointWParam, 0}; }

// The driver's switch ("MultiTouchDemo") and pass-through rectangle ("LockTouch").
inline void setSwitch(SimRegistry& registry, std::uint32_t value) {
  registry.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                    TouchDriverRegistry::multiTouchDemo, value);
}

inline void setArea(SimRegistry& registry, const wchar_t* area) {
  registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                     TouchDriverRegistry::lockTouch, area);
}
