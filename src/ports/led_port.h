// The notification-LED driver. The last LED is the vibrator.
#pragma once

#include <cstdint>

class LedPort {
 public:
  virtual ~LedPort() = default;

  // False when the driver cannot be asked.
  virtual bool ledCount(std::uint32_t& count) = 0;
  // state: 0 off, 1 on.
  virtual bool setLed(std::uint32_t index, std::int32_t state) = 0;
};
