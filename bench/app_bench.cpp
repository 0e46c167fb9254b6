// The whole path on the simulated phone, from the touch driver's samples to
// the injected key: the hook library, the posted messages, the message loop,
// the tracker, the recogniser, gesture completion (picture, binding, command
// word) or the game-pad's areas. ZEM runs as it does on the phone, inside
// GestureApp::run(); the samples are the phone's scheduled events, 10 ms
// apart in virtual time, so the pauses between them and the sleeps of the
// start-up and of showing the game-pad cost nothing. The stopwatch runs from
// the moment the first sample enters the driver until the key-down event
// leaves ZEM (for a swipe that includes its release, whose touch end
// completes the gesture); the set-up and what happens between iterations
// are not timed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/gesture_app.h"
#include "hook/multipoint_sample.h"
#include "platform/sim/sim_phone.h"
#include "ports/input_port.h"
#include "ports/platform.h"
#include "trace/touch_sequence.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t sampleIntervalMs = 10;
constexpr std::uint64_t firstGestureMs = 1500;  // after the start-up's re-arm (1 s)
constexpr std::uint64_t gesturePeriodMs = 800;  // the picture's 500 ms included
constexpr std::uint64_t firstTapMs = 4000;      // the pad is shown and re-armed by 3.3 s
constexpr std::uint64_t tapPeriodMs = 30;

// The phone's key injection, with a stopwatch that stops at the first key
// down after it was started.
class KeyStopwatch : public InputPort {
 public:
  explicit KeyStopwatch(InputPort& inner) : inner_(inner) {}

  void start() {
    running_ = true;
    started_ = Clock::now();
  }
  bool running() const { return running_; }
  // Seconds of the last measurement.
  double seconds() const { return std::chrono::duration<double>(stopped_ - started_).count(); }

  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override {
    if (flags == KeyFlags::down && running_) {
      stopped_ = Clock::now();
      running_ = false;
    }
    inner_.keyEvent(virtualKey, scanCode, flags, extraInfo);
  }
  std::int32_t changeOrientation(const OrientationRequest& request) override {
    return inner_.changeOrientation(request);
  }

 private:
  InputPort& inner_;
  bool running_ = false;
  Clock::time_point started_;
  Clock::time_point stopped_;
};

// One gesture's or tap's samples in the driver's quarter pixels, the
// release (count 0) last.
using Samples = std::vector<MultipointSample>;
using Pixel = TouchSequence::Pixel;

// Two fingers moving at constant speed from a0 and b0 to a1 and b1:
// `moving` samples, then the release.
Samples twoFingerSwipe(int moving, Pixel a0, Pixel a1, Pixel b0, Pixel b1) {
  return TouchSequence().press(a0, b0).move(a1, b1, moving - 1).release().samples();
}

// ZEM on a phone with Notes in front, the input wrapped by the stopwatch.
struct Phone {
  explicit Phone(const std::wstring& gesture, const std::wstring& binding) {
    phone.registry().setString(Registry::currentUser, L"Software\\ZEM", gesture, binding, true);
    phone.setForeground(phone.addApp(L"notes.exe", L"\\Windows\\notes.exe", L"NotesWnd", L"Notes"));
  }

  // Feeds the samples from `atMs` on, one per interval.
  void schedule(std::uint64_t atMs, const Samples& samples) {
    for (const MultipointSample& sample : samples) {
      phone.clock().at(atMs, [this, sample] { phone.touch(sample); });
      atMs += sampleIntervalMs;
    }
  }

  SimPhone phone;
  KeyStopwatch input{phone.input()};
  Platform platform{phone.registry(),  phone.windows(), phone.shell(), input,
                    phone.processes(), phone.clock(),   phone.leds(),  phone.overlayDevice(),
                    phone.debug()};
  GestureApp app{platform};
};

// Drives the benchmark's iterations from the phone's events: each iteration
// feeds its first sample to the driver at once, schedules the rest, and ends
// at the key down. The log is cleared between iterations so that it does not
// grow with them. Returns the total of the timed seconds.
double runIterations(benchmark::State& state, Phone& p, std::uint64_t startMs,
                     std::uint64_t periodMs, const std::function<Samples(std::int64_t)>& samples,
                     const std::function<bool()>& ready) {
  std::int64_t iteration = 0;
  std::int64_t unfinished = 0;
  double totalSeconds = 0.0;
  std::function<void()> next = [&] {
    if (iteration > 0) {
      if (p.input.running()) ++unfinished;  // no key: counts as no time
      const double seconds = p.input.running() ? 0.0 : p.input.seconds();
      totalSeconds += seconds;
      state.SetIterationTime(seconds);
    } else if (!ready()) {
      state.SkipWithError("the phone is not ready");
      return;
    }
    if (!state.KeepRunning()) return;
    const Samples current = samples(iteration++);
    p.phone.log().clear();
    const std::uint64_t now = p.phone.clock().now();
    p.phone.clock().at(now + periodMs, next);
    p.schedule(now + sampleIntervalMs, Samples(current.begin() + 1, current.end()));
    p.input.start();
    p.phone.touch(current.front());
  };
  p.phone.clock().at(startMs, next);
  p.app.run();
  if (unfinished > 0) {
    state.SkipWithError((std::to_string(unfinished) + " iterations injected no key").c_str());
  }
  return totalSeconds;
}

// Nanoseconds per sample over all timed samples.
void countPerSample(benchmark::State& state, double totalSeconds, std::size_t samplesPerIteration) {
  const double samples =
      static_cast<double>(state.iterations()) * static_cast<double>(samplesPerIteration);
  state.counters["samples"] = static_cast<double>(samplesPerIteration);
  if (samples > 0) state.counters["ns_per_sample"] = totalSeconds * 1e9 / samples;
}

// Two fingers swipe right, bound to "right": from the first of the samples
// to the key down of the right arrow.
void appSwipeToKey(benchmark::State& state) {
  const int moving = static_cast<int>(state.range(0));
  Phone p(L"SwipeRightDouble", L"right");
  const Samples swipe = twoFingerSwipe(moving, {90, 330}, {372, 318}, {96, 430}, {380, 421});
  const double seconds = runIterations(
      state, p, firstGestureMs, gesturePeriodMs, [&](std::int64_t) { return swipe; },
      [] { return true; });
  // The release is timed too: its touch end completes the gesture.
  countPerSample(state, seconds, swipe.size());
}
// 60 samples: the same swipe sampled twice as often; the difference to 30
// is the cost of the samples themselves.
BENCHMARK(appSwipeToKey)->Arg(30)->Arg(60)->UseManualTime();

// The game-pad shown (by two fingers swiping down, bound to "controller"):
// one finger lands on the up arrow; from that sample to the key down. The
// finger lands one pixel apart each time, since a touch that starts where
// the last one ended is not reported until it moves.
void appGamepadTouchToKey(benchmark::State& state) {
  Phone p(L"SwipeDownDouble", L"controller");
  p.schedule(firstGestureMs, twoFingerSwipe(30, {180, 220}, {186, 640}, {290, 226}, {300, 648}));
  const double seconds = runIterations(
      state, p, firstTapMs, tapPeriodMs,
      [](std::int64_t i) {
        const double x = (i & 1) != 0 ? 101.0 : 100.0;
        return TouchSequence().press({x, 520.0}).release().samples();
      },
      [&p] { return p.app.mode() == AppMode::controller; });
  countPerSample(state, seconds, 1);
}
BENCHMARK(appGamepadTouchToKey)->UseManualTime();

}  // namespace
