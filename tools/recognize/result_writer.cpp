#include "result_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <system_error>

#include "text/json.h"
#include "text/utf8.h"

namespace StrokeText {

namespace {

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
    case OutputFormat::table:
      rows_.push_back(TableRow{printable(label), Text::toUtf8(result.name), result.id, result.score,
                               result.bitmapId, result.bounds});
      return;
    case OutputFormat::json:
      line = jsonRecord(label, result);
      break;
    case OutputFormat::tsv:
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
  if (format_ == OutputFormat::tsv && header_ && !headerWritten_) {
    out_ << tsvHeader() << '\n';
    headerWritten_ = true;
  }
  if (format_ != OutputFormat::table) {
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

}  // namespace StrokeText
