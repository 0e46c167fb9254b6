// zem-recognize: recognises strokes written one per line against the built-in
// gestures and prints one result per stroke.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/recognizer.h"
#include "recognize_stream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr char programName[] = "zem-recognize";

constexpr char usageText[] =
    R"(Usage: zem-recognize [OPTION]... [FILE]...
Recognise strokes, one per line, against the built-in gestures.
With no FILE, or when FILE is -, read standard input.

Input line:  [LABEL] X,Y[@T] X,Y[@T] ...
  X and Y in pixels (y downwards), T in ms; '#' starts a comment.

Output, one line per stroke, tab-separated:
  label  id  name  score  bitmapId  x  y  width  height
Numbers carry 17 significant digits. A line without a label is
labelled FILE:LINE ('-' for standard input).

Options:
      --header  begin the tab-separated output with a header line
      --json    one JSON object per stroke instead (non-finite numbers: null)
      --table   an aligned table for reading instead
  -h, --help    print this help and exit
      --        every following argument is a file

Exit status: 0 when every line was recognised, 1 when a line was malformed
or a file could not be read (the rest is still processed), 2 on a usage error.
)";

// Windows translates "\n" to "\r\n" on text-mode streams and stops reading at
// Ctrl+Z; the output must be the same bytes on every platform.
void useBinaryStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
}

int usageError(const std::string& what) {
  std::cerr << programName << ": " << what << '\n' << usageText;
  return 2;
}

struct Options {
  StrokeText::OutputFormat format = StrokeText::OutputFormat::tsv;
  bool header = false;
  bool json = false;
  bool table = false;
  bool help = false;
  std::vector<std::string> files;
};

// Returns an empty text when the arguments are usable, else what is wrong.
std::string parseArguments(int argc, char** argv, Options& options) {
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--header") {
      options.header = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--table") {
      options.table = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else {
      return "unknown option '" + std::string(arg) + "'";
    }
  }
  if (options.json && options.table) return "--json and --table exclude each other";
  if (options.json && options.header) return "--header applies to the tab-separated output only";
  if (options.json) options.format = StrokeText::OutputFormat::json;
  if (options.table) options.format = StrokeText::OutputFormat::table;
  if (options.files.empty()) options.files.emplace_back("-");
  return {};
}

bool processFile(const std::string& file, Gestures::Recognizer& recognizer,
                 StrokeText::ResultWriter& writer) {
  if (file == "-") {
    return StrokeText::recognizeStream(std::cin, "-", recognizer, writer, std::cerr);
  }
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    std::cerr << programName << ": " << file << ": is a directory\n";
    return false;
  }
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    const int error = errno;
    std::cerr << programName << ": " << file << ": cannot open";
    if (error != 0) std::cerr << " (" << std::strerror(error) << ')';
    std::cerr << '\n';
    return false;
  }
  return StrokeText::recognizeStream(in, file, recognizer, writer, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  useBinaryStandardStreams();

  Options options;
  const std::string problem = parseArguments(argc, argv, options);
  if (!problem.empty()) return usageError(problem);
  if (options.help) {
    std::cout << usageText;
    return std::cout.flush() ? 0 : 1;
  }

  // The templates are registered once for the whole run.
  Gestures::Recognizer recognizer;
  recognizer.addBuiltInTemplates();

  StrokeText::ResultWriter writer(std::cout, options.format, options.header);
  bool ok = true;
  for (const std::string& file : options.files) {
    ok = processFile(file, recognizer, writer) && ok;
  }
  writer.finish();
  if (!std::cout.flush()) {
    std::cerr << programName << ": cannot write the results\n";
    return 1;
  }
  return ok ? 0 : 1;
}
