// zem-sim: plays scenario files on the simulated phone with ZEM running on it,
// prints what happened and checks the files' expectations.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "scenario_parser.h"
#include "scenario_runner.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr char programName[] = "zem-sim";

constexpr char usageText[] =
    R"(Usage: zem-sim [--verbose | --quiet] FILE...
Play each scenario FILE on the simulated phone with ZEM running on it.

For each file: a header, the phone's event log ("   1234 ms  text"), ZEM's
exit code and a result line (PASS, FAIL or ERROR). Problems are reported as
FILE:LINE: what.

Options:
  -v, --verbose  include the touch entries (samples and pen input) in the log
  -q, --quiet    print only problems and the result lines
  -h, --help     print this help and exit

Exit status: 0 when every expectation of every file was met, 1 when one was
not, 2 on a usage error or when a file could not be read or parsed.
)";

// Appends `text` to `out` in lines of at most 78 columns, each indented.
void wrap(std::string_view text, std::size_t indent, std::string& out) {
  constexpr std::size_t width = 78;
  std::size_t column = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (column > indent && column + 1 + word.size() > width) {
      out += '\n';
      column = 0;
    }
    if (column == 0) {
      out.append(indent, ' ');
      column = indent;
    } else {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
  }
  out += '\n';
}

// The usage and every scenario command, from the parser's command table.
std::string helpText() {
  std::string text = usageText;
  const struct {
    Scenario::Phase phase;
    const char* title;
  } groups[] = {{Scenario::Phase::setup, "Scenario lines before start:"},
                {Scenario::Phase::timeline,
                 "Scenario lines after start (at the current virtual time, 0 at start):"},
                {Scenario::Phase::anywhere, "Scenario lines before or after start:"}};
  for (const auto& group : groups) {
    text += '\n';
    text += group.title;
    text += '\n';
    for (const Scenario::Command& command : Scenario::commands()) {
      if (command.phase != group.phase) continue;
      text += "  " + std::string(command.usage) + '\n';
      wrap(command.description, 6, text);
    }
  }
  return text;
}

enum class Outcome { passed, failed, notRun };

struct Options {
  bool verbose = false;
  bool quiet = false;
  bool help = false;
  std::vector<std::string> files;
};

// Windows translates "\n" to "\r\n" on text-mode streams; the output must be
// the same bytes on every platform.
void useBinaryStandardStreams() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

int usageError(const std::string& what) {
  std::cerr << programName << ": " << what << '\n' << usageText;
  return 2;
}

// Returns an empty text when the arguments are usable, else what is wrong.
std::string parseArguments(int argc, char** argv, Options& options) {
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (onlyFiles || arg.empty() || arg[0] != '-') {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-v" || arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else {
      return "unknown option '" + std::string(arg) + "'";
    }
  }
  if (options.help) return {};
  if (options.verbose && options.quiet) return "--verbose and --quiet exclude each other";
  if (options.files.empty()) return "no scenario file given";
  return {};
}

void reportProblems(const std::string& file, const std::vector<Scenario::Problem>& problems) {
  std::cout.flush();
  for (const auto& problem : problems) {
    std::cerr << file;
    if (problem.line > 0) std::cerr << ':' << problem.line;
    std::cerr << ": " << problem.message << '\n';
  }
  std::cerr.flush();
}

void printLog(const std::vector<EventLog::Entry>& log, bool withTouch) {
  for (const auto& entry : log) {
    if (!withTouch && entry.category == LogCategory::touch) continue;
    std::cout << std::setw(7) << entry.timeMs << " ms  " << entry.text << '\n';
  }
}

Outcome playFile(const std::string& file, const Options& options) {
  if (!options.quiet) std::cout << "== " << file << '\n';
  std::error_code error;
  const bool directory = std::filesystem::is_directory(file, error);
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in && !directory) text << in.rdbuf();
  if (!in || in.bad() || directory) {
    reportProblems(file, {{0, directory ? "is a directory" : "cannot read the file"}});
    std::cout << "ERROR " << file << " (not run)\n";
    return Outcome::notRun;
  }

  const Scenario::ParseResult parsed = Scenario::parseScenario(text.str());
  std::vector<Scenario::Problem> problems = parsed.errors;
  for (auto& problem : Scenario::checkPlayable(parsed.scenario)) problems.push_back(problem);
  std::stable_sort(problems.begin(), problems.end(),
                   [](const auto& a, const auto& b) { return a.line < b.line; });
  if (!problems.empty()) {
    reportProblems(file, problems);
    std::cout << "ERROR " << file << " (not run: " << problems.size()
              << (problems.size() == 1 ? " error" : " errors") << ")\n";
    return Outcome::notRun;
  }

  const Scenario::RunResult result = Scenario::runScenario(parsed.scenario);
  if (!options.quiet) {
    printLog(result.log, options.verbose);
    std::cout << "ZEM exited with " << result.exitCode << '\n';
    if (result.unplayedSteps > 0) {
      std::cout << "(" << result.unplayedSteps
                << " timeline steps came after ZEM had ended and were not played)\n";
    }
  }
  reportProblems(file, result.problems);
  const std::size_t expectations = parsed.scenario.expectations.size();
  if (result.problems.empty()) {
    std::cout << "PASS " << file << " (" << expectations
              << (expectations == 1 ? " expectation" : " expectations") << " met)\n";
    return Outcome::passed;
  }
  std::cout << "FAIL " << file << " (" << result.problems.size()
            << (result.problems.size() == 1 ? " problem" : " problems") << ")\n";
  return Outcome::failed;
}

}  // namespace

int main(int argc, char** argv) {
  useBinaryStandardStreams();
  Options options;
  if (const std::string error = parseArguments(argc, argv, options); !error.empty()) {
    return usageError(error);
  }
  if (options.help) {
    std::cout << helpText();
    return 0;
  }

  std::size_t passed = 0;
  std::size_t failed = 0;
  std::size_t notRun = 0;
  for (const std::string& file : options.files) {
    switch (playFile(file, options)) {
      case Outcome::passed:
        ++passed;
        break;
      case Outcome::failed:
        ++failed;
        break;
      case Outcome::notRun:
        ++notRun;
        break;
    }
    if (!options.quiet && options.files.size() > 1) std::cout << '\n';
  }
  if (options.files.size() > 1) {
    std::cout << options.files.size() << " scenarios: " << passed << " passed, " << failed
              << " failed, " << notRun << " not run\n";
  }
  std::cout.flush();
  if (notRun > 0) return 2;
  return failed > 0 ? 1 : 0;
}
