// zem-recognize's loop: strokes read from a stream (stroke_parser.h) go
// through the recogniser, and each result to a writer (result_writer.h).
#pragma once

#include <iosfwd>
#include <string_view>

#include "recognition/recognizer.h"
#include "result_writer.h"

namespace StrokeText {

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
