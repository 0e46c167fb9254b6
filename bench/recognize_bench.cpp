// Cost of recognising one stroke against the built-in gestures: over every
// recorded stroke (tests/data/all-strokes), beside a published recogniser of
// another design on the same strokes (ProtractorPeer); for a real stroke of
// about 50 points (what the touch tracker hands over for a typical gesture)
// and for a 1000-point one (a long, slow gesture); and the growth of
// resampling with the stroke's length.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <cmath>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "protractor_peer.h"
#include "recognition/recognizer.h"
#include "stroke_fixtures.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;
using Gestures::Recognizer;
using StrokeFixtures::RecordedStroke;

constexpr std::size_t typicalPoints = 50;

// The recorded check whose point count is nearest to typicalPoints; an empty
// label when the fixture cannot be read.
const RecordedStroke& typicalStroke() {
  static const RecordedStroke stroke = [] {
    const StrokeFixtures::StrokeFile file = StrokeFixtures::loadStrokeFile(
        std::string(ZEM_TEST_DATA_DIR) + "/strokes/dollar1-check.strokes");
    RecordedStroke best;
    std::size_t bestGap = static_cast<std::size_t>(-1);
    for (const RecordedStroke& s : file.strokes) {
      const std::size_t n = s.points.size();
      const std::size_t gap = n > typicalPoints ? n - typicalPoints : typicalPoints - n;
      if (gap < bestGap) {
        bestGap = gap;
        best = s;
      }
    }
    return best;
  }();
  return stroke;
}

// `count` points spread evenly over the point indices of `path` (at least
// two points), linearly interpolated: the same shape, drawn with more samples.
Path2D densified(const Path2D& path, std::size_t count) {
  Path2D out;
  out.reserve(count);
  const double last = static_cast<double>(path.size() - 1);
  for (std::size_t k = 0; k < count; ++k) {
    const double u = last * static_cast<double>(k) / static_cast<double>(count - 1);
    std::size_t i = static_cast<std::size_t>(u);
    if (i >= path.size() - 1) i = path.size() - 2;
    const double f = u - static_cast<double>(i);
    const Point2D& a = path[i];
    const Point2D& b = path[i + 1];
    out.emplace_back(a.x + f * (b.x - a.x), a.y + f * (b.y - a.y));
  }
  return out;
}

// A long wavy stroke across the screen and back, `count` points.
Path2D wavyStroke(std::size_t count) {
  Path2D out;
  out.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    const double t = static_cast<double>(k) / static_cast<double>(count);
    out.emplace_back(240.0 + 200.0 * std::sin(6.283185307179586 * t),
                     400.0 + 300.0 * std::sin(6.283185307179586 * 37.0 * t));
  }
  return out;
}

void recognizeStroke(benchmark::State& state, const Path2D& stroke, const std::string& label) {
  Recognizer r;
  r.addBuiltInTemplates();
  for (auto _ : state) {
    benchmark::DoNotOptimize(r.recognize(stroke));
  }
  state.SetLabel(label + ", " + std::to_string(stroke.size()) + " points");
}

// Every recorded stroke, in file order (files sorted by name).
const std::vector<Path2D>& allRealStrokes() {
  static const std::vector<Path2D> strokes = [] {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ZEM_TEST_DATA_DIR) + "/all-strokes", ec)) {
      if (entry.path().extension() == ".strokes") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Path2D> all;
    for (const auto& path : files) {
      for (RecordedStroke& s : StrokeFixtures::loadStrokeFile(path.string()).strokes) {
        all.push_back(std::move(s.points));
      }
    }
    return all;
  }();
  return strokes;
}

// One iteration recognises every stroke; "ns_per_stroke" is the figure to
// compare between the two.
template <typename Recognise>
void recognizeAll(benchmark::State& state, Recognise recognise) {
  const std::vector<Path2D>& strokes = allRealStrokes();
  if (strokes.empty()) {
    state.SkipWithError("tests/data/all-strokes cannot be read");
    return;
  }
  for (auto _ : state) {
    for (const Path2D& s : strokes) benchmark::DoNotOptimize(recognise(s));
  }
  const auto count = static_cast<double>(strokes.size());
  state.counters["strokes"] = count;
  state.counters["ns_per_stroke"] = benchmark::Counter(
      count * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RecognizeAllRealStrokes(benchmark::State& state) {
  Recognizer r;
  r.addBuiltInTemplates();
  recognizeAll(state, [&r](const Path2D& s) { return r.recognize(s).id; });
}
BENCHMARK(BM_RecognizeAllRealStrokes)->Unit(benchmark::kMicrosecond);

void BM_ProtractorPeerAllRealStrokes(benchmark::State& state) {
  ProtractorPeer peer;
  recognizeAll(state, [&peer](const Path2D& s) { return peer.recognize(s); });
}
BENCHMARK(BM_ProtractorPeerAllRealStrokes)->Unit(benchmark::kMicrosecond);

void BM_RecognizeRealStroke(benchmark::State& state) {
  const RecordedStroke& s = typicalStroke();
  if (s.points.size() < 2) {
    state.SkipWithError("the fixture dollar1-check.strokes cannot be read");
    return;
  }
  recognizeStroke(state, s.points, s.label);
}
BENCHMARK(BM_RecognizeRealStroke);

void BM_RecognizeDensifiedStroke(benchmark::State& state) {
  const RecordedStroke& s = typicalStroke();
  if (s.points.size() < 2) {
    state.SkipWithError("the fixture dollar1-check.strokes cannot be read");
    return;
  }
  recognizeStroke(state, densified(s.points, static_cast<std::size_t>(state.range(0))),
                  s.label + " densified");
}
BENCHMARK(BM_RecognizeDensifiedStroke)->Arg(1000);

void BM_Resample(benchmark::State& state) {
  const Recognizer r;
  const Path2D stroke = wavyStroke(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(r.resample(stroke));
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Resample)->RangeMultiplier(2)->Range(1 << 10, 1 << 16)->Complexity();

}  // namespace
