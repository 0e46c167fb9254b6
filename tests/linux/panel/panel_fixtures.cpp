#include "panel_fixtures.h"

namespace PanelFixtures {

PanelDescription slotPanel(int slots, int xMax, int yMax) {
  PanelDescription panel = anonymousPanel(xMax, yMax);
  panel.name = "test panel";
  panel.setAxis(ABS_MT_SLOT, AxisInfo{0, 0, slots - 1, 0, 0, 0});
  panel.setAxis(ABS_MT_TRACKING_ID, AxisInfo{0, 0, 65535, 0, 0, 0});
  return panel;
}

PanelDescription anonymousPanel(int xMax, int yMax) {
  PanelDescription panel;
  panel.name = "test panel A";
  panel.setProperty(INPUT_PROP_DIRECT);
  panel.setCode(EV_KEY, BTN_TOUCH);
  panel.setAxis(ABS_X, AxisInfo{0, 0, xMax, 0, 0, 0});
  panel.setAxis(ABS_Y, AxisInfo{0, 0, yMax, 0, 0, 0});
  panel.setAxis(ABS_MT_POSITION_X, AxisInfo{0, 0, xMax, 0, 0, 0});
  panel.setAxis(ABS_MT_POSITION_Y, AxisInfo{0, 0, yMax, 0, 0, 0});
  return panel;
}

std::vector<PanelFrame> push(FrameAssembler& assembler, const std::vector<Ev>& events) {
  std::vector<PanelFrame> frames;
  for (const Ev& e : events) {
    PanelEvent event{0, static_cast<std::uint16_t>(e.type), static_cast<std::uint16_t>(e.code),
                     e.value};
    if (assembler.push(event)) frames.push_back(assembler.frame());
  }
  return frames;
}

EvemuRecording readRecording(const std::string& events, const std::string& desc) {
  const std::string folder = std::string(ZEM_TEST_DATA_DIR) + "/evdev/";
  EvemuRecording recording;
  if (!desc.empty()) readEvemuFile(folder + desc, recording);
  readEvemuFile(folder + events, recording);
  return recording;
}
}  // namespace PanelFixtures
