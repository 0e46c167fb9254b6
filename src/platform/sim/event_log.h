// The simulated phone's event log: everything observable that happens on the
// phone, one entry per happening, with the virtual time at which it happened.
//
// Entries stay sorted by time. An entry made on a worker thread's timeline can
// carry a time earlier than the last entry; it is then inserted after every
// entry of the same or an earlier time and before the later ones, so entries
// of equal time keep the order in which they were made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace LogCategory {
inline constexpr const char* event = "event";  // everything the phone shows or does
inline constexpr const char* touch = "touch";  // raw samples and pen input (noisy)
inline constexpr const char* debug = "debug";  // the system debug output
}  // namespace LogCategory

class EventLog {
 public:
  struct Entry {
    std::uint64_t timeMs = 0;
    std::string category;
    std::string text;  // UTF-8
  };

  void add(std::uint64_t timeMs, std::string category, std::string text);

  const std::vector<Entry>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

  // The texts of one category (all entries with an empty category), in order.
  std::vector<std::string> texts(const std::string& category = std::string()) const;
  // True when an entry of any category has exactly this text.
  bool contains(const std::string& text) const;

  // One line per entry, "   1234 ms  <text>\n"; touch entries only on request.
  std::string format(bool withTouch = true) const;

 private:
  std::vector<Entry> entries_;
};
