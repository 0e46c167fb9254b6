// Pulses the device's vibrator, the last LED of the notification-LED
// driver, on short-lived worker threads. Each pulse's worker works on its
// own copy of the pulse values; pulses are not serialised.
#pragma once

#include <cstdint>

#include "ports/clock_port.h"
#include "ports/led_port.h"
#include "ports/process_port.h"

class Vibrator {
 public:
  Vibrator(ProcessPort& threads, ClockPort& clock, LedPort& leds);
  ~Vibrator();

  Vibrator(const Vibrator&) = delete;
  Vibrator& operator=(const Vibrator&) = delete;

  // pulse(ms, 0, 1).
  void vibrate(std::int32_t ms);
  // Starts a worker that switches the vibrator on for `on` ms and off for
  // `off` ms, `cycles` times. Returns at once. Times are bounded to 0 to
  // 1000 ms and cycles to at most 10; with no on time or no cycle nothing
  // starts. A driver without LEDs gets no pulse.
  void pulse(std::int32_t on, std::int32_t off, std::int32_t cycles);

  std::int32_t onTime() const;
  std::int32_t offTime() const;
  std::int32_t cycles() const;

 private:
  ProcessPort& threads_;
  ClockPort& clock_;
  LedPort& leds_;
  std::int32_t onTime_ = 0;
  std::int32_t offTime_ = 0;
  std::int32_t cycles_ = 0;
  ProcessPort::ThreadHandle worker_ = 0;  // the latest pulse's thread, 0 for none
};
