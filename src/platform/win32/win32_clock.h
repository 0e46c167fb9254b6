// Real time: Sleep and GetTickCount64.
#pragma once

#include "ports/clock_port.h"

class Win32Clock final : public ClockPort {
 public:
  void sleep(std::uint32_t ms) override;
  std::uint64_t nowMs() override;
};
