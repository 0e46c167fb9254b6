#include "controller/vibrator.h"

#include <algorithm>

namespace {

constexpr std::int32_t longestTimeMs = 1000;  // per on or off time
constexpr std::int32_t mostCycles = 10;
constexpr std::int32_t workerPriority = 1;  // 0 time-critical ... 3 normal

struct Pulse {
  std::int32_t on, off, cycles;
};

// Runs on the worker: the last LED is the vibrator.
void runPulse(ClockPort& clock, LedPort& leds, Pulse pulse) {
  std::uint32_t count = 0;
  if (!leds.ledCount(count) || count == 0) return;
  const std::uint32_t vibrator = count - 1;
  for (std::int32_t i = 0; i < pulse.cycles; ++i) {
    leds.setLed(vibrator, 1);
    clock.sleep(static_cast<std::uint32_t>(pulse.on));
    leds.setLed(vibrator, 0);
    clock.sleep(static_cast<std::uint32_t>(pulse.off));
  }
}

}  // namespace

Vibrator::Vibrator(ProcessPort& threads, ClockPort& clock, LedPort& leds)
    : threads_(threads), clock_(clock), leds_(leds) {}

Vibrator::~Vibrator() {
  if (worker_ != 0) threads_.closeThread(worker_);
}

void Vibrator::vibrate(std::int32_t ms) { pulse(ms, 0, 1); }

void Vibrator::pulse(std::int32_t on, std::int32_t off, std::int32_t cycles) {
  // Bounded, so that no pulse keeps the vibrator on or a worker asleep for ever.
  onTime_ = std::clamp(on, 0, longestTimeMs);
  offTime_ = std::clamp(off, 0, longestTimeMs);
  cycles_ = std::clamp(cycles, 0, mostCycles);
  if (onTime_ == 0 || cycles_ == 0) return;

  if (worker_ != 0) threads_.closeThread(worker_);
  // The worker gets its own copy: a later pulse must not change a running one.
  const Pulse values{onTime_, offTime_, cycles_};
  ClockPort* clock = &clock_;
  LedPort* leds = &leds_;
  worker_ = threads_.createThread([clock, leds, values] { runPulse(*clock, *leds, values); });
  if (worker_ != 0) threads_.setThreadPriority(worker_, workerPriority);
}

std::int32_t Vibrator::onTime() const { return onTime_; }
std::int32_t Vibrator::offTime() const { return offTime_; }
std::int32_t Vibrator::cycles() const { return cycles_; }
