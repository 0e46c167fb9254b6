#include "stroke_fixtures.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>

#include "stroke_parser.h"

namespace StrokeFixtures {

StrokeFile loadStrokeFile(const std::string& path) {
  StrokeFile file;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    file.error = path + ": cannot be opened";
    return file;
  }
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    StrokeText::ParsedLine parsed = StrokeText::parseLine(line);
    if (parsed.kind == StrokeText::ParsedLine::Kind::blank) continue;
    const std::string where = path + ":" + std::to_string(lineNumber) + ": ";
    if (parsed.kind == StrokeText::ParsedLine::Kind::malformed) {
      file.error = where + parsed.error;
      return file;
    }
    if (!parsed.stroke.hasLabel) {
      file.error = where + "stroke without a label";
      return file;
    }
    file.strokes.push_back(RecordedStroke{std::move(parsed.stroke.label),
                                          std::move(parsed.stroke.points),
                                          std::move(parsed.stroke.times)});
  }
  if (in.bad()) file.error = path + ": read error";
  return file;
}

RecordedStroke mirrored(const RecordedStroke& stroke) {
  RecordedStroke out = stroke;
  for (Geometry::Point2D& p : out.points) p.x = -p.x;
  return out;
}

RecordedStroke turned(const RecordedStroke& stroke, int quarterTurns) {
  const int turns = ((quarterTurns % 4) + 4) % 4;
  RecordedStroke out = stroke;
  for (Geometry::Point2D& p : out.points) {
    for (int i = 0; i < turns; ++i) Geometry::rotateQuarterTurn(p);
  }
  return out;
}

RecordedStroke reversed(const RecordedStroke& stroke) {
  RecordedStroke out = stroke;
  std::reverse(out.points.begin(), out.points.end());
  std::reverse(out.times.begin(), out.times.end());
  if (!out.times.empty()) {
    const double end = out.times.front();
    for (double& t : out.times) t = end - t;
  }
  return out;
}

}  // namespace StrokeFixtures
