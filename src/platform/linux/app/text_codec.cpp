#include "platform/linux/app/text_codec.h"

namespace TextCodec {

namespace {

constexpr char32_t replacement = 0xFFFD;

bool isScalar(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// The length of the sequence led by `lead` and the bits it carries, or 0.
std::size_t sequenceLength(unsigned char lead, char32_t& bits) {
  if (lead < 0x80) {
    bits = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    bits = lead & 0x1Fu;
    return 2;
  }
  if ((lead & 0xF0) == 0xE0) {
    bits = lead & 0x0Fu;
    return 3;
  }
  if ((lead & 0xF8) == 0xF0) {
    bits = lead & 0x07u;
    return 4;
  }
  return 0;
}

// One code point at `pos`; 0 bytes consumed when malformed.
std::size_t decodeOne(const std::string& text, std::size_t pos, char32_t& c) {
  char32_t bits = 0;
  const std::size_t length = sequenceLength(static_cast<unsigned char>(text[pos]), bits);
  if (length == 0 || pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    bits = (bits << 6) | (next & 0x3Fu);
  }
  static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (bits < smallest[length] || !isScalar(bits)) return 0;
  c = bits;
  return length;
}

}  // namespace

bool decodeUtf8(const std::string& text, std::u32string& out, std::size_t& badOffset) {
  out.clear();
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const std::size_t length = decodeOne(text, pos, c);
    if (length == 0) {
      badOffset = pos;
      return false;
    }
    out.push_back(c);
    pos += length;
  }
  return true;
}

void appendUtf8(std::string& out, char32_t c) {
  if (!isScalar(c)) c = replacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string encodeUtf8(const std::u32string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

std::string toUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) appendUtf8(out, static_cast<char32_t>(c));
  return out;
}

std::wstring fromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const std::size_t length = decodeOne(text, pos, c);
    out.push_back(static_cast<wchar_t>(length == 0 ? replacement : c));
    pos += length == 0 ? 1 : length;
  }
  return out;
}

bool decodeUtf16(const std::uint8_t* data, std::size_t byteCount, std::u32string& out) {
  out.clear();
  const std::size_t units = byteCount / 2;
  const auto unit = [data](std::size_t i) {
    return static_cast<char32_t>(data[2 * i] | (data[2 * i + 1] << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      out.push_back(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return false;
    } else {
      out.push_back(u);
    }
  }
  return true;
}

std::vector<std::uint8_t> encodeUtf16(const std::u32string& text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2);
  const auto push = [&out](char32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (char32_t c : text) {
    if (!isScalar(c)) c = replacement;
    if (c >= 0x10000) {
      push(0xD800 + ((c - 0x10000) >> 10));
      push(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      push(c);
    }
  }
  return out;
}

}  // namespace TextCodec
