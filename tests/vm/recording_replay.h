// Writes a recording to a uinput panel frame by frame, keeping its timing
// compressed, and says what a reader of the panel should receive.
#pragma once

#include <cstddef>
#include <vector>

#include "evemu_recording.h"
#include "input_core_model.h"
#include "uinput_device.h"

struct ReplayResult {
  std::vector<ModelEvent> expected;  // what the input core passes on
  std::size_t frames = 0;
  bool written = true;  // every write to uinput succeeded
};

// Waits the recorded gap divided by `speedup` before each frame; a trailing
// frame without SYN_REPORT is left out.
ReplayResult replayRecording(UinputDevice& panel, const EvemuRecording& recording,
                             InputCoreModel& model, double speedup);
