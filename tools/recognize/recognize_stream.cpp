#include "stroke_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <istream>
#include <limits>
#include <ostream>
#include <system_error>

#include "text/json.h"
#include "text/utf8.h"

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

enum class NumberStatus { Ok, Bad, OutOfRange };

// The whole of `text` must be one number.
NumberStatus parseNumber(std::string_view text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  const std::from_chars_result r = std::from_chars(first, last, value);
  if (r.ec == std::errc::result_out_of_range) return NumberStatus::OutOfRange;
  if (r.ec != std::errc() || r.ptr != last) return NumberStatus::Bad;
  return NumberStatus::Ok;
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
      hasTime ? parseNumber(timeText, time) : NumberStatus::Ok,
  };
  if (!hasTime) time = std::numeric_limits<double>::quiet_NaN();
  for (const NumberStatus s : parts) {
    if (s == NumberStatus::Bad) return s;
  }
  for (const NumberStatus s : parts) {
    if (s == NumberStatus::OutOfRange) return s;
  }
  return NumberStatus::Ok;
}

ParsedLine malformed(std::string what) {
  ParsedLine result;
  result.kind = ParsedLine::Kind::Malformed;
  result.error = std::move(what);
  return result;
}

std::string jsonNumber(double value) { return std::isfinite(value) ? formatDouble(value) : "null"; }

// Columns of the table, counted in code points; control bytes are shown as
// '?' so that a label cannot break the layout.
std::string printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20U || byte == 0x7FU) c = '?';
  }
  return out;
}

std::size_t displayWidth(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
  }));
}

// Fixed decimals for values of a plausible size; anything beyond a billion
// (or not finite) in the short general form rather than hundreds of digits.
std::string tableNumber(double value, int decimals) {
  char buffer[64];
  std::to_chars_result r{};
  if (std::isfinite(value) && std::fabs(value) < 1e9) {
    r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  } else {
    r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  }
  std::string text(buffer, r.ptr);
  // -0.0 and values that round to zero print without a sign.
  if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) {
    text.erase(0, 1);
  }
  return text;
}

void appendPadded(std::string& line, const std::string& cell, std::size_t width, bool right) {
  const std::size_t pad = width - std::min(width, displayWidth(cell));
  if (right) line.append(pad, ' ');
  line += cell;
  if (!right) line.append(pad, ' ');
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
        case NumberStatus::Ok:
          break;
        case NumberStatus::Bad:
          return malformed("bad point " + quoteToken(token));
        case NumberStatus::OutOfRange:
          return malformed("bad point " + quoteToken(token) + ": number out of range");
      }
      stroke.points.push_back(point);
      stroke.times.push_back(time);
    }
    firstToken = false;
  }
  if (!firstToken) result.kind = ParsedLine::Kind::Stroke;
  return result;
}

std::string formatDouble(double value) {
  char buffer[64];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
  return std::string(buffer, r.ptr);
}

std::string tsvHeader() { return "label\tid\tname\tscore\tbitmapId\tx\ty\twidth\theight"; }

std::string tsvRecord(std::string_view label, const Gestures::RecognitionResult& result) {
  std::string line(label);
  const std::string fields[] = {
      std::to_string(result.id),         Text::toUtf8(result.name),
      formatDouble(result.score),        std::to_string(result.bitmapId),
      formatDouble(result.bounds.x),     formatDouble(result.bounds.y),
      formatDouble(result.bounds.width), formatDouble(result.bounds.height),
  };
  for (const std::string& field : fields) {
    line += '\t';
    line += field;
  }
  return line;
}

std::string jsonRecord(std::string_view label, const Gestures::RecognitionResult& result) {
  std::string out = "{\"label\":" + Text::jsonString(label);
  out += ",\"id\":" + std::to_string(result.id);
  out += ",\"name\":" + Text::jsonString(Text::toUtf8(result.name));
  out += ",\"score\":" + jsonNumber(result.score);
  out += ",\"bitmapId\":" + std::to_string(result.bitmapId);
  out += ",\"bounds\":{\"x\":" + jsonNumber(result.bounds.x);
  out += ",\"y\":" + jsonNumber(result.bounds.y);
  out += ",\"width\":" + jsonNumber(result.bounds.width);
  out += ",\"height\":" + jsonNumber(result.bounds.height);
  out += "}}";
  return out;
}

