// The contacts a multitouch (protocol B) reader sees, rebuilt from the events
// of a node: each slot's tracking id and position, a snapshot of the active
// contacts at every SYN_REPORT, and the keys held. The checks read the
// program's uinput clone through it.
#pragma once

#include <linux/input.h>

#include <map>
#include <set>
#include <vector>

struct Contact {
  int slot = 0;
  int id = -1;
  int x = 0;
  int y = 0;
  long since = 0;  // order in which the contacts began (oldest first)
};

class ContactView {
 public:
  explicit ContactView(int slots);
  void feed(const input_event& e);
  void feed(const std::vector<input_event>& events) {
    for (const input_event& e : events) feed(e);
  }

  // The active contacts after each frame, in slot order.
  const std::vector<std::vector<Contact>>& frames() const { return frames_; }
  std::vector<Contact> active() const;
  // The two oldest of `contacts` (the points the hook judges), oldest first.
  static std::vector<Contact> oldestTwo(std::vector<Contact> contacts);
  const std::set<int>& keysDown() const { return keysDown_; }

 private:
  std::vector<Contact> slots_;
  int slot_ = 0;
  long began_ = 0;
  std::set<int> keysDown_;
  std::vector<std::vector<Contact>> frames_;
};
