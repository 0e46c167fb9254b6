// A line of debug text built in a fixed buffer, so that the hook path can
// report without allocating. Text beyond the buffer is cut off; the line is
// always NUL-terminated.
#pragma once

#include <cstddef>
#include <cstdint>

class DebugLine {
 public:
  static constexpr std::size_t capacity = 128;  // wide characters, NUL included

  DebugLine& text(const wchar_t* s) noexcept {
    while (*s != L'\0') put(*s++);
    return *this;
  }

  // Decimal, with a minus sign when negative (the "%d" form).
  DebugLine& number(std::int64_t value) noexcept {
    wchar_t digits[20];
    std::size_t n = 0;
    // Work with the negative magnitude: it also holds INT64_MIN.
    std::int64_t rest = value < 0 ? value : -value;
    do {
      digits[n++] = static_cast<wchar_t>(L'0' - rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (value < 0) put(L'-');
    while (n > 0) put(digits[--n]);
    return *this;
  }

  const wchar_t* line() const noexcept { return buffer_; }

 private:
  void put(wchar_t c) noexcept {
    if (length_ + 1 < capacity) {
      buffer_[length_++] = c;
      buffer_[length_] = L'\0';
    }
  }

  wchar_t buffer_[capacity] = {};
  std::size_t length_ = 0;
};
