// The kernel side of the touch driver: a touch panel read through libevdev
// and grabbed, and the uinput clone that passes frames on. Only these files
// make device calls; they are tested against a real kernel in the VM.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/panel/clone_writer.h"
#include "platform/linux/panel/frame_assembler.h"
#include "platform/linux/panel/panel_description.h"

struct libevdev;
struct libevdev_uinput;

class EvdevPanel {
 public:
  // Opens the device at `path`; null (with `why`) when it cannot be read or
  // is not a touchscreen.
  static std::unique_ptr<EvdevPanel> open(const std::string& path, std::string& why);
  // The first touchscreen under /dev/input (event nodes in number order),
  // never one of our clones.
  static std::unique_ptr<EvdevPanel> find(std::string& why);
  ~EvdevPanel();

  EvdevPanel(const EvdevPanel&) = delete;
  EvdevPanel& operator=(const EvdevPanel&) = delete;

  const PanelDescription& description() const { return description_; }
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }

  // Takes the panel for this process alone (EVIOCGRAB); false when another
  // process holds it.
  bool grab();
  // Writes the panel's current slots into the assembler.
  void seed(FrameAssembler& assembler) const;

  enum class Status { again, gone };
  // Reads what is waiting and pushes it into the assembler, calling
  // `onFrame` for every frame. A SYN_DROPPED is resynced from the device's
  // state. Returns when nothing more is waiting or the device is gone.
  template <typename OnFrame>
  Status read(FrameAssembler& assembler, OnFrame&& onFrame);

 private:
  EvdevPanel(int fd, libevdev* dev, std::string path);
  // One event: 1 an event in `event`, 2 a resync frame in the assembler,
  // 0 nothing waiting, -1 gone.
  int next(FrameAssembler& assembler, PanelEvent& event);

  int fd_;
  libevdev* dev_;
  std::string path_;
  PanelDescription description_;
  bool grabbed_ = false;
};

template <typename OnFrame>
EvdevPanel::Status EvdevPanel::read(FrameAssembler& assembler, OnFrame&& onFrame) {
  for (;;) {
    PanelEvent event;
    const int r = next(assembler, event);
    if (r == 0) return Status::again;
    if (r < 0) return Status::gone;
    if (r == 2 || assembler.push(event)) onFrame(assembler.frame());
  }
}

// The description libevdev gives of an open device.
PanelDescription describe(const libevdev* dev);

class EvdevClone {
 public:
  // Creates the uinput device; null (with `why`) when uinput is missing or
  // refuses.
  static std::unique_ptr<EvdevClone> create(const PanelDescription& clone, std::string& why);
  ~EvdevClone();

  EvdevClone(const EvdevClone&) = delete;
  EvdevClone& operator=(const EvdevClone&) = delete;

  // False when a write failed (the rest of the events are still tried).
  bool write(const std::vector<CloneEvent>& events);
  std::string node() const;

 private:
  EvdevClone(libevdev* dev, libevdev_uinput* uinput) : dev_(dev), uinput_(uinput) {}
  libevdev* dev_;
  libevdev_uinput* uinput_;
};
