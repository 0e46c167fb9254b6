// Comma-separated integers in settings texts ("LockTouch", "ControllerKeys").
//
// The outcome is that of the C format "%d,%d,...,%d" with `count` fields:
// each number may follow blanks (space, tab, CR, LF, VT, FF) and carry a
// sign; each comma must follow its number directly. Scanning stops at the
// first thing that does not fit and leaves every field not reached as it was.
// A number beyond the 32-bit signed range, for which the C function has no
// defined result, is clamped to INT32_MIN or INT32_MAX, so the same text
// always gives the same values. Characters outside ASCII are never digits,
// blanks, signs or commas.
//
// No allocation, no exception and nothing from the C++ runtime (header only;
// the text is read through data() and size()): the hook library, which
// carries no C++ runtime, scans on its attaching thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace Text {

namespace IntegerList {

constexpr bool isBlank(wchar_t c) noexcept {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// One "%d" from position `i` of the `size` characters at `text`; false (and
// `i` unspecified) when no digit follows the optional blanks and sign.
inline bool scanInteger(const wchar_t* text, std::size_t size, std::size_t& i,
                        std::int32_t& value) noexcept {
  while (i < size && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < size && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // Accumulated as a magnitude that stops growing past the range, so any
  // number of digits is safe.
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool anyDigit = false;
  for (; i < size && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    anyDigit = true;
    if (magnitude <= limit) magnitude = magnitude * 10 + (text[i] - L'0');
  }
  if (!anyDigit) return false;
  if (negative) {
    value = static_cast<std::int32_t>(-(magnitude < limit ? magnitude : limit));
  } else {
    value = static_cast<std::int32_t>(magnitude < limit ? magnitude : limit - 1);
  }
  return true;
}

}  // namespace IntegerList

// Returns how many of the `count` fields were scanned.
inline std::size_t scanIntegers(std::wstring_view text, std::int32_t* fields,
                                std::size_t count) noexcept {
  const wchar_t* const chars = text.data();
  const std::size_t size = text.size();
  std::size_t i = 0;
  std::size_t scanned = 0;
  while (scanned < count) {
    if (scanned > 0) {
      if (i >= size || chars[i] != L',') break;
      ++i;
    }
    std::int32_t value = 0;
    if (!IntegerList::scanInteger(chars, size, i, value)) break;
    fields[scanned++] = value;
  }
  return scanned;
}

template <std::size_t Count>
std::size_t scanIntegers(std::wstring_view text, std::array<std::int32_t, Count>& fields) noexcept {
  return scanIntegers(text, fields.data(), Count);
}

}  // namespace Text
