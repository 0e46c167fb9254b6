// Time as an input: sleeping on the calling thread and the current time.
#pragma once

#include <cstdint>

class ClockPort {
 public:
  virtual ~ClockPort() = default;

  virtual void sleep(std::uint32_t ms) = 0;
  // Milliseconds since an arbitrary start.
  virtual std::uint64_t nowMs() = 0;
};
