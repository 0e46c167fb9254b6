#include "platform/linux/panel/panel_description.h"

#include <algorithm>

namespace {

const AxisInfo noAxis{};

// How many codes the kernel has for each event type: a description cannot
// declare more (a recording could, and libraries index tables by code).
std::size_t codeCount(unsigned type) {
  switch (type) {
    case EV_KEY:
      return KEY_CNT;
    case EV_REL:
      return REL_CNT;
    case EV_ABS:
      return ABS_CNT;
    case EV_MSC:
      return MSC_CNT;
    case EV_SW:
      return SW_CNT;
    case EV_LED:
      return LED_CNT;
    case EV_SND:
      return SND_CNT;
    case EV_REP:
      return REP_CNT;
    default:
      return 0;
  }
}

}  // namespace

bool PanelDescription::hasCode(unsigned type, unsigned code) const {
  if (type == EV_SYN) return true;
  return hasType(type) && code < codeCount(type) && codes_[type].test(code);
}

void PanelDescription::setType(unsigned type) {
  if (type < EV_CNT) codes_[EV_SYN].set(type);
}

void PanelDescription::setCode(unsigned type, unsigned code) {
  if (type >= EV_CNT || (type != EV_SYN && code >= codeCount(type))) return;
  setType(type);
  if (type != EV_SYN) codes_[type].set(code);
}

const AxisInfo& PanelDescription::axis(unsigned code) const {
  return code < ABS_CNT ? axes_[code] : noAxis;
}

void PanelDescription::setAxis(unsigned code, const AxisInfo& info) {
  if (code >= ABS_CNT) return;
  axes_[code] = info;
  setCode(EV_ABS, code);
}

MultitouchProtocol PanelDescription::protocol() const {
  if (!hasCode(EV_ABS, ABS_MT_POSITION_X) || !hasCode(EV_ABS, ABS_MT_POSITION_Y)) {
    return MultitouchProtocol::none;
  }
  return hasCode(EV_ABS, ABS_MT_SLOT) ? MultitouchProtocol::slots : MultitouchProtocol::anonymous;
}

int PanelDescription::slotCount() const {
  if (protocol() != MultitouchProtocol::slots) return 0;
  const AxisInfo& slot = axis(ABS_MT_SLOT);
  // A range that does not start at 0 or that is empty leaves one usable slot.
  const std::int64_t count = static_cast<std::int64_t>(slot.maximum) + 1;
  return static_cast<int>(std::clamp<std::int64_t>(count, 1, maxPanelSlots));
}

bool PanelDescription::isTouchscreen() const {
  return hasProperty(INPUT_PROP_DIRECT) && protocol() != MultitouchProtocol::none;
}
