// Touches written to a protocol-B uinput panel, a frame at a time, as a
// panel's driver reports them: per slot its tracking id and position, then
// BTN_TOUCH when it changes, then SYN_REPORT.
//
//   TouchWriter touch(panel, 5);
//   touch.down(0, 100, 200).down(1, 300, 200).frame();
//   touch.move(0, 110, 200).move(1, 310, 200).frame();
//   touch.up(0).up(1).frame();
#pragma once

#include <vector>

#include "evemu_recording.h"
#include "uinput_device.h"

class TouchWriter {
 public:
  TouchWriter(UinputDevice& panel, int slots)
      : panel_(panel), ids_(static_cast<std::size_t>(slots), -1) {}

  TouchWriter& down(int slot, int x, int y);
  TouchWriter& move(int slot, int x, int y);
  TouchWriter& up(int slot);
  // Writes the frame; false when the panel refused it (it was removed).
  bool frame();

 private:
  TouchWriter& position(int x, int y);
  UinputDevice& panel_;
  std::vector<int> ids_;
  std::vector<input_event> pending_;
  int nextId_ = 1;
  bool touching_ = false;
};

// A 480 x 800 panel whose axes count screen pixels (so a position written is
// the pixel ZEM sees at rotation 0), five slots, protocol B.
EvemuDevice checkPanelDescription(const std::string& name);
