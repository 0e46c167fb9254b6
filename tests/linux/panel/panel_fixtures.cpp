#include "panel_fixtures.h"

namespace PanelFixtures {

PanelDescription slotPanel(int slots, int xMin, int xMax, int yMin, int yMax) {
  PanelDescription panel = anonymousPanel(xMax, yMax);
  panel.name = "test panel";
  AxisInfo x = panel.axis(ABS_MT_POSITION_X);
  x.minimum = xMin;
  panel.setAxis(ABS_MT_POSITION_X, x);
  AxisInfo y = panel.axis(ABS_MT_POSITION_Y);
  y.minimum = yMin;
  panel.setAxis(ABS_MT_POSITION_Y, y);
  AxisInfo slot;
  slot.maximum = slots - 1;
  panel.setAxis(ABS_MT_SLOT, slot);
  AxisInfo id;
  id.maximum = 65535;
  panel.setAxis(ABS_MT_TRACKING_ID, id);
  return panel;
}

PanelDescription anonymousPanel(int xMax, int yMax) {
  PanelDescription panel;
  panel.name = "test panel A";
  panel.setProperty(INPUT_PROP_DIRECT);
  panel.setCode(EV_KEY, BTN_TOUCH);
  AxisInfo x;
  x.maximum = xMax;
  AxisInfo y;
  y.maximum = yMax;
  panel.setAxis(ABS_X, x);
  panel.setAxis(ABS_Y, y);
  panel.setAxis(ABS_MT_POSITION_X, x);
  panel.setAxis(ABS_MT_POSITION_Y, y);
  return panel;
}

std::vector<PanelFrame> push(FrameAssembler& assembler, std::initializer_list<Ev> events,
                             std::int64_t timeUs) {
  std::vector<PanelFrame> frames;
  for (const Ev& e : events) {
    PanelEvent event{timeUs, static_cast<std::uint16_t>(e.type), static_cast<std::uint16_t>(e.code),
                     e.value};
    if (assembler.push(event)) frames.push_back(assembler.frame());
  }
  return frames;
}

std::string recordingPath(const std::string& name) {
  return std::string(ZEM_TEST_DATA_DIR) + "/evdev/" + name;
}

EvemuRecording readRecording(const std::string& events, const std::string& desc) {
  EvemuRecording recording;
  if (!desc.empty()) readEvemuFile(recordingPath(desc), recording);
  readEvemuFile(recordingPath(events), recording);
  return recording;
}

std::vector<PanelFrame> framesOf(const EvemuRecording& recording, ScreenGeometry screen) {
  FrameAssembler assembler(recording.description, screen);
  std::vector<PanelFrame> frames;
  for (const PanelEvent& event : recording.events) {
    if (assembler.push(event)) frames.push_back(assembler.frame());
  }
  return frames;
}

}  // namespace PanelFixtures
