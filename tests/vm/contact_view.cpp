#include "contact_view.h"

#include <algorithm>

ContactView::ContactView(int slots) : slots_(static_cast<std::size_t>(slots)) {
  for (std::size_t s = 0; s < slots_.size(); ++s) slots_[s].slot = static_cast<int>(s);
}

void ContactView::feed(const input_event& e) {
  if (e.type == EV_KEY) {
    if (e.value != 0) {
      keysDown_.insert(e.code);
    } else {
      keysDown_.erase(e.code);
    }
    return;
  }
  if (e.type == EV_SYN && e.code == SYN_REPORT) {
    frames_.push_back(active());
    return;
  }
  if (e.type != EV_ABS) return;
  if (e.code == ABS_MT_SLOT) {
    slot_ = e.value;
    return;
  }
  if (slot_ < 0 || static_cast<std::size_t>(slot_) >= slots_.size()) return;
  Contact& c = slots_[static_cast<std::size_t>(slot_)];
  switch (e.code) {
    case ABS_MT_TRACKING_ID:
      if (c.id < 0 && e.value >= 0) c.since = ++began_;
      c.id = e.value;
      break;
    case ABS_MT_POSITION_X:
      c.x = e.value;
      break;
    case ABS_MT_POSITION_Y:
      c.y = e.value;
      break;
    default:
      break;
  }
}

std::vector<Contact> ContactView::active() const {
  std::vector<Contact> out;
  for (const Contact& c : slots_) {
    if (c.id >= 0) out.push_back(c);
  }
  return out;
}

std::vector<Contact> ContactView::oldestTwo(std::vector<Contact> contacts) {
  std::sort(contacts.begin(), contacts.end(),
            [](const Contact& a, const Contact& b) { return a.since < b.since; });
  if (contacts.size() > 2) contacts.resize(2);
  return contacts;
}
