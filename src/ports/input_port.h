// Keyboard-event injection and the display's orientation.
#pragma once

#include <cstdint>

namespace KeyFlags {
inline constexpr std::uint32_t down = 0;
inline constexpr std::uint32_t up = 2;
}  // namespace KeyFlags

// A display-mode change of the orientation alone (a 192-byte mode record
// with the orientation field selected, applied with the reset flag).
struct OrientationRequest {
  std::uint32_t fields = 0x800000;   // orientation only
  std::uint32_t orientation = 0;     // 0: 0 degrees, 1: 90, 2: 180, 4: 270
  std::uint32_t flags = 0x40000000;  // reset
};

class InputPort {
 public:
  virtual ~InputPort() = default;

  // Reaches the foreground application. Nothing is reported.
  virtual void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                        std::uintptr_t extraInfo) = 0;

  // The platform's result code: 0 when the change was made.
  virtual std::int32_t changeOrientation(const OrientationRequest& request) = 0;
};
