#include "trace/touch_trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace Trace {
namespace {

constexpr std::uint32_t defaultStrokeMs = 300;
constexpr std::uint32_t defaultTapMs = 100;
constexpr std::uint32_t defaultIntervalMs = 10;
// Pixels: a packed touch point carries x in 15 bits and y in 16.
constexpr std::uint32_t maxPixel = 32767;
constexpr std::uint32_t quarterPixelsPerPixel = 4;
// Samples of one stroke or tap; more is a typo, not a gesture.
constexpr std::uint64_t maxSamplesPerTouch = 100000;
// Samples of all strokes and taps together: a few lines must not make a
// trace that no memory holds.
constexpr std::uint64_t maxSamplesPerTrace = 1000000;

struct ParseFailure {
  std::string message;
};

[[noreturn]] void fail(std::string message) { throw ParseFailure{std::move(message)}; }

std::string quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The line without its comment: `#` at the start or after white space.
std::string_view withoutComment(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '#' && (i == 0 || isSpace(line[i - 1]))) return line.substr(0, i);
  }
  return line;
}

// The words of one line.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool atEnd() {
    skipSpace();
    return pos_ >= text_.size();
  }
  std::string_view word() {
    skipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }
  std::string_view peekWord() {
    const std::size_t saved = pos_;
    const std::string_view w = word();
    pos_ = saved;
    return w;
  }
  bool accept(std::string_view keyword) {
    if (peekWord() != keyword) return false;
    word();
    return true;
  }
  std::string_view requireWord(const char* what) {
    const std::string_view w = word();
    if (w.empty()) fail(std::string("missing ") + what);
    return w;
  }
  void requireEnd() {
    if (atEnd()) return;
    std::string_view rest = text_.substr(pos_);
    while (!rest.empty() && isSpace(rest.back())) rest.remove_suffix(1);
    fail("unexpected " + quote(rest));
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Decimal, or hexadecimal after 0x; at most `max`.
std::uint64_t parseUnsigned(std::string_view token, std::uint64_t max, const char* what) {
  const std::string shown = std::string(what) + " " + quote(token);
  unsigned base = 10;
  std::string_view digits = token;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) fail("bad " + shown);
  std::uint64_t value = 0;
  for (const char c : digits) {
    unsigned digit = 0;
    if (isDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      fail("bad " + shown);
    }
    if (value > (max - digit) / base)
      fail(shown + " is too large (at most " + std::to_string(max) + ")");
    value = value * base + digit;
  }
  return value;
}

std::uint32_t parseU32(std::string_view token, const char* what) {
  return static_cast<std::uint32_t>(
      parseUnsigned(token, std::numeric_limits<std::uint32_t>::max(), what));
}

struct Pixel {
  double x = 0.0;
  double y = 0.0;
};

// "X,Y" in whole pixels.
Pixel parsePoint(std::string_view token) {
  const std::size_t comma = token.find(',');
  if (token.empty() || comma == std::string_view::npos || comma == 0 || comma + 1 == token.size() ||
      token.find(',', comma + 1) != std::string_view::npos) {
    fail("bad point " + quote(token) + " (write X,Y in pixels)");
  }
  const auto x = parseUnsigned(token.substr(0, comma), maxPixel, "x");
  const auto y = parseUnsigned(token.substr(comma + 1), maxPixel, "y");
  return {static_cast<double>(x), static_cast<double>(y)};
}

bool looksLikePoint(std::string_view token) { return !token.empty() && isDigit(token[0]); }

// The point at `fraction` (0 to 1) of a polyline's length.
Pixel pointAlong(const std::vector<Pixel>& path, double fraction) {
  double total = 0.0;
  for (std::size_t i = 1; i < path.size(); ++i) {
    total += std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
  }
  if (fraction >= 1.0) return path.back();
  double remaining = fraction * total;
  for (std::size_t i = 1; i < path.size(); ++i) {
    const double length = std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y);
    if (remaining <= length && length > 0.0) {
      const double t = remaining / length;
      return {path[i - 1].x + (path[i].x - path[i - 1].x) * t,
              path[i - 1].y + (path[i].y - path[i - 1].y) * t};
    }
    remaining -= length;
  }
  return path.back();
}

std::uint32_t quarterPixels(double pixels) {
  return static_cast<std::uint32_t>(std::lround(pixels * quarterPixelsPerPixel));
}

// X,Y -> X,Y [-> X,Y ...] [via X,Y ...]
std::vector<Pixel> parsePath(Cursor& cursor) {
  std::vector<Pixel> path{parsePoint(cursor.requireWord("start point"))};
  while (cursor.accept("->")) path.push_back(parsePoint(cursor.requireWord("point after ->")));
  if (path.size() < 2) fail("a finger's path needs X,Y -> X,Y");
  if (cursor.accept("via")) {
    std::vector<Pixel> via;
    while (looksLikePoint(cursor.peekWord())) via.push_back(parsePoint(cursor.word()));
    if (via.empty()) fail("via needs points");
    path.insert(path.end() - 1, via.begin(), via.end());
  }
  return path;
}

void parseTiming(Cursor& cursor, const char* durationWord, std::uint32_t& durationMs,
                 std::uint32_t& intervalMs) {
  bool haveDuration = false;
  bool haveInterval = false;
  while (!cursor.atEnd()) {
    const std::string_view option = cursor.word();
    if (option == durationWord && !haveDuration) {
      durationMs = parseU32(cursor.requireWord("duration"), "duration");
      haveDuration = true;
    } else if (option == "every" && !haveInterval) {
      intervalMs = parseU32(cursor.requireWord("interval"), "interval");
      if (intervalMs == 0) fail("the sample interval must be at least 1 ms");
      haveInterval = true;
    } else {
      fail("unexpected " + quote(option));
    }
  }
  if (durationMs / intervalMs >= maxSamplesPerTouch) {
    fail("more than " + std::to_string(maxSamplesPerTouch) + " samples in one touch");
  }
}

