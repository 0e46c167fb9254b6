#include "hook/touch_area.h"

#include <string_view>

#include "text/integer_list.h"

namespace TouchArea {

int scan(const wchar_t* text, std::size_t size, Fields& fields) noexcept {
  return static_cast<int>(Text::scanIntegers(std::wstring_view(text, size), fields));
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
