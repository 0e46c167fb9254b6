#include "stroke_parser.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

namespace StrokeText {

namespace {

// Carriage returns separate tokens like spaces and tabs, so CRLF files and a
// stray CR read the same as LF files.
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A diagnostic quotes the offending token; a token of many megabytes or one
// full of control bytes must not flood or garble the terminal.
constexpr std::size_t quotedTokenLimit = 60;  // in bytes

std::string quoteToken(std::string_view token) {
  std::size_t cut = token.size();
  bool truncated = false;
  if (cut > quotedTokenLimit) {
    cut = quotedTokenLimit;
    // Do not split a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(token[cut]) & 0xC0U) == 0x80U) --cut;
    truncated = true;
  }
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t i = 0; i < cut; ++i) {
    const auto byte = static_cast<unsigned char>(token[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20U || byte == 0x7FU) {
      out += "\\x";
      out += hex[byte >> 4U];
      out += hex[byte & 0xFU];
    } else {
      out += static_cast<char>(byte);
    }
  }
  out += truncated ? "...\"" : "\"";
  return out;
}

enum class NumberStatus { ok, bad, outOfRange };

// The whole of `text` must be one number.
NumberStatus parseNumber(std::string_view text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const std::from_chars_result r = std::from_chars(first, last, value);
  if (r.ec == std::errc::result_out_of_range) return NumberStatus::outOfRange;
  if (r.ec != std::errc() || r.ptr != last) return NumberStatus::bad;
  return NumberStatus::ok;
}

// `x,y` or `x,y@t`. Anything else in the token ("1,2,3", "1,2@") is an error.
NumberStatus parsePoint(std::string_view token, Geometry::Point2D& point, double& time) {
  const std::size_t comma = token.find(',');
  std::string_view rest = token.substr(comma + 1);
  std::string_view timeText;
  const std::size_t at = rest.find('@');
  const bool hasTime = at != std::string_view::npos;
  if (hasTime) {
    timeText = rest.substr(at + 1);
    rest = rest.substr(0, at);
  }
  const NumberStatus parts[] = {
      parseNumber(token.substr(0, comma), point.x),
      parseNumber(rest, point.y),
      hasTime ? parseNumber(timeText, time) : NumberStatus::ok,
  };
  if (!hasTime) time = std::numeric_limits<double>::quiet_NaN();
  for (const NumberStatus s : parts) {
    if (s == NumberStatus::bad) return s;
  }
  for (const NumberStatus s : parts) {
    if (s == NumberStatus::outOfRange) return s;
  }
  return NumberStatus::ok;
}

ParsedLine malformed(std::string what) {
  ParsedLine result;
  result.kind = ParsedLine::Kind::malformed;
  result.error = std::move(what);
  return result;
}

}  // namespace

ParsedLine parseLine(std::string_view line) {
  const std::size_t hash = line.find('#');
  if (hash != std::string_view::npos) line = line.substr(0, hash);

  ParsedLine result;
  Stroke& stroke = result.stroke;
  bool firstToken = true;
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && isSeparator(line[pos])) ++pos;
    if (pos == line.size()) break;
    std::size_t end = pos;
    while (end < line.size() && !isSeparator(line[end])) ++end;
    const std::string_view token = line.substr(pos, end - pos);
    pos = end;

    if (token.find(',') == std::string_view::npos) {
      if (firstToken) {
        stroke.hasLabel = true;
        stroke.label = std::string(token);
      } else if (stroke.points.empty()) {
        return malformed("second label " + quoteToken(token));
      } else {
        return malformed("bad point " + quoteToken(token));
      }
    } else {
      Geometry::Point2D point;
      double time = 0.0;
      switch (parsePoint(token, point, time)) {
        case NumberStatus::ok:
          break;
        case NumberStatus::bad:
          return malformed("bad point " + quoteToken(token));
        case NumberStatus::outOfRange:
          return malformed("bad point " + quoteToken(token) + ": number out of range");
      }
      stroke.points.push_back(point);
      stroke.times.push_back(time);
    }
    firstToken = false;
  }
  if (!firstToken) result.kind = ParsedLine::Kind::stroke;
  return result;
}

}  // namespace StrokeText