ResultWriter::ResultWriter(std::ostream& out, OutputFormat format, bool header)
    : out_(out), format_(format), header_(header) {}

void ResultWriter::write(std::string_view label, const Gestures::RecognitionResult& result) {
  std::string line;
  switch (format_) {
    case OutputFormat::Table:
      rows_.push_back(TableRow{printable(label), Text::toUtf8(result.name), result.id, result.score,
                               result.bitmapId, result.bounds});
      return;
    case OutputFormat::Json:
      line = jsonRecord(label, result);
      break;
    case OutputFormat::Tsv:
      if (header_ && !headerWritten_) {
        line = tsvHeader() + '\n';
        headerWritten_ = true;
      }
      line += tsvRecord(label, result);
      break;
  }
  line += '\n';
  out_.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void ResultWriter::finish() {
  if (format_ == OutputFormat::Tsv && header_ && !headerWritten_) {
    out_ << tsvHeader() << '\n';
    headerWritten_ = true;
  }
  if (format_ != OutputFormat::Table) {
    out_.flush();
    return;
  }

  constexpr std::size_t columns = 9;
  using Cells = std::vector<std::string>;
  std::vector<Cells> cells;
  cells.reserve(rows_.size() + 1);
  cells.push_back({"LABEL", "NAME", "ID", "SCORE", "PICTURE", "X", "Y", "WIDTH", "HEIGHT"});
  for (const TableRow& row : rows_) {
    // The unknown result has no bounds: its rectangle is the unbounded default.
    const bool known = row.id != 0;
    cells.push_back({row.label, row.name, std::to_string(row.id), tableNumber(row.score, 3),
                     row.bitmapId != 0 ? std::to_string(row.bitmapId) : "-",
                     known ? tableNumber(row.bounds.x, 1) : "-",
                     known ? tableNumber(row.bounds.y, 1) : "-",
                     known ? tableNumber(row.bounds.width, 1) : "-",
                     known ? tableNumber(row.bounds.height, 1) : "-"});
  }
  std::size_t widths[columns] = {};
  for (const Cells& row : cells) {
    for (std::size_t c = 0; c < columns; ++c) widths[c] = std::max(widths[c], displayWidth(row[c]));
  }
  for (const Cells& row : cells) {
    std::string line;
    for (std::size_t c = 0; c < columns; ++c) {
      if (c > 0) line += "  ";
      const bool text = c < 2;  // label and name; the numbers align right
      appendPadded(line, row[c], widths[c], !text);
    }
    line += '\n';
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
  rows_.clear();
  out_.flush();
}

bool recognizeStream(std::istream& in, std::string_view sourceName,
                     Gestures::Recognizer& recognizer, ResultWriter& writer,
                     std::ostream& diagnostics) {
  bool ok = true;
  std::string line;
  std::uint64_t lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    std::string_view text = line;
    // Editors on Windows like to begin a UTF-8 file with a byte order mark.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (lineNumber == 1 && text.substr(0, byteOrderMark.size()) == byteOrderMark) {
      text.remove_prefix(byteOrderMark.size());
    }
    ParsedLine parsed = parseLine(text);
    switch (parsed.kind) {
      case ParsedLine::Kind::Blank:
        break;
      case ParsedLine::Kind::Malformed:
        diagnostics << sourceName << ':' << lineNumber << ": " << parsed.error << '\n';
        ok = false;
        break;
      case ParsedLine::Kind::Stroke: {
        const Gestures::RecognitionResult result =
            recognizer.recognize(std::move(parsed.stroke.points));
        if (parsed.stroke.hasLabel) {
          writer.write(parsed.stroke.label, result);
        } else {
          writer.write(std::string(sourceName) + ':' + std::to_string(lineNumber), result);
        }
        break;
      }
    }
  }
  if (in.bad()) {
    diagnostics << sourceName << ':' << (lineNumber + 1) << ": read error\n";
    ok = false;
  }
  return ok;
}

}  // namespace StrokeText
