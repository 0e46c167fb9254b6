#include "text/utf16.h"

#include <type_traits>

namespace Text {

namespace {

constexpr bool wideIsUtf16 = sizeof(wchar_t) == 2;
constexpr std::uint32_t replacementCharacter = 0xFFFD;

bool isHighSurrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::uint32_t unitAt(const std::uint8_t* data, std::size_t index) {
  return static_cast<std::uint32_t>(data[2 * index]) |
         (static_cast<std::uint32_t>(data[2 * index + 1]) << 8);
}

void appendUnit(std::vector<std::uint8_t>& bytes, std::uint32_t unit) {
  bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

// The character's bits as an unsigned number (a negative 32-bit wchar_t
// becomes a value far above U+10FFFF).
std::uint32_t codeOf(wchar_t c) { return static_cast<std::make_unsigned_t<wchar_t>>(c); }

}  // namespace

std::vector<std::uint8_t> toUtf16Bytes(const std::wstring& text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 * text.size());
  for (const wchar_t c : text) {
    // A 16-bit wchar_t is always one code unit; a negative 32-bit one becomes
    // a value far above U+10FFFF.
    const std::uint32_t code = codeOf(c);
    if (code <= 0xFFFF) {
      appendUnit(bytes, code);
    } else if (code <= 0x10FFFF) {
      const std::uint32_t offset = code - 0x10000;
      appendUnit(bytes, 0xD800 | (offset >> 10));
      appendUnit(bytes, 0xDC00 | (offset & 0x3FF));
    } else {
      appendUnit(bytes, replacementCharacter);
    }
  }
  return bytes;
}

std::wstring fromUtf16Bytes(const std::uint8_t* data, std::size_t byteCount) {
  const std::size_t units = byteCount / 2;
  std::wstring text;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = unitAt(data, i);
    if (!wideIsUtf16 && isHighSurrogate(unit) && i + 1 < units &&
        isLowSurrogate(unitAt(data, i + 1))) {
      const std::uint32_t low = unitAt(data, ++i);
      text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
    } else {
      text.push_back(static_cast<wchar_t>(unit));
    }
  }
  return text;
}

std::vector<std::uint8_t> utf32ToUtf16Bytes(std::u32string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(2 * text.size());
  for (char32_t c : text) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = replacementCharacter;
    if (c >= 0x10000) {
      appendUnit(bytes, 0xD800 | ((c - 0x10000) >> 10));
      appendUnit(bytes, 0xDC00 | ((c - 0x10000) & 0x3FF));
    } else {
      appendUnit(bytes, c);
    }
  }
  return bytes;
}

std::optional<std::u32string> utf16BytesToUtf32(const std::uint8_t* data, std::size_t byteCount) {
  const std::size_t units = byteCount / 2;
  std::u32string text;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = unitAt(data, i);
    if (isHighSurrogate(unit) && i + 1 < units && isLowSurrogate(unitAt(data, i + 1))) {
      const std::uint32_t low = unitAt(data, ++i);
      text.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      return std::nullopt;
    } else {
      text.push_back(unit);
    }
  }
  return text;
}

std::size_t unitsBeforeNul(const std::uint8_t* data, std::size_t byteCount) {
  const std::size_t units = byteCount / 2;
  std::size_t count = 0;
  while (count < units && unitAt(data, count) != 0) ++count;
  return count;
}

}  // namespace Text
