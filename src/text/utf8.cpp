#include "text/utf8.h"

#include <cstdint>

namespace Text {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || isSurrogate(c)) c = replacementCharacter;
  const auto byte = [&out](char32_t b) { out.push_back(static_cast<char>(b)); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | (c >> 6));
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | (c >> 12));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | (c >> 18));
    byte(0x80 | ((c >> 12) & 0x3F));
    byte(0x80 | ((c >> 6) & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

void appendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      const char32_t offset = c - 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (offset >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (offset & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(c));
}

// The sequence at the start of `text` (not empty): its length and code
// point, or length 0 when it is not well-formed.
struct Decoded {
  std::size_t length = 0;
  char32_t code = 0;
};

Decoded decode(std::string_view text) {
  const auto lead = static_cast<std::uint8_t>(text[0]);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) return {1, lead};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07u, minimum = 0x10000;
  } else {
    return {};
  }
  if (text.size() < length) return {};
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<std::uint8_t>(text[k]);
    if ((next & 0xC0u) != 0x80u) return {};
    c = (c << 6) | (next & 0x3Fu);
  }
  if (c < minimum || c > 0x10FFFF || isSurrogate(c)) return {};
  return {length, c};
}

}  // namespace

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    }
    appendUtf8(out, c);  // a surrogate left unpaired becomes U+FFFD there
  }
  return out;
}

std::string utf32ToUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

std::string toUtf8(const std::wstring& text) {
  if constexpr (sizeof(wchar_t) == 2) {
    std::u16string units;
    units.reserve(text.size());
    for (const wchar_t c : text) units += static_cast<char16_t>(c);
    return utf16ToUtf8(units);
  } else {
    std::u32string units;
    units.reserve(text.size());
    for (const wchar_t c : text) units += static_cast<char32_t>(c);
    return utf32ToUtf8(units);
  }
}

std::optional<std::wstring> fromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  while (!text.empty()) {
    const Decoded d = decode(text);
    if (d.length == 0) return std::nullopt;
    appendWide(out, d.code);
    text.remove_prefix(d.length);
  }
  return out;
}

std::wstring fromUtf8Lossy(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  while (!text.empty()) {
    const Decoded d = decode(text);
    appendWide(out, d.length == 0 ? replacementCharacter : d.code);
    text.remove_prefix(d.length == 0 ? 1 : d.length);
  }
  return out;
}

std::optional<std::u32string> utf8ToUtf32(std::string_view text, std::size_t* badOffset) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t offset = 0; offset < text.size();) {
    const Decoded d = decode(text.substr(offset));
    if (d.length == 0) {
      if (badOffset != nullptr) *badOffset = offset;
      return std::nullopt;
    }
    out.push_back(d.code);
    offset += d.length;
  }
  return out;
}

std::size_t utf8SequenceLength(std::string_view text) {
  return text.empty() ? 0 : decode(text).length;
}

}  // namespace Text
