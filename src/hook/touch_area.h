// The pass-through rectangle of the hook library: reading it from the
// "LockTouch" text, and sharing it between the attaching thread and the hook.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "recognition/geometry.h"

namespace TouchArea {

// left, top, width, height in screen pixels.
using Fields = std::array<std::int32_t, 4>;

// Scans "left,top,width,height" with the outcome of the C format
// "%d,%d,%d,%d": each number may follow blanks (space, tab, CR, LF, VT, FF)
// and carry a sign; each comma must follow its number directly. Scanning
// stops at the first thing that does not fit, and every field not reached
// stays 0. A number beyond the 32-bit signed range, for which the C function
// has no defined result, is clamped to INT32_MIN or INT32_MAX, so the same
// text always gives the same rectangle. Returns how many fields scanned.
// Reads `size` characters at most; allocates nothing.
int scan(const wchar_t* text, std::size_t size, Fields& fields) noexcept;

inline int scan(const std::wstring& text, Fields& fields) {
  return scan(text.data(), text.size(), fields);
}

}  // namespace TouchArea

// One rectangle that a single writer replaces while readers on other threads
// keep reading it; a reader always gets the four values of one whole store.
//
// Two slots, each with a version counter (odd while it is being written), and
// the index of the slot last completed. The writer fills the slot that is not
// current and then makes it current. A reader copies the current slot and
// keeps the copy if the slot's version was even and unchanged around the
// copy; otherwise a newer store has completed meanwhile and it reads the new
// current slot. Readers never wait for a writer that is in the middle of a
// store, never lock and never allocate.
//
// Stores must come one at a time (the loader delivers attach notifications
// one by one); loads may run on any number of threads.
class SharedRect {
 public:
  explicit SharedRect(const Geometry::Rect2D& initial = Geometry::Rect2D()) noexcept;

  void store(const Geometry::Rect2D& r) noexcept;
  Geometry::Rect2D load() const noexcept;

 private:
  struct Slot {
    std::atomic<std::uint32_t> version{0};
    std::atomic<double> x{0.0};
    std::atomic<double> y{0.0};
    std::atomic<double> width{0.0};
    std::atomic<double> height{0.0};
  };
  static_assert(std::atomic<double>::is_always_lock_free, "the hook path must not lock");
  static_assert(std::atomic<std::uint32_t>::is_always_lock_free, "the hook path must not lock");

  Slot slots_[2];
  std::atomic<std::uint32_t> current_{0};
};
