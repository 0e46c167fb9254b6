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
// No allocation and no exception: the hook library scans on its attaching
// thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Text {

// Returns how many of the `count` fields were scanned.
std::size_t scanIntegers(std::wstring_view text, std::int32_t* fields, std::size_t count) noexcept;

template <std::size_t Count>
std::size_t scanIntegers(std::wstring_view text, std::array<std::int32_t, Count>& fields) noexcept {
  return scanIntegers(text, fields.data(), Count);
}

}  // namespace Text
