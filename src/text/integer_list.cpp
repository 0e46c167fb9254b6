#include "text/integer_list.h"

#include <limits>

namespace Text {

namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// One "%d" from position `i`; false (and `i` unspecified) when no digit
// follows the optional blanks and sign.
bool scanInteger(std::wstring_view text, std::size_t& i, std::int32_t& value) {
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // Accumulated as a magnitude that stops growing past the range, so any
  // number of digits is safe.
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool anyDigit = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
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

}  // namespace

std::size_t scanIntegers(std::wstring_view text, std::int32_t* fields, std::size_t count) noexcept {
  std::size_t i = 0;
  std::size_t scanned = 0;
  while (scanned < count) {
    if (scanned > 0) {
      if (i >= text.size() || text[i] != L',') break;
      ++i;
    }
    std::int32_t value = 0;
    if (!scanInteger(text, i, value)) break;
    fields[scanned++] = value;
  }
  return scanned;
}

}  // namespace Text
