#include "recognize_stream.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <utility>

#include "stroke_parser.h"

namespace StrokeText {

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
      case ParsedLine::Kind::blank:
        break;
      case ParsedLine::Kind::malformed:
        diagnostics << sourceName << ':' << lineNumber << ": " << parsed.error << '\n';
        ok = false;
        break;
      case ParsedLine::Kind::stroke: {
        const Gestures::RecognitionResult result = recognizer.recognize(parsed.stroke.points);
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