// Samples every interval while the fingers move along their paths, one at
// the end, and the release one interval later.
void addTouch(const std::vector<std::vector<Pixel>>& fingers, std::uint32_t durationMs,
              std::uint32_t intervalMs, int line, const char* whole, std::uint64_t& now,
              std::uint64_t& touchSamples, std::vector<TimedSample>& out) {
  // One every interval before the end, the one at the end and the release.
  const std::uint64_t count = (std::uint64_t{durationMs} + intervalMs - 1) / intervalMs + 2;
  if (count > maxSamplesPerTrace - touchSamples) {
    fail("more than " + std::to_string(maxSamplesPerTrace) + " samples in the " + whole);
  }
  touchSamples += count;
  const std::uint64_t start = now;
  const auto sampleAt = [&](std::uint64_t offset) {
    const double fraction =
        durationMs == 0 ? 1.0 : static_cast<double>(offset) / static_cast<double>(durationMs);
    TimedSample timed;
    timed.timeMs = start + offset;
    timed.line = line;
    MultipointSample& sample = timed.sample;
    sample.pointCount = static_cast<std::uint32_t>(fingers.size());
    const Pixel first = pointAlong(fingers[0], fraction);
    sample.firstX = quarterPixels(first.x);
    sample.firstY = quarterPixels(first.y);
    if (fingers.size() > 1) {
      const Pixel second = pointAlong(fingers[1], fraction);
      sample.secondX = quarterPixels(second.x);
      sample.secondY = quarterPixels(second.y);
    }
    out.push_back(timed);
    return timed;
  };
  for (std::uint64_t offset = 0; offset < durationMs; offset += intervalMs) sampleAt(offset);
  TimedSample release = sampleAt(durationMs);
  release.sample.pointCount = 0;  // the fingers lift where they were
  now = start + durationMs + intervalMs;
  release.timeMs = now;
  out.push_back(release);
}

}  // namespace

bool TraceBuilder::isTraceCommand(std::string_view word) {
  return word == "wait" || word == "sample" || word == "stroke" || word == "tap";
}

std::string TraceBuilder::add(std::string_view command, std::string_view rest, int line) {
  Cursor cursor(rest);
  std::uint64_t now = now_;
  std::uint64_t touchSamples = touchSamples_;
  std::vector<TimedSample> added;
  try {
    if (command == "wait") {
      const auto ms = parseU32(cursor.requireWord("time"), "time");
      cursor.requireEnd();
      now += ms;
    } else if (command == "sample") {
      std::vector<std::uint32_t> numbers;
      while (!cursor.atEnd()) numbers.push_back(parseU32(cursor.word(), "sample value"));
      if (numbers.size() != 1 && numbers.size() != 3 && numbers.size() != 5) {
        fail("write sample COUNT [X1 Y1 [X2 Y2]] in quarter pixels");
      }
      numbers.resize(5, 0);
      TimedSample timed;
      timed.timeMs = now;
      timed.line = line;
      timed.sample.pointCount = numbers[0];
      timed.sample.firstX = numbers[1];
      timed.sample.firstY = numbers[2];
      timed.sample.secondX = numbers[3];
      timed.sample.secondY = numbers[4];
      added.push_back(timed);
    } else if (command == "stroke") {
      std::vector<std::vector<Pixel>> fingers{parsePath(cursor)};
      if (cursor.accept("and")) fingers.push_back(parsePath(cursor));
      std::uint32_t durationMs = defaultStrokeMs;
      std::uint32_t intervalMs = defaultIntervalMs;
      parseTiming(cursor, "in", durationMs, intervalMs);
      addTouch(fingers, durationMs, intervalMs, line, whole_, now, touchSamples, added);
    } else if (command == "tap") {
      const Pixel point = parsePoint(cursor.requireWord("point"));
      std::uint32_t durationMs = defaultTapMs;
      std::uint32_t intervalMs = defaultIntervalMs;
      parseTiming(cursor, "for", durationMs, intervalMs);
      addTouch({{point, point}}, durationMs, intervalMs, line, whole_, now, touchSamples, added);
    } else {
      fail("unknown command " + quote(command));
    }
  } catch (const ParseFailure& failure) {
    return failure.message;
  }
  now_ = now;
  touchSamples_ = touchSamples;
  samples_.insert(samples_.end(), added.begin(), added.end());
  return std::string();
}

std::vector<TimedSample> TraceBuilder::takeSamples() { return std::exchange(samples_, {}); }

ParseResult parseTrace(std::string_view text) {
  ParseResult result;
  TraceBuilder builder;
  int line = 0;
  while (!text.empty()) {
    ++line;
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    std::string_view current = withoutComment(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    while (!current.empty() && isSpace(current.front())) current.remove_prefix(1);
    std::size_t wordEnd = 0;
    while (wordEnd < current.size() && !isSpace(current[wordEnd])) ++wordEnd;
    const std::string_view command = current.substr(0, wordEnd);
    if (command.empty()) continue;
    if (!TraceBuilder::isTraceCommand(command)) {
      result.errors.push_back({line, quote(command) +
                                         " does not belong in a trace (only wait, sample, "
                                         "stroke and tap)"});
      continue;
    }
    std::string problem = builder.add(command, current.substr(wordEnd), line);
    if (!problem.empty()) result.errors.push_back({line, std::move(problem)});
  }
  result.trace.samples = builder.takeSamples();
  result.trace.endTimeMs = builder.now();
  return result;
}

}  // namespace Trace
