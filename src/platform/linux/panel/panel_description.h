// What a touch panel declares about itself: name and ids, properties, the
// event codes it can send and the ranges of its absolute axes. It comes from
// the kernel (libevdev) or from an evemu recording, and it decides how the
// panel's events are read: slots (multitouch protocol B), anonymous contacts
// (protocol A, translated through mtdev) or not a multitouch panel at all.
#pragma once

#include <linux/input-event-codes.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

struct AxisInfo {
  std::int32_t value = 0;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t fuzz = 0;
  std::int32_t flat = 0;
  std::int32_t resolution = 0;
};

enum class MultitouchProtocol {
  none,       // no multitouch position axes
  slots,      // protocol B: ABS_MT_SLOT and tracking ids
  anonymous,  // protocol A: SYN_MT_REPORT separates the contacts of a frame
};

class PanelDescription {
 public:
  std::string name;
  std::uint16_t bustype = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;

  bool hasProperty(unsigned property) const {
    return property < INPUT_PROP_CNT && properties_.test(property);
  }
  void setProperty(unsigned property) {
    if (property < INPUT_PROP_CNT) properties_.set(property);
  }

  // Whether the panel declares the event type (for EV_SYN: always).
  bool hasType(unsigned type) const {
    return type == EV_SYN || (type < EV_CNT && codes_[EV_SYN].test(type));
  }
  // Whether the panel declares the code of the type. EV_SYN codes are always
  // accepted.
  bool hasCode(unsigned type, unsigned code) const;
  // Declares the event type, or a code and its type.
  void setType(unsigned type);
  void setCode(unsigned type, unsigned code);

  // Range and value of an absolute axis (all 0 when not declared).
  const AxisInfo& axis(unsigned code) const;
  // Declares the axis with its range.
  void setAxis(unsigned code, const AxisInfo& info);

  MultitouchProtocol protocol() const;
  // Number of slots: from ABS_MT_SLOT for protocol B, 0 otherwise.
  int slotCount() const;
  // A direct-touch device (INPUT_PROP_DIRECT) with multitouch positions.
  bool isTouchscreen() const;

 private:
  static constexpr std::size_t maxCodes = KEY_CNT;  // the largest code space of any type
  std::bitset<INPUT_PROP_CNT> properties_;
  std::array<std::bitset<maxCodes>, EV_CNT> codes_;  // codes_[EV_SYN] holds the types
  std::array<AxisInfo, ABS_CNT> axes_{};
};

// Slot tables never grow beyond this, whatever a device declares.
inline constexpr int maxPanelSlots = 32;
