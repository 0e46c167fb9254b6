// Recorded strokes for tests and benchmarks: reading a strokes file (one
// stroke per line, `LABEL x,y@t x,y@t ...`, pixels with y downwards, t in ms
// from the stroke's first point) and the transformations that turn one
// recorded shape into its relatives (a right swipe into a left or vertical
// one, a counter-clockwise rectangle into a clockwise one).
#pragma once

#include <string>
#include <vector>

#include "recognition/geometry.h"

namespace StrokeFixtures {

struct RecordedStroke {
  std::string label;        // such as "s02-fast-rectangle01"
  Geometry::Path2D points;  // screen pixels as recorded
  // One entry per point, in ms from the first point; NaN where the file gives
  // no time.
  std::vector<double> times;
};

struct StrokeFile {
  std::vector<RecordedStroke> strokes;  // in file order
  // Empty when the whole file was read; otherwise the first problem, as
  // `<path>:<line>: <what>` or `<path>: cannot be opened`.
  std::string error;

  bool ok() const { return error.empty(); }
};

// Reads every stroke of the file. Blank lines and `#` comments are skipped;
// each stroke line must start with a label. On the first malformed line the
// strokes read so far are kept and `error` names the line.
StrokeFile loadStrokeFile(const std::string& path);

// x -> -x: a left-to-right stroke becomes a right-to-left one. Times stay.
RecordedStroke mirrored(const RecordedStroke& stroke);

// `quarterTurns` times Geometry::rotateQuarterTurn on every point (negative
// counts turn the other way): one turn makes a rightward stroke point up on
// screen, three turns make it point down. Times stay.
RecordedStroke turned(const RecordedStroke& stroke, int quarterTurns);

// The points in reverse drawing order, with times that again start at 0 and
// keep the recorded gaps between points.
RecordedStroke reversed(const RecordedStroke& stroke);

}  // namespace StrokeFixtures
