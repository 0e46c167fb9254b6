// Pulses the device's vibrator, the last LED of the notification-LED
// driver, on short-lived worker threads. Each pulse's worker works on its
// own copy of the pulse values; pulses are not serialised.
#pragma once

#include <cstdint>

#include "platform/clock_port.h"
#include "platform/led_port.h"
#include "platform/process_port.h"

class Vibrator {
 public:
  Vibrator(ProcessPort& threads, ClockPort& clock, LedPort& leds);
  ~Vibrator();

  Vibrator(const Vibrator&) = delete;
  Vibrator& operator=(const Vibrator&) = delete;

  // pulse(ms, 0, 1).
  void vibrate(std::int32_t ms);
  // Starts a worker that switches the vibrator on for `on` ms and off for
  // `off` ms, `cycles` times. Returns at once.
  void pulse(std::int32_t on, std::int32_t off, std::int32_t cycles);

  std::int32_t onTime() const;
  std::int32_t offTime() const;
  std::int32_t cycles() const;

 private:
  // helper fills in
};
