// Writing recognition results (the output of zem-recognize): tab-separated
// values, JSON lines or an aligned table.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/geometry.h"
#include "recognition/recognizer.h"

namespace StrokeText {

// 17 significant digits ("%.17g" in the C locale): reads back to the same
// double. Independent of the locale and of the C library ("nan", "inf").
std::string formatDouble(double value);

// One output record, without the line break.
std::string tsvHeader();
std::string tsvRecord(std::string_view label, const Gestures::RecognitionResult& result);
// Non-finite numbers become null.
std::string jsonRecord(std::string_view label, const Gestures::RecognitionResult& result);

enum class OutputFormat { tsv, json, table };

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

}  // namespace StrokeText
