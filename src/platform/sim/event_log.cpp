#include "platform/sim/event_log.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <utility>

#include "registry/wide_text.h"

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

namespace {

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string toUtf8(const std::wstring& text) {
  // Through UTF-16, which is what the platform carries on every target.
  const std::vector<std::uint8_t> bytes = WideText::toUtf16Bytes(text);
  constexpr std::uint32_t replacement = 0xFFFD;
  std::string out;
  out.reserve(text.size());
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t u = unit(i);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) < 0xE000) {
      appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u < 0xE000) {
      appendUtf8(out, replacement);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}
