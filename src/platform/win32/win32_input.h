// Keyboard-event injection (keybd_event) and the display's orientation
// (ChangeDisplaySettingsExW) on desktop Windows.
//
// The phone's orientation codes 0, 1, 2 and 4 become the desktop's 0, 90, 180
// and 270 degree orientations; a turn between portrait and landscape swaps
// the mode's width and height, which the desktop needs. The result is the
// platform's display-change code (0 when made). The phone's system keeps the
// screen angle in "Angle" under HKLM "System\GDI\Rotation" and its watchers
// rely on that value; desktop Windows does not keep it, so after a change
// this adapter writes it (degrees, 32-bit) itself.
#pragma once

#include <cstdint>
#include <optional>

#include "ports/input_port.h"
#include "ports/registry_port.h"

// A desktop orientation (DMDO_*) and its angle in degrees.
struct DisplayOrientation {
  std::uint32_t mode = 0;
  std::uint32_t degrees = 0;
};

// The desktop orientation for a phone orientation code; none for an unknown
// code.
std::optional<DisplayOrientation> displayOrientationFor(std::uint32_t code);

class Win32Input final : public InputPort {
 public:
  explicit Win32Input(RegistryPort& registry) : registry_(registry) {}

  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override;
  std::int32_t changeOrientation(const OrientationRequest& request) override;

 private:
  RegistryPort& registry_;
};
