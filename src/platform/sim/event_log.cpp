#include "platform/sim/event_log.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <utility>

void EventLog::add(std::uint64_t timeMs, std::string category, std::string text) {
  const auto at =
      std::upper_bound(entries_.begin(), entries_.end(), timeMs,
                       [](std::uint64_t time, const Entry& entry) { return time < entry.timeMs; });
  entries_.insert(at, Entry{timeMs, std::move(category), std::move(text)});
}

std::vector<std::string> EventLog::texts(const std::string& category) const {
  std::vector<std::string> result;
  for (const Entry& entry : entries_) {
    if (category.empty() || entry.category == category) result.push_back(entry.text);
  }
  return result;
}

bool EventLog::contains(const std::string& text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& entry) { return entry.text == text; });
}

std::string EventLog::format(bool withTouch) const {
  std::string out;
  for (const Entry& entry : entries_) {
    if (!withTouch && entry.category == LogCategory::touch) continue;
    char time[32];
    std::snprintf(time, sizeof time, "%7" PRIu64 " ms  ", entry.timeMs);
    out += time;
    out += entry.text;
    out += '\n';
  }
  return out;
}
