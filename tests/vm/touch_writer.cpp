#include "touch_writer.h"

TouchWriter& TouchWriter::down(int slot, int x, int y) {
  ids_[static_cast<std::size_t>(slot)] = nextId_;
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_SLOT, slot));
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_TRACKING_ID, nextId_++));
  return position(x, y);
}

TouchWriter& TouchWriter::move(int slot, int x, int y) {
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_SLOT, slot));
  return position(x, y);
}

TouchWriter& TouchWriter::position(int x, int y) {
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_POSITION_X, x));
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_POSITION_Y, y));
  return *this;
}

TouchWriter& TouchWriter::up(int slot) {
  ids_[static_cast<std::size_t>(slot)] = -1;
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_SLOT, slot));
  pending_.push_back(makeEvent(EV_ABS, ABS_MT_TRACKING_ID, -1));
  return *this;
}

bool TouchWriter::frame() {
  bool any = false;
  for (int id : ids_) any = any || id >= 0;
  if (any != touching_) {
    pending_.push_back(makeEvent(EV_KEY, BTN_TOUCH, any ? 1 : 0));
    touching_ = any;
  }
  pending_.push_back(makeEvent(EV_SYN, SYN_REPORT, 0));
  const bool written = panel_.write(pending_);
  pending_.clear();
  return written;
}

EvemuDevice checkPanelDescription(const std::string& name) {
  EvemuDevice d;
  d.name = name;
  d.bus = BUS_VIRTUAL;
  d.vendor = 0x5a45;  // "ZE"
  d.properties = {1U << INPUT_PROP_DIRECT};
  d.addCode(EV_KEY, BTN_TOUCH);
  const struct {
    unsigned code;
    int max;
  } axes[] = {{ABS_MT_SLOT, 4},
              {ABS_MT_TRACKING_ID, 65535},
              {ABS_MT_POSITION_X, 479},
              {ABS_MT_POSITION_Y, 799}};
  for (const auto& a : axes) {
    d.addCode(EV_ABS, a.code);
    EvemuAxis axis;
    axis.code = static_cast<std::uint16_t>(a.code);
    axis.maximum = a.max;
    d.axes.push_back(axis);
  }
  return d;
}
