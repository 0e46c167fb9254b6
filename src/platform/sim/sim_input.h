// The simulated phone's keyboard-event injection and display orientation.
//
// Key events are logged (and reach nothing else). An orientation change
// request that asks for the orientation alone, with a known code (0, 1, 2, 4
// for 0, 90, 180, 270 degrees), applies: it is logged and the system writes
// the new "Angle" under HKLM "System\GDI\Rotation", which notifies its
// watchers (the phone turns the screen size with it).
#pragma once

#include <cstdint>

#include "platform/sim/sim_context.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "ports/input_port.h"
#include "ports/shared_registry.h"

namespace DisplayChange {
inline constexpr std::int32_t successful = 0;
inline constexpr std::int32_t failed = -1;
inline constexpr std::int32_t badMode = -2;
inline constexpr std::int32_t badParam = -5;
}  // namespace DisplayChange

class SimInput : public InputPort {
 public:
  SimInput(SimContext& context, SimWindows& windows, SimRegistry& registry)
      : context_(context), windows_(windows), registry_(registry) {}

  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override;
  std::int32_t changeOrientation(const OrientationRequest& request) override;

 private:
  SimContext& context_;
  SimWindows& windows_;
  SimRegistry& registry_;
};
