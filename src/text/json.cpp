#include "text/json.h"

#include "text/utf8.h"

namespace Text {

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
  static constexpr char hex[] = "0123456789abcdef";
  switch (byte) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\b':
      out += "\\b";
      break;
    case '\f':
      out += "\\f";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (byte < 0x20U) {
        out += "\\u00";
        out += hex[byte >> 4U];
        out += hex[byte & 0xFU];
      } else {
        out += static_cast<char>(byte);
      }
  }
}

}  // namespace

std::string jsonString(std::string_view utf8) {
  std::string out = "\"";
  out.reserve(utf8.size() + 2);
  while (!utf8.empty()) {
    const auto byte = static_cast<unsigned char>(utf8[0]);
    std::size_t length = 1;
    if (byte < 0x80U) {
      appendEscaped(out, byte);
    } else if ((length = utf8SequenceLength(utf8)) == 0) {
      out += "\\ufffd";
      length = 1;
    } else {
      out.append(utf8.substr(0, length));
    }
    utf8.remove_prefix(length);
  }
  out += '"';
  return out;
}

}  // namespace Text
