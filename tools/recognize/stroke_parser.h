// Reading strokes written one per line (the input of zem-recognize).
//
// Stroke line: an optional label (a first token without a comma), then points
// `x,y` or `x,y@t` (pixels, optional time in ms), separated by spaces or tabs.
// `#` starts a comment that runs to the end of the line. Numbers are read with
// std::from_chars, so they do not depend on the locale, and "nan" or "inf" are
// numbers like any other (the recogniser answers such a stroke with the
// unknown result).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recognition/geometry.h"

namespace StrokeText {

struct Stroke {
  bool hasLabel = false;
  std::string label;  // the file's bytes as they stand
  Geometry::Path2D points;
  // One entry per point: its time in ms, or NaN where the point has none.
  std::vector<double> times;
};

struct ParsedLine {
  enum class Kind { blank, stroke, malformed };
  Kind kind = Kind::blank;
  Stroke stroke;      // for Kind::stroke
  std::string error;  // for Kind::malformed: what is wrong, e.g. `bad point "1,x"`
};

// One line without its line break; a trailing carriage return is ignored.
ParsedLine parseLine(std::string_view line);

}  // namespace StrokeText
