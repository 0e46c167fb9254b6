// Desktop Windows has no notification-LED driver. This stand-in reports two
// LEDs; switching the last one, the vibrator, writes "[ZEM] vibrator on" or
// "[ZEM] vibrator off" to the debug output, and nothing else happens. States
// 0 (off), 1 (on) and 2 (blink, which counts as on) are accepted for LEDs 0
// and 1; anything else fails. Safe to call from any thread.
#pragma once

#include "ports/debug_port.h"
#include "ports/led_port.h"

class Win32Leds final : public LedPort {
 public:
  static constexpr std::uint32_t ledTotal = 2;

  explicit Win32Leds(DebugPort& debug) : debug_(debug) {}

  bool ledCount(std::uint32_t& count) override;
  bool setLed(std::uint32_t index, std::int32_t state) override;

 private:
  DebugPort& debug_;
};
