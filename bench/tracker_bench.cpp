// Cost of the touch tracker's work on the main thread: one touch sample in
// gesture mode (decode, choose the strokes, record both points), one in
// controller mode (decode and dual-touch correction), and the touch end of a
// two-finger gesture, which recognises two 50-point strokes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "capture/touch_tracker.h"
#include "ports/touch_messages.h"
#include "trace/touch_sequence.h"

namespace {

constexpr std::uint32_t oneFinger = 1;  // wParam of a one-finger sample
constexpr int samplesPerSwipe = 50;     // a typical two-finger swipe

using Words = TouchSequence::Message;  // wParam: second point, lParam: first

// Two fingers 100 pixels apart swipe right with a slight wave, as packed words.
std::vector<Words> twoFingerSwipe() {
  TouchSequence touch;
  for (int i = 0; i < samplesPerSwipe; ++i) {
    const double u = static_cast<double>(i) / (samplesPerSwipe - 1);
    const TouchSequence::Pixel p(std::round(40 + 400 * u), std::round(300 + 8 * std::sin(6.0 * u)));
    i == 0 ? touch.press(p, {p.x, p.y + 100}) : touch.move(p, {p.x, p.y + 100});
  }
  return touch.messages();
}

void feed(TouchTracker& t, const std::vector<Words>& touch) {
  for (const Words& w : touch)
    t.touchUpdate(w.wParam, w.lParam, SampleMode::gestures(Screen::upright));
}

// One gesture-mode sample; the strokes are emptied after every 50 samples (a
// touch's length), which the figure includes.
void BM_TouchUpdateGestureMode(benchmark::State& state) {
  TouchTracker t;
  const std::vector<Words> touch = twoFingerSwipe();
  std::size_t i = 0;
  for (auto _ : state) {
    t.touchUpdate(touch[i].wParam, touch[i].lParam, SampleMode::gestures(Screen::upright));
    if (++i == touch.size()) {
      i = 0;
      t.reset();
    }
  }
  benchmark::DoNotOptimize(t.firstStroke().size());
}
BENCHMARK(BM_TouchUpdateGestureMode);

// One controller-mode sample: two fingers within the merge distance on both
// axes near the anchor, so that the correction does all its work.
void BM_TouchUpdateControllerMode(benchmark::State& state) {
  TouchTracker t;
  t.touchUpdate(oneFinger, PackedPoint::pack(100, 700), SampleMode::controller(Screen::upright));
  const std::vector<Words> samples =
      TouchSequence().press({100, 700}, {105, 700}).press({130, 600}, {135, 605}).messages();
  std::size_t i = 0;
  for (auto _ : state) {
    t.touchUpdate(samples[i].wParam, samples[i].lParam, SampleMode::controller(Screen::upright));
    i ^= 1;
    benchmark::DoNotOptimize(t.currentPoint(Finger::second));
  }
}
BENCHMARK(BM_TouchUpdateControllerMode);

// A whole two-finger touch: 50 samples and the touch end that recognises both
// strokes. With BM_TwoFingerSamplesOnly the difference is the touch end.
void BM_TwoFingerTouchWithEnd(benchmark::State& state) {
  TouchTracker t;
  const std::vector<Words> touch = twoFingerSwipe();
  for (auto _ : state) {
    feed(t, touch);
    t.touchEnd(0, {}, {}, SampleMode::gestures(Screen::upright));
    benchmark::DoNotOptimize(t.secondResult().score);
  }
  if (t.gestureResult().id != 13) state.SkipWithError("the swipe was not SwipeRightDouble");
}
BENCHMARK(BM_TwoFingerTouchWithEnd);

void BM_TwoFingerSamplesOnly(benchmark::State& state) {
  TouchTracker t;
  const std::vector<Words> touch = twoFingerSwipe();
  for (auto _ : state) {
    feed(t, touch);
    t.reset();
  }
  benchmark::DoNotOptimize(t.firstStroke().size());
}
BENCHMARK(BM_TwoFingerSamplesOnly);

// The touch end alone; the samples are fed with the timer paused.
void BM_TouchEndTwoStrokes(benchmark::State& state) {
  TouchTracker t;
  const std::vector<Words> touch = twoFingerSwipe();
  for (auto _ : state) {
    state.PauseTiming();
    feed(t, touch);
    state.ResumeTiming();
    t.touchEnd(0, {}, {}, SampleMode::gestures(Screen::upright));
  }
  benchmark::DoNotOptimize(t.secondResult().score);
}
BENCHMARK(BM_TouchEndTwoStrokes);

}  // namespace
