// Keys and the display's rotation on Linux.
//
// A key goes to the desktop first (XTest reaches X clients, which read no
// input devices of their own under Xvfb); when the desktop cannot inject
// keys it goes to a virtual keyboard (uinput), through the table from the
// platform's virtual-key codes to Linux key codes. A code without a Linux
// key is logged (once per code) and dropped. The rotation is the desktop's.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"
#include "ports/input_port.h"

namespace KeyTable {
// The Linux key code (linux/input-event-codes.h) of a virtual-key code, or 0.
int linuxKey(std::uint8_t virtualKey);
// Every Linux key the table gives, for the virtual keyboard's key bits.
std::vector<int> allLinuxKeys();
}  // namespace KeyTable

// Where keys go when the desktop does not take them.
class KeyboardDevice {
 public:
  virtual ~KeyboardDevice() = default;
  // One press or release, with its report; false when it could not be sent.
  virtual bool key(int linuxKey, bool down) = 0;
};

// A uinput keyboard ("ZEM virtual keyboard") with every key of the table.
class UinputKeyboard final : public KeyboardDevice {
 public:
  // Nothing (with the reason in `error`) when /dev/uinput cannot be used.
  static std::unique_ptr<UinputKeyboard> create(std::string& error);
  ~UinputKeyboard() override;

  UinputKeyboard(const UinputKeyboard&) = delete;
  UinputKeyboard& operator=(const UinputKeyboard&) = delete;

  bool key(int linuxKey, bool down) override;
  // The device node, for example /dev/input/event5.
  std::string node() const;

 private:
  UinputKeyboard() = default;
  struct Device;
  Device* device_ = nullptr;
};

class LinuxInput final : public InputPort {
 public:
  // `keyboard` may be null (no /dev/uinput): keys the desktop does not take
  // are then dropped, which is logged once.
  LinuxInput(Desktop& desktop, KeyboardDevice* keyboard, Log& log)
      : desktop_(desktop), keyboard_(keyboard), log_(log) {}

  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override;
  std::int32_t changeOrientation(const OrientationRequest& request) override {
    return desktop_.changeOrientation(request);
  }

 private:
  Desktop& desktop_;
  KeyboardDevice* keyboard_;
  Log& log_;
};
