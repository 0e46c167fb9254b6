#include "platform/linux/panel/frame_assembler.h"

#include <algorithm>

bool validRotation(std::int32_t degrees) {
  return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270;
}

FrameAssembler::FrameAssembler(const PanelDescription& panel, ScreenGeometry screen)
    : xAxis_(panel.axis(ABS_MT_POSITION_X)), yAxis_(panel.axis(ABS_MT_POSITION_Y)), panel_(panel) {
  setScreen(screen);
  switch (panel.protocol()) {
    case MultitouchProtocol::slots:
      slotCount_ = panel.slotCount();
      usable_ = true;
      break;
    case MultitouchProtocol::anonymous:
      translator_ = makeProtocolATranslator(panel);
      if (translator_) {
        slotCount_ = std::clamp(translator_->slotCount(), 1, maxPanelSlots);
        usable_ = true;
      }
      break;
    case MultitouchProtocol::none:
      break;
  }
  // The kernel starts on the slot its axis reports (0 for a fresh device).
  setCurrentSlot(panel.axis(ABS_MT_SLOT).value);
}

FrameAssembler::~FrameAssembler() = default;

void FrameAssembler::setScreen(ScreenGeometry screen) {
  if (screen.width >= 1) screen_.width = screen.width;
  if (screen.height >= 1) screen_.height = screen.height;
  if (validRotation(screen.rotation)) screen_.rotation = screen.rotation;
}

bool FrameAssembler::push(const PanelEvent& event) {
  if (event.type == EV_SYN) {
    if (event.code == SYN_DROPPED) {
      dropping_ = true;
      return false;
    }
    if (event.code != SYN_REPORT && event.code != SYN_MT_REPORT) return false;
  }
  if (dropping_) {
    if (event.type != EV_SYN || event.code != SYN_REPORT) return false;
    dropping_ = false;
    buildFrame(event.timeUs);
    return true;
  }
  if (translator_) {
    // The translator gets only what a kernel could send for this panel: its
    // declared axes and the frame markers.
    const bool declared =
        event.type == EV_SYN || (event.type == EV_ABS && panel_.hasCode(EV_ABS, event.code));
    if (declared) translator_->put(event);
    PanelEvent out;
    while (translator_->get(out)) {
      if (out.type != EV_SYN) apply(out, true);
    }
  } else if (event.type != EV_SYN) {
    apply(event, false);
  }
  if (event.type == EV_SYN && event.code == SYN_REPORT) {
    buildFrame(event.timeUs);
    return true;
  }
  return false;
}

void FrameAssembler::apply(const PanelEvent& event, bool translated) {
  if (!usable_ || event.type != EV_ABS) return;  // keys and others: not the contacts
  // The translator makes slots and tracking ids that the panel does not
  // declare; everything else must be declared.
  const bool madeByTranslator =
      translated && (event.code == ABS_MT_SLOT || event.code == ABS_MT_TRACKING_ID);
  if (!madeByTranslator && !panel_.hasCode(EV_ABS, event.code)) return;
  if (event.code == ABS_MT_SLOT) {
    setCurrentSlot(event.value);
  } else if (currentSlot_ >= 0 && (event.code == ABS_MT_TRACKING_ID ||
                                   (event.code >= firstSlotAxis && event.code <= lastSlotAxis))) {
    applyToSlot(currentSlot_, event.code, event.value);
  }
}

void FrameAssembler::applyToSlot(int index, unsigned code, std::int32_t value) {
  SlotState& slot = slots_[static_cast<std::size_t>(index)];
  if (code == ABS_MT_TRACKING_ID) {
    const std::int32_t id = value < 0 ? -1 : value;
    if (id >= 0 && id != slot.trackingId) slot.order = nextOrder_++;
    slot.trackingId = id;
  } else if (code >= firstSlotAxis && code <= lastSlotAxis) {
    slot.axes[code - firstSlotAxis] = value;
  }
}

void FrameAssembler::seedSlot(int index, unsigned code, std::int32_t value) {
  if (index < 0 || index >= slotCount_) return;
  applyToSlot(index, code, value);
}

void FrameAssembler::setCurrentSlot(int index) {
  currentSlot_ = index >= 0 && index < slotCount_ ? index : -1;
}

const PanelFrame& FrameAssembler::endFrame(std::int64_t timeUs) {
  dropping_ = false;
  buildFrame(timeUs);
  return frame_;
}

std::uint32_t FrameAssembler::scale(std::int64_t v, std::int64_t minimum, std::int64_t maximum,
                                    std::int32_t size) {
  const std::int64_t range = maximum - minimum + 1;
  if (range <= 0 || size <= 0) return 0;
  const std::int64_t top = 4 * static_cast<std::int64_t>(size) - 1;
  const std::int64_t scaled = (v - minimum) * 4 * size;
  // Floor division: the quotient rounds towards minus infinity.
  std::int64_t q = scaled / range;
  if (scaled % range != 0 && scaled < 0) --q;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(q, 0, top));
}

ScreenPoint FrameAssembler::toScreen(std::int32_t x, std::int32_t y) const {
  const std::int64_t xMin = xAxis_.minimum;
  const std::int64_t xMax = xAxis_.maximum;
  const std::int64_t yMin = yAxis_.minimum;
  const std::int64_t yMax = yAxis_.maximum;
  // A coordinate seen from the other end of its axis.
  const std::int64_t xBack = xMin + xMax - x;
  const std::int64_t yBack = yMin + yMax - y;
  const std::int32_t w = screen_.width;
  const std::int32_t h = screen_.height;
  switch (screen_.rotation) {
    case 90:
      return {scale(yBack, yMin, yMax, w), scale(x, xMin, xMax, h)};
    case 180:
      return {scale(xBack, xMin, xMax, w), scale(yBack, yMin, yMax, h)};
    case 270:
      return {scale(y, yMin, yMax, w), scale(xBack, xMin, xMax, h)};
    default:
      return {scale(x, xMin, xMax, w), scale(y, yMin, yMax, h)};
  }
}

void FrameAssembler::buildFrame(std::int64_t timeUs) {
  frame_.timeUs = timeUs;
  int count = 0;
  for (int i = 0; i < slotCount_; ++i) {
    if (!slots_[static_cast<std::size_t>(i)].active()) continue;
    // Insertion by age: at most a few contacts.
    int at = count++;
    while (at > 0 &&
           slots_[static_cast<std::size_t>(frame_.slots[static_cast<std::size_t>(at - 1)])].order >
               slots_[static_cast<std::size_t>(i)].order) {
      frame_.slots[static_cast<std::size_t>(at)] = frame_.slots[static_cast<std::size_t>(at - 1)];
      --at;
    }
    frame_.slots[static_cast<std::size_t>(at)] = i;
  }
  frame_.contactCount = count;
  for (int k = 0; k < count; ++k) {
    const SlotState& s =
        slots_[static_cast<std::size_t>(frame_.slots[static_cast<std::size_t>(k)])];
    frame_.points[static_cast<std::size_t>(k)] =
        toScreen(s.axis(ABS_MT_POSITION_X), s.axis(ABS_MT_POSITION_Y));
  }
  MultipointSample& sample = frame_.sample;
  sample = MultipointSample();
  sample.pointCount = static_cast<std::uint32_t>(std::min(count, 2));
  if (count >= 1) {
    sample.firstX = frame_.points[0].x;
    sample.firstY = frame_.points[0].y;
  }
  if (count >= 2) {
    sample.secondX = frame_.points[1].x;
    sample.secondY = frame_.points[1].y;
  }
}
