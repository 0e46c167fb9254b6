// Wide text as the registry carries it, independent of the platform's width
// of wchar_t (16 bits on Windows, 32 bits on Linux).
//
// Registry string data is UTF-16LE. Converting std::wstring to and from those
// bytes happens here and nowhere else:
//   - 16-bit wchar_t: every character is one code unit, copied unchanged.
//   - 32-bit wchar_t: characters above U+FFFF become surrogate pairs and pairs
//     become one character again. An unpaired surrogate passes through
//     unchanged in both directions (as it does with 16-bit wchar_t), so no
//     text is lost. A character that UTF-16 cannot carry (above U+10FFFF, or
//     negative) is written as U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Text {

// UTF-16LE bytes of `text`, without a terminating NUL.
std::vector<std::uint8_t> toUtf16Bytes(const std::wstring& text);

// The text of the first `byteCount / 2` UTF-16LE code units at `data`; an
// odd last byte is ignored. NUL units are kept.
std::wstring fromUtf16Bytes(const std::uint8_t* data, std::size_t byteCount);

// The number of whole code units at `data` before the first NUL unit, or all
// whole units of `byteCount` when there is none.
std::size_t unitsBeforeNul(const std::uint8_t* data, std::size_t byteCount);

// Code points to UTF-16LE bytes; a value that is no Unicode scalar value
// (a surrogate, above U+10FFFF) becomes U+FFFD.
std::vector<std::uint8_t> utf32ToUtf16Bytes(std::u32string_view text);

// The code points of the UTF-16LE code units at `data` (an odd last byte is
// ignored); nothing when a surrogate is unpaired.
std::optional<std::u32string> utf16BytesToUtf32(const std::uint8_t* data, std::size_t byteCount);

}  // namespace Text
