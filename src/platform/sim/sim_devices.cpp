#include "platform/sim/sim_devices.h"

#include "text/utf8.h"

SimLeds::SimLeds(SimContext& context, std::uint32_t count) : context_(context) { setCount(count); }

void SimLeds::setCount(std::uint32_t count) { states_.assign(count, 0); }

std::int32_t SimLeds::state(std::uint32_t index) const {
  return index < states_.size() ? states_[index] : -1;
}

bool SimLeds::ledCount(std::uint32_t& count) {
  if (SimFaults::take(context_.faults.ledCount)) return false;
  count = static_cast<std::uint32_t>(states_.size());
  return true;
}

bool SimLeds::setLed(std::uint32_t index, std::int32_t state) {
  if (SimFaults::take(context_.faults.setLed)) return false;
  static const char* const names[] = {"off", "on", "blink"};
  if (index >= states_.size() || state < 0 || state > 2) return false;
  states_[index] = state;
  context_.record("led " + std::to_string(index) + " " + names[state]);
  return true;
}

void SimDebug::debugOutput(const std::wstring& text) {
  lines_.push_back(text);
  std::wstring line = text;
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  context_.record(LogCategory::debug, Text::toUtf8(line));
}
