#include "platform/win32/win32_leds.h"

bool Win32Leds::ledCount(std::uint32_t& count) {
  count = ledTotal;
  return true;
}

bool Win32Leds::setLed(std::uint32_t index, std::int32_t state) {
  if (index >= ledTotal || state < 0 || state > 2) return false;
  if (index == ledTotal - 1) {
    debug_.debugOutput(state == 0 ? L"[ZEM] vibrator off\n" : L"[ZEM] vibrator on\n");
  }
  return true;
}
