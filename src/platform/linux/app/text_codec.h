// Text at the edges of the Linux program: UTF-8 (files, paths, arguments,
// log lines), UTF-16LE (registry data, settings files saved by Windows) and
// the program's wide strings (32-bit wchar_t here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace TextCodec {

// The code points of UTF-8 text; false at the first malformed sequence
// (overlong forms, surrogates and values above U+10FFFF are malformed), with
// `badOffset` set to its byte offset.
bool decodeUtf8(const std::string& text, std::u32string& out, std::size_t& badOffset);

std::string encodeUtf8(const std::u32string& text);
void appendUtf8(std::string& out, char32_t c);

// Wide text to UTF-8; a character that is no Unicode scalar value becomes
// U+FFFD.
std::string toUtf8(const std::wstring& text);
// UTF-8 to wide text; malformed bytes become U+FFFD each.
std::wstring fromUtf8(const std::string& text);

// UTF-16LE code units to code points; false when a surrogate is unpaired.
bool decodeUtf16(const std::uint8_t* data, std::size_t byteCount, std::u32string& out);
std::vector<std::uint8_t> encodeUtf16(const std::u32string& text);

}  // namespace TextCodec
