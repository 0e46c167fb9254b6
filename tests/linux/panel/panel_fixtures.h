// Panels and recordings for the panel tests: a small protocol-B panel built
// in code, a way to write its events, and the real recordings under
// tests/data/evdev.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/panel/evemu_reader.h"
#include "platform/linux/panel/frame_assembler.h"

namespace PanelFixtures {

// A direct-touch panel with `slots` slots, x in [0, xMax], y in [0, yMax].
PanelDescription slotPanel(int slots = 5, int xMax = 1919, int yMax = 3199);

// The same without slots: protocol A.
PanelDescription anonymousPanel(int xMax = 1919, int yMax = 3199);

struct Ev {
  unsigned type;
  unsigned code;
  int value;
};

// The events of a protocol-B panel's frames.
constexpr Ev syn{EV_SYN, SYN_REPORT, 0};
inline Ev slot(int s) { return {EV_ABS, ABS_MT_SLOT, s}; }
inline Ev id(int i) { return {EV_ABS, ABS_MT_TRACKING_ID, i}; }
inline Ev x(int v) { return {EV_ABS, ABS_MT_POSITION_X, v}; }
inline Ev y(int v) { return {EV_ABS, ABS_MT_POSITION_Y, v}; }

// Pushes the events and returns the frames they ended.
std::vector<PanelFrame> push(FrameAssembler& assembler, const std::vector<Ev>& events);

// A recording read from tests/data/evdev (with `desc` first when given).
EvemuRecording readRecording(const std::string& events, const std::string& desc = "");
}  // namespace PanelFixtures
