#include "platform/sim/sim_clock.h"

#include <algorithm>
#include <string>
#include <utility>

void SimClock::sleep(std::uint32_t ms) {
  if (inWorker()) {
    workers_.back() += ms;
    return;
  }
  if (log_ != nullptr) log_->add(now_, LogCategory::event, "sleep " + std::to_string(ms));
  runUntil(now_ + ms);
}

void SimClock::at(std::uint64_t timeMs, std::function<void()> event) {
  // A multimap keeps equal keys in insertion order.
  events_.emplace(timeMs, std::move(event));
}

std::optional<std::uint64_t> SimClock::nextEventTime() const {
  if (events_.empty()) return std::nullopt;
  return events_.begin()->first;
}

bool SimClock::runNextEvent() {
  if (events_.empty()) return false;
  // Taken out first: the event may schedule others.
  const auto first = events_.begin();
  const std::uint64_t time = first->first;
  std::function<void()> event = std::move(first->second);
  events_.erase(first);
  advanceTo(time);
  lastEventMs_ = now_;
  if (event) event();
  return true;
}

void SimClock::runUntil(std::uint64_t timeMs) {
  while (!events_.empty() && events_.begin()->first <= timeMs) runNextEvent();
  advanceTo(timeMs);
}

void SimClock::advanceTo(std::uint64_t timeMs) { now_ = std::max(now_, timeMs); }

void SimClock::beginWorker() { workers_.push_back(now()); }

void SimClock::endWorker() {
  if (!workers_.empty()) workers_.pop_back();
}
