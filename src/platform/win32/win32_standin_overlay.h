// The overlay device's stand-in where the display has no overlay hardware
// (Wine, most desktop graphics cards). It reports an overlay with source
// colour keying, no alignment and no stretch. Its overlay surfaces are 32-bit
// DIB sections. Showing one puts it, stretched to the destination rectangle,
// into a layered, topmost, click-through tool window that never takes
// activation; the pixels of the colour key (black for the core) are
// transparent when the key override is asked for, else all is opaque. Every
// show makes a fresh window (a move included); hiding destroys it.
//
// The windows belong to the thread that shows them: one thread, the one
// that runs the program's message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ports/overlay_device_port.h"

namespace StandInOverlay {

// What the stand-in's display object reports.
Overlay::Caps caps();

class Surface {
 public:
  // A black surface; null when the size is out of range or the system
  // refuses the bitmap.
  static std::unique_ptr<Surface> create(HINSTANCE module, std::int32_t width, std::int32_t height);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  // The window that shows the surface, null while hidden.
  HWND window() const { return window_; }
  // The pixel at (x, y) as 0xRRGGBB; false outside the surface.
  bool pixel(std::int32_t x, std::int32_t y, std::uint32_t& rgb) const;

  bool copyImage(HBITMAP picture, std::int32_t width, std::int32_t height);
  // The port's update, flags already checked: `show` and `keyed` from them,
  // `effects` present when keyed.
  std::int32_t update(const Overlay::Rect* source, const Overlay::Rect* destination, bool show,
                      bool hide, bool keyed, const Overlay::Effects* effects);

 private:
  Surface(HINSTANCE module, HBITMAP dib, std::uint32_t* pixels, std::int32_t width,
          std::int32_t height);
  std::int32_t show(const Overlay::Rect* source, const Overlay::Rect* destination, bool show,
                    bool keyed, const Overlay::Effects* effects);
  void hide();

  HINSTANCE module_;
  HBITMAP dib_;
  std::uint32_t* pixels_;  // top-down, 0x00RRGGBB
  std::int32_t width_;
  std::int32_t height_;
  HWND window_ = nullptr;
};

}  // namespace StandInOverlay
