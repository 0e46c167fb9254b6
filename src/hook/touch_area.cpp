#include "hook/touch_area.h"

#include <limits>

namespace TouchArea {

namespace {

bool isBlank(wchar_t c) noexcept {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// One "%d" from position `i`; false (and `i` unspecified) when no digit follows
// the optional blanks and sign.
bool scanInt(const wchar_t* text, std::size_t size, std::size_t& i, std::int32_t& value) noexcept {
  while (i < size && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < size && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // Accumulated as a magnitude that stops growing past the range, so any
  // number of digits is safe.
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool anyDigit = false;
  while (i < size && text[i] >= L'0' && text[i] <= L'9') {
    anyDigit = true;
    if (magnitude <= limit) magnitude = magnitude * 10 + (text[i] - L'0');
    ++i;
  }
  if (!anyDigit) return false;
  if (negative) {
    value = static_cast<std::int32_t>(-(magnitude < limit ? magnitude : limit));
  } else {
    value = static_cast<std::int32_t>(magnitude < limit ? magnitude : limit - 1);
  }
  return true;
}

}  // namespace

int scan(const wchar_t* text, std::size_t size, Fields& fields) noexcept {
  std::size_t i = 0;
  int scanned = 0;
  for (std::int32_t& field : fields) {
    if (scanned > 0) {
      if (i >= size || text[i] != L',') break;
      ++i;
    }
    std::int32_t value = 0;
    if (!scanInt(text, size, i, value)) break;
    field = value;
    ++scanned;
  }
  return scanned;
}

}  // namespace TouchArea

SharedRect::SharedRect(const Geometry::Rect2D& initial) noexcept {
  Slot& s = slots_[0];
  s.x.store(initial.x);
  s.y.store(initial.y);
  s.width.store(initial.width);
  s.height.store(initial.height);
}

// Every access is sequentially consistent: a torn copy needs a store of the
// writer's odd-version window to come before the reader's second version load
// in the one total order, so that load sees the change. Only the writer pays
// for full fences; on the reader's side these are plain loads on x86-64.
void SharedRect::store(const Geometry::Rect2D& r) noexcept {
  const std::uint32_t next = current_.load() ^ 1u;
  Slot& s = slots_[next];
  s.version.fetch_add(1);  // odd: being written
  s.x.store(r.x);
  s.y.store(r.y);
  s.width.store(r.width);
  s.height.store(r.height);
  s.version.fetch_add(1);  // even: complete
  current_.store(next);
}

Geometry::Rect2D SharedRect::load() const noexcept {
  for (;;) {
    const Slot& s = slots_[current_.load() & 1u];
    const std::uint32_t before = s.version.load();
    if ((before & 1u) == 0) {
      const Geometry::Rect2D r(s.x.load(), s.y.load(), s.width.load(), s.height.load());
      if (s.version.load() == before) return r;
    }
    // The writer only ever writes the slot that is not current, so this slot
    // stopped being current and a newer store has completed: read that one.
  }
}
