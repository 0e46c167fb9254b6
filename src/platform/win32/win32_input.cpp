#include "platform/win32/win32_input.h"

#include <windows.h>

#include <utility>

#include "ports/shared_registry.h"
#include "registry/registry_store.h"

namespace {

constexpr std::uint32_t phoneOrientationField = 0x800000;  // the phone's DM_DISPLAYORIENTATION

bool isQuarterTurn(DWORD mode) { return mode == DMDO_90 || mode == DMDO_270; }

}  // namespace

std::optional<DisplayOrientation> displayOrientationFor(std::uint32_t code) {
  switch (code) {
    case 0:
      return DisplayOrientation{DMDO_DEFAULT, 0};
    case 1:
      return DisplayOrientation{DMDO_90, 90};
    case 2:
      return DisplayOrientation{DMDO_180, 180};
    case 4:
      return DisplayOrientation{DMDO_270, 270};
    default:
      return std::nullopt;
  }
}

void Win32Input::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                          std::uintptr_t extraInfo) {
  // The flag values (2: key up) are the same on the desktop.
  keybd_event(virtualKey, scanCode, flags, extraInfo);
}

std::int32_t Win32Input::changeOrientation(const OrientationRequest& request) {
  if ((request.fields & phoneOrientationField) == 0) return DISP_CHANGE_BADPARAM;
  const std::optional<DisplayOrientation> target = displayOrientationFor(request.orientation);
  if (!target) return DISP_CHANGE_BADMODE;

  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) == FALSE) {
    return DISP_CHANGE_FAILED;
  }
  if (isQuarterTurn(mode.dmDisplayOrientation) != isQuarterTurn(target->mode)) {
    std::swap(mode.dmPelsWidth, mode.dmPelsHeight);
  }
  mode.dmDisplayOrientation = target->mode;
  mode.dmFields = DM_DISPLAYORIENTATION | DM_PELSWIDTH | DM_PELSHEIGHT;
  const LONG result = ChangeDisplaySettingsExW(nullptr, &mode, nullptr, request.flags, nullptr);
  if (result == DISP_CHANGE_SUCCESSFUL) {
    RegistryStore(registry_).WriteDword(RotationRegistry::root, RotationRegistry::key,
                                        RotationRegistry::angle, target->degrees);
  }
  return result;
}
