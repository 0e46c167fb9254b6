// Cost per frame of a real touch panel's recording on its way to ZEM: the
// frame assembly alone, and assembly, the hook's forwarder (posting into a
// port that only counts) and the clone's events together. Half the screen
// passes, so frames are both passed on and withheld.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "counting_hook_port.h"
#include "platform/linux/panel/clone_writer.h"
#include "platform/linux/panel/evemu_reader.h"
#include "platform/linux/panel/frame_assembler.h"
#include "platform/linux/panel/touch_pipeline.h"
#include "platform/sim/sim_registry.h"
#include "ports/shared_registry.h"

namespace {

const EvemuRecording& recording() {
  static const EvemuRecording r = [] {
    EvemuRecording read;
    readEvemuFile(std::string(ZEM_TEST_DATA_DIR) + "/evdev/EP0430M09.4-finger-drag-down.events",
                  read);
    return read;
  }();
  return r;
}

void perFrame(benchmark::State& state, std::int64_t frames) {
  state.counters["frame"] = benchmark::Counter(
      static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AssembleFrames(benchmark::State& state) {
  const EvemuRecording& r = recording();
  std::int64_t frames = 0;
  // Every recording ends with all fingers lifted: the next round starts clean.
  FrameAssembler assembler(r.description);
  for (auto _ : state) {
    for (const PanelEvent& e : r.events) {
      if (assembler.push(e)) {
        benchmark::DoNotOptimize(assembler.frame().sample);
        ++frames;
      }
    }
  }
  perFrame(state, frames);
}
BENCHMARK(BM_AssembleFrames);

void BM_FrameToPostsAndClone(benchmark::State& state) {
  const EvemuRecording& r = recording();
  SimRegistry registry;
  registry.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                    TouchDriverRegistry::multiTouchDemo, 1);
  registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                     TouchDriverRegistry::lockTouch, L"0,0,480,540");
  CountingPort port;
  TouchPipeline pipeline(registry, port);
  pipeline.readSwitch();
  std::vector<CloneEvent> events;
  std::int64_t frames = 0;
  std::int64_t written = 0;
  FrameAssembler assembler(r.description);
  CloneWriter writer(cloneDescription(r.description, assembler.slotCount()));
  for (auto _ : state) {
    for (const PanelEvent& e : r.events) {
      if (!assembler.push(e)) continue;
      const bool passed = pipeline.decide(assembler.frame());
      writer.frame(assembler, assembler.frame(), passed, events);
      written += static_cast<std::int64_t>(events.size());
      ++frames;
    }
  }
  perFrame(state, frames);
  state.counters["posts/frame"] = static_cast<double>(port.posts) / static_cast<double>(frames);
  state.counters["clone events/frame"] = static_cast<double>(written) / static_cast<double>(frames);
}
BENCHMARK(BM_FrameToPostsAndClone);

}  // namespace
