// The simulated phone's notification LEDs (the last one is the vibrator) and
// its system debug output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_context.h"
#include "ports/debug_port.h"
#include "ports/led_port.h"

// Every successful switch is logged, also one to the state the LED has.
// States: 0 off, 1 on, 2 blink; other states and LEDs beyond the count fail.
class SimLeds : public LedPort {
 public:
  explicit SimLeds(SimContext& context, std::uint32_t count = 2);

  void setCount(std::uint32_t count);
  // The state of an LED, -1 for one beyond the count.
  std::int32_t state(std::uint32_t index) const;

  bool ledCount(std::uint32_t& count) override;
  bool setLed(std::uint32_t index, std::int32_t state) override;

 private:
  SimContext& context_;
  std::vector<std::int32_t> states_;
};

// Each text is logged in the debug category without its trailing line break
// and kept as written.
class SimDebug : public DebugPort {
 public:
  explicit SimDebug(SimContext& context) : context_(context) {}

  void debugOutput(const std::wstring& text) override;
  const std::vector<std::wstring>& lines() const { return lines_; }
  // Forgets the lines kept so far (a long run keeps its memory flat).
  void clear() { lines_.clear(); }

 private:
  SimContext& context_;
  std::vector<std::wstring> lines_;
};
