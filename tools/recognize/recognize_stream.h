// The text side of zem-recognize: reading strokes written one per line and
// writing recognition results as tab-separated values, JSON lines or an
// aligned table.
//
// Stroke line: an optional label (a first token without a comma), then points
// `x,y` or `x,y@t` (pixels, optional time in ms), separated by spaces or tabs.
// `#` starts a comment that runs to the end of the line. Numbers are read with
// std::from_chars, so they do not depend on the locale, and "nan" or "inf" are
// numbers like any other (the recogniser answers such a stroke with the
// unknown result).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/geometry.h"
#include "recognition/recognizer.h"

namespace StrokeText {

struct Stroke {
  bool hasLabel = false;
  std::string label;  // the file's bytes as they stand
  Geometry::Path2D points;
  // One entry per point: its time in ms, or NaN where the point has none.
  std::vector<double> times;
};

struct ParsedLine {
  enum class Kind { Blank, Stroke, Malformed };
  Kind kind = Kind::Blank;
  Stroke stroke;      // for Kind::Stroke
  std::string error;  // for Kind::Malformed: what is wrong, e.g. `bad point "1,x"`
};

// One line without its line break; a trailing carriage return is ignored.
ParsedLine parseLine(std::string_view line);

// 17 significant digits ("%.17g" in the C locale): reads back to the same
// double. Independent of the locale and of the C library ("nan", "inf").
std::string formatDouble(double value);

// One output record, without the line break.
std::string tsvHeader();
std::string tsvRecord(std::string_view label, const Gestures::RecognitionResult& result);
// Non-finite numbers become null.
std::string jsonRecord(std::string_view label, const Gestures::RecognitionResult& result);

enum class OutputFormat { Tsv, Json, Table };

// Writes one record per stroke. The table needs every row to align its
// columns, so it is kept until finish(); the other formats stream.
class ResultWriter {
 public:
  ResultWriter(std::ostream& out, OutputFormat format, bool header);
  void write(std::string_view label, const Gestures::RecognitionResult& result);
  void finish();

 private:
  struct TableRow {
    std::string label;
    std::string name;
    std::int32_t id = 0;
    double score = 0.0;
    std::int32_t bitmapId = 0;
    Geometry::Rect2D bounds;
  };

  std::ostream& out_;
  OutputFormat format_;
  bool header_;
  bool headerWritten_ = false;
  std::vector<TableRow> rows_;
};

// Reads `in` line by line and writes one result per stroke. A malformed line
// is reported on `diagnostics` as `<sourceName>:<line>: <what>` and skipped;
// the other lines are still recognised. A line without a label is written
// under the label `<sourceName>:<line>`. A UTF-8 byte order mark at the start
// of the stream is skipped. Returns false when any line was
// malformed or the stream could not be read to its end.
bool recognizeStream(std::istream& in, std::string_view sourceName,
                     Gestures::Recognizer& recognizer, ResultWriter& writer,
                     std::ostream& diagnostics);

}  // namespace StrokeText
