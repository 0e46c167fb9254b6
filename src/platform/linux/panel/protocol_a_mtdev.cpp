// Protocol A panels through mtdev: it matches the anonymous contacts of each
// frame to those of the previous one and gives slot events.
#include <mtdev-plumbing.h>

#include "platform/linux/panel/frame_assembler.h"

namespace {

class MtdevTranslator : public ProtocolATranslator {
 public:
  explicit MtdevTranslator(mtdev* dev) : dev_(dev) {}
  ~MtdevTranslator() override { mtdev_close_delete(dev_); }

  MtdevTranslator(const MtdevTranslator&) = delete;
  MtdevTranslator& operator=(const MtdevTranslator&) = delete;

  void put(const PanelEvent& event) override {
    input_event in{};
    in.input_event_sec = static_cast<decltype(in.input_event_sec)>(event.timeUs / 1000000);
    in.input_event_usec = static_cast<decltype(in.input_event_usec)>(event.timeUs % 1000000);
    in.type = event.type;
    in.code = event.code;
    in.value = event.value;
    mtdev_put_event(dev_, &in);
  }

  bool get(PanelEvent& event) override {
    if (mtdev_empty(dev_)) return false;
    input_event out{};
    mtdev_get_event(dev_, &out);
    event.timeUs = static_cast<std::int64_t>(out.input_event_sec) * 1000000 +
                   static_cast<std::int64_t>(out.input_event_usec);
    event.type = out.type;
    event.code = out.code;
    event.value = out.value;
    return true;
  }

  // Without a device to configure from, mtdev reports no slot range; it
  // hands out slots from 0 up, one per contact (at most 32).
  int slotCount() const override { return maxPanelSlots; }

 private:
  mtdev* dev_;
};

}  // namespace

std::unique_ptr<ProtocolATranslator> makeProtocolATranslator(const PanelDescription& panel) {
  mtdev* dev = mtdev_new();
  if (dev == nullptr) return nullptr;
  if (mtdev_init(dev) != 0) {
    mtdev_delete(dev);
    return nullptr;
  }
  static constexpr unsigned codes[] = MT_SLOT_ABS_EVENTS;
  for (const unsigned code : codes) {
    if (!panel.hasCode(EV_ABS, code)) continue;
    const AxisInfo& axis = panel.axis(code);
    const int c = static_cast<int>(code);
    mtdev_set_mt_event(dev, c, 1);
    mtdev_set_abs_minimum(dev, c, axis.minimum);
    mtdev_set_abs_maximum(dev, c, axis.maximum);
    mtdev_set_abs_fuzz(dev, c, axis.fuzz);
    mtdev_set_abs_resolution(dev, c, axis.resolution);
  }
  return std::make_unique<MtdevTranslator>(dev);
}
