// UTF-8 to and from the platform's wide text (UTF-16 where wchar_t has 16
// bits, UTF-32 where it has 32), for logs, tool output and text files.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Text {

// UTF-8 of wide text. Surrogate pairs are joined; an unpaired surrogate or a
// value beyond U+10FFFF (or a negative one) becomes U+FFFD, so the result is
// always well-formed.
std::string toUtf8(const std::wstring& text);
std::string utf16ToUtf8(std::u16string_view text);
std::string utf32ToUtf8(std::u32string_view text);

// Nothing when `text` is not well-formed UTF-8 (overlong forms, surrogates,
// code points above U+10FFFF and cut sequences are refused).
std::optional<std::wstring> fromUtf8(std::string_view text);

// Never fails: each byte that does not start a well-formed sequence becomes
// one U+FFFD, for text from outside (file names, window titles).
std::wstring fromUtf8Lossy(std::string_view text);

// The code points of UTF-8 text; nothing at the first malformed sequence,
// with `*badOffset` (when given) set to its byte offset.
std::optional<std::u32string> utf8ToUtf32(std::string_view text, std::size_t* badOffset = nullptr);

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// when there is none (also for an empty `text`).
std::size_t utf8SequenceLength(std::string_view text);

}  // namespace Text
