#include "platform/sim/sim_input.h"

#include <string>

#include "text/utf8.h"

namespace {
constexpr std::uint32_t orientationField = 0x800000;
}  // namespace

void SimInput::keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                        std::uintptr_t) {
  std::string text = (flags & KeyFlags::up) != 0 ? "key up " : "key down ";
  text += std::to_string(virtualKey);
  if (scanCode != 0) text += " scan " + std::to_string(scanCode);
  if (const WindowHandle front = windows_.foregroundWindow()) {
    text += " -> " + Text::toUtf8(windows_.title(front));
  }
  context_.record(std::move(text));
}

std::int32_t SimInput::changeOrientation(const OrientationRequest& request) {
  if (SimFaults::take(context_.faults.changeOrientation)) return DisplayChange::failed;
  if ((request.fields & orientationField) == 0) return DisplayChange::badParam;
  std::uint32_t degrees = 0;
  switch (request.orientation) {
    case 0:
      degrees = 0;
      break;
    case 1:
      degrees = 90;
      break;
    case 2:
      degrees = 180;
      break;
    case 4:
      degrees = 270;
      break;
    default:
      return DisplayChange::badMode;
  }
  context_.record("display orientation " + std::to_string(degrees));
  registry_.setDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                     degrees);
  return DisplayChange::successful;
}
