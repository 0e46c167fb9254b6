#include "trace/touch_trace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "trace/line_lexer.h"
#include "trace/touch_sequence.h"

namespace Trace {
namespace {

constexpr std::uint32_t defaultStrokeMs = 300;
constexpr std::uint32_t defaultTapMs = 100;
constexpr std::uint32_t defaultIntervalMs = 10;
// Pixels: a packed touch point carries x in 15 bits and y in 16.
constexpr std::uint32_t maxPixel = 32767;
// Samples of one stroke or tap; more is a typo, not a gesture.
constexpr std::uint64_t maxSamplesPerTouch = 100000;
// Samples of all strokes and taps together: a few lines must not make a
// trace that no memory holds.
constexpr std::uint64_t maxSamplesPerTrace = 1000000;

using Lexer::Cursor;
using Lexer::fail;
using Lexer::parseU32;
using Lexer::parseUnsigned;
using Lexer::quote;
using Pixel = TouchSequence::Pixel;

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

bool looksLikePoint(std::string_view token) { return !token.empty() && Lexer::isDigit(token[0]); }

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

// What one line adds: its samples from the current time on, which it moves
// on. Nothing of it is kept when the line turns out bad.
struct LineState {
  int line = 0;
  const char* whole = "trace";
  std::uint64_t now = 0;
  std::uint64_t touchSamples = 0;
  std::vector<TimedSample> added;
};

// Samples every interval while the fingers move along their paths, one at
// the end, and the release one interval later.
void addTouch(const std::vector<std::vector<Pixel>>& fingers, std::uint32_t durationMs,
              std::uint32_t intervalMs, LineState& state) {
  // One every interval before the end, the one at the end and the release.
  const std::uint64_t count = (std::uint64_t{durationMs} + intervalMs - 1) / intervalMs + 2;
  if (count > maxSamplesPerTrace - state.touchSamples) {
    fail("more than " + std::to_string(maxSamplesPerTrace) + " samples in the " + state.whole);
  }
  state.touchSamples += count;
  std::vector<std::uint64_t> offsets;
  for (std::uint64_t offset = 0; offset < durationMs; offset += intervalMs) {
    offsets.push_back(offset);
  }
  offsets.push_back(durationMs);
  TouchSequence touch;
  for (const std::uint64_t offset : offsets) {
    const double fraction =
        durationMs == 0 ? 1.0 : static_cast<double>(offset) / static_cast<double>(durationMs);
    const Pixel first = pointAlong(fingers[0], fraction);
    const Pixel second = fingers.size() > 1 ? pointAlong(fingers[1], fraction) : Pixel{};
    if (touch.frames().empty()) {
      fingers.size() > 1 ? touch.press(first, second) : touch.press(first);
    } else {
      touch.move(first, second);
    }
  }
  touch.release();  // the fingers lift where they were
  const std::uint64_t start = state.now;
  state.now = start + durationMs + intervalMs;
  offsets.push_back(state.now - start);
  const std::vector<MultipointSample> samples = touch.samples();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    state.added.push_back({start + offsets[i], state.line, samples[i]});
  }
}

void addWait(Cursor& cursor, LineState& state) {
  const auto ms = parseU32(cursor.requireWord("time"), "time");
  cursor.requireEnd();
  state.now += ms;
}

void addSample(Cursor& cursor, LineState& state) {
  std::vector<std::uint32_t> numbers;
  while (!cursor.atEnd()) numbers.push_back(parseU32(cursor.word(), "sample value"));
  if (numbers.size() != 1 && numbers.size() != 3 && numbers.size() != 5) {
    fail("write sample COUNT [X1 Y1 [X2 Y2]] in quarter pixels");
  }
  numbers.resize(5, 0);
  TimedSample timed;
  timed.timeMs = state.now;
  timed.line = state.line;
  timed.sample.pointCount = numbers[0];
  timed.sample.firstX = numbers[1];
  timed.sample.firstY = numbers[2];
  timed.sample.secondX = numbers[3];
  timed.sample.secondY = numbers[4];
  state.added.push_back(timed);
}

void addStroke(Cursor& cursor, LineState& state) {
  std::vector<std::vector<Pixel>> fingers{parsePath(cursor)};
  if (cursor.accept("and")) fingers.push_back(parsePath(cursor));
  std::uint32_t durationMs = defaultStrokeMs;
  std::uint32_t intervalMs = defaultIntervalMs;
  parseTiming(cursor, "in", durationMs, intervalMs);
  addTouch(fingers, durationMs, intervalMs, state);
}

void addTap(Cursor& cursor, LineState& state) {
  const Pixel point = parsePoint(cursor.requireWord("point"));
  std::uint32_t durationMs = defaultTapMs;
  std::uint32_t intervalMs = defaultIntervalMs;
  parseTiming(cursor, "for", durationMs, intervalMs);
  addTouch({{point, point}}, durationMs, intervalMs, state);
}

// The command table: each command with its syntax and what reads its line.
struct Entry {
  TraceBuilder::Command command;
  void (*add)(Cursor& cursor, LineState& state);
};

const std::vector<Entry>& table() {
  static const std::vector<Entry> entries{
      {{"wait", "wait MS", "the time moves on"}, addWait},
      {{"sample", "sample COUNT [X1 Y1 [X2 Y2]]", "a raw driver sample, in quarter pixels"},
       addSample},
      {{"stroke", "stroke PATH [and PATH] [in MS] [every MS]",
        "PATH: X,Y -> X,Y [-> X,Y ...] [via X,Y ...]; via points lie between the first and the "
        "last point. Each finger moves at constant speed along its path for the duration "
        "(default 300 ms): a sample every interval (default 10 ms) and one at the end, then a "
        "release sample (count 0) one interval later, which is the new current time."},
       addStroke},
      {{"tap", "tap X,Y [for MS] [every MS]",
        "a finger held still (default 100 ms), sampled like a stroke"},
       addTap},
  };
  return entries;
}

const Entry* find(std::string_view command) {
  for (const Entry& entry : table()) {
    if (entry.command.name == command) return &entry;
  }
  return nullptr;
}

}  // namespace

