#include "recording_replay.h"

#include <algorithm>
#include <chrono>
#include <thread>

ReplayResult replayRecording(UinputDevice& panel, const EvemuRecording& recording,
                             InputCoreModel& model, double speedup) {
  ReplayResult result;
  std::vector<input_event> frame;
  std::int64_t previousUs = recording.events.empty() ? 0 : recording.events.front().timeUs;
  for (const EvemuEvent& e : recording.events) {
    frame.push_back(makeEvent(e.type, e.code, e.value));
    std::vector<ModelEvent> passed = model.write({e.type, e.code, e.value});
    result.expected.insert(result.expected.end(), passed.begin(), passed.end());
    if (e.type != EV_SYN || e.code != SYN_REPORT) continue;
    const auto gapUs = static_cast<double>(std::max<std::int64_t>(0, e.timeUs - previousUs));
    previousUs = e.timeUs;
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(gapUs / speedup)));
    result.written = panel.write(frame) && result.written;
    frame.clear();
    ++result.frames;
  }
  return result;
}
