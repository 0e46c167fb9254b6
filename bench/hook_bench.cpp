// Cost of one hook call, the work the touch driver adds to every sample:
// a finger that moves (every call posts, into a port that only counts) and a
// finger that rests (no post).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "counting_hook_port.h"
#include "hook/touch_forwarder.h"
#include "platform/sim/sim_registry.h"
#include "ports/shared_registry.h"
#include "trace/touch_sequence.h"

namespace {

struct Loaded {
  Loaded() {
    registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch, TouchDriverRegistry::wholeScreen);
    library.entryNotification(1);
  }
  SimRegistry registry;
  CountingPort port;
  TouchForwarder library{port, registry};
};

// The finger alternates between two positions: every call posts.
void runMoving(benchmark::State& state, const std::vector<MultipointSample>& positions) {
  Loaded l;
  std::uint32_t i = 0;
  for (auto _ : state) {
    MultipointSample s = positions[i++ & 1u];
    l.library.hook(s);
    benchmark::DoNotOptimize(s);
  }
  state.counters["posts/call"] =
      static_cast<double>(l.port.posts) / static_cast<double>(state.iterations());
}

void hookOneFingerMoving(benchmark::State& state) {
  runMoving(state, TouchSequence().press({100, 400}).press({101, 400}).samples());
}
BENCHMARK(hookOneFingerMoving);

void hookTwoFingersMoving(benchmark::State& state) {
  runMoving(state,
            TouchSequence().press({100, 400}, {300, 500}).press({100, 400}, {301, 500}).samples());
}
BENCHMARK(hookTwoFingersMoving);

void hookOneFingerResting(benchmark::State& state) {
  Loaded l;
  const MultipointSample resting = TouchSequence().press({100, 400}).samples().front();
  for (auto _ : state) {
    MultipointSample s = resting;
    l.library.hook(s);
    benchmark::DoNotOptimize(s);
  }
  state.counters["posts/call"] =
      static_cast<double>(l.port.posts) / static_cast<double>(state.iterations());
}
BENCHMARK(hookOneFingerResting);

}  // namespace