const std::vector<TraceBuilder::Command>& TraceBuilder::commands() {
  static const std::vector<Command> list = [] {
    std::vector<Command> commands;
    for (const Entry& entry : table()) commands.push_back(entry.command);
    return commands;
  }();
  return list;
}

bool TraceBuilder::isTraceCommand(std::string_view word) { return find(word) != nullptr; }

std::string TraceBuilder::add(std::string_view command, std::string_view rest, int line) {
  Cursor cursor(rest);
  LineState state{line, whole_, now_, touchSamples_, {}};
  try {
    const Entry* entry = find(command);
    if (entry == nullptr) fail("unknown command " + quote(command));
    entry->add(cursor, state);
  } catch (const Lexer::SyntaxError& failure) {
    return failure.message;
  }
  now_ = state.now;
  touchSamples_ = state.touchSamples;
  samples_.insert(samples_.end(), state.added.begin(), state.added.end());
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
    Cursor cursor(Lexer::withoutComment(text.substr(0, end), Lexer::Quotes::plain));
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::string_view command = cursor.word();
    if (command.empty()) continue;
    if (!TraceBuilder::isTraceCommand(command)) {
      const auto& commands = TraceBuilder::commands();
      std::string names(commands.front().name);
      for (std::size_t i = 1; i < commands.size(); ++i) {
        names += (i + 1 == commands.size() ? " and " : ", ") + std::string(commands[i].name);
      }
      result.errors.push_back(
          {line, quote(command) + " does not belong in a trace (only " + names + ")"});
      continue;
    }
    std::string problem = builder.add(command, cursor.rest(), line);
    if (!problem.empty()) result.errors.push_back({line, std::move(problem)});
  }
  result.trace.samples = builder.takeSamples();
  result.trace.endTimeMs = builder.now();
  return result;
}

}  // namespace Trace
