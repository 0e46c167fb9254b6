// The display's overlay hardware, step by step as the overlay display drives
// it: the display object and its cooperation with a window, the primary and
// the overlay surface, the device capabilities, a picture from the program's
// resources copied into a surface, and the overlay update that shows or
// hides a surface above everything.
//
// Results are the platform's codes: 0 for success, anything else is the
// failure's code. Objects are opaque numbers; 0 is never an object.
#pragma once

#include <cstdint>

#include "ports/window_port.h"

namespace Overlay {

using Object = std::uintptr_t;
using Image = std::uintptr_t;

// The capability bits and update flags the core uses.
inline constexpr std::uint32_t capsSourceColorKey = 0x40;  // overlay capability bit
inline constexpr std::uint32_t updateShow = 0x400;
inline constexpr std::uint32_t updateHide = 0x20;
inline constexpr std::uint32_t updateSourceColorKeyOverride = 0x200;
inline constexpr std::uint32_t surfaceFlip = 0x10;
inline constexpr std::uint32_t surfaceOverlay = 0x04;
inline constexpr std::uint32_t surfacePrimary = 0x40;
inline constexpr std::uint32_t pixelFormatRgb = 0x40;

// The device capabilities the overlay logic reads.
struct Caps {
  std::uint32_t overlayCaps = 0;        // 0: no overlay in hardware
  std::uint32_t alignSizeSource = 0;    // source width multiple, 0 for none
  std::uint32_t alignSizeDest = 0;      // destination right-edge multiple, 0 for none
  std::uint32_t minOverlayStretch = 0;  // thousandths
};

// The platform's 32-byte pixel-format record.
struct PixelFormat {
  std::uint32_t size = 32;
  std::uint32_t flags = 0;
  std::uint32_t fourCC = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
  std::uint32_t alphaMask = 0;
};

struct SurfaceRequest {
  std::uint32_t validFields = 0;  // 0x1027: caps, height, width, back buffers, pixel format
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t backBufferCount = 0;
  std::uint32_t caps = 0;  // surfaceFlip | surfaceOverlay
  PixelFormat format;
};

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// The overlay-effects record (28 bytes on the platform); only the source
// colour key is used.
struct Effects {
  std::uint32_t size = 0;
  std::uint32_t colorKeyLow = 0;
  std::uint32_t colorKeyHigh = 0;
};

// A generic failure code for steps whose platform call gives none.
inline constexpr std::int32_t genericFailure = static_cast<std::int32_t>(0x80004005u);

}  // namespace Overlay

class OverlayDevicePort {
 public:
  virtual ~OverlayDevicePort() = default;

  virtual std::int32_t createDisplayObject(Overlay::Object& display) = 0;
  virtual std::int32_t setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                           std::uint32_t flags) = 0;
  virtual std::int32_t createPrimarySurface(Overlay::Object display, Overlay::Object& surface) = 0;
  // Hardware capabilities only.
  virtual std::int32_t getCaps(Overlay::Object display, Overlay::Caps& caps) = 0;
  virtual std::int32_t createOverlaySurface(Overlay::Object display,
                                            const Overlay::SurfaceRequest& request,
                                            Overlay::Object& surface) = 0;
  // The surface's width and height.
  virtual std::int32_t surfaceSize(Overlay::Object surface, std::int32_t& width,
                                   std::int32_t& height) = 0;

  // A picture resource of the program: with `compressed` a PNG picture of a
  // resource of type "GIF" decoded by the shell's image loader, otherwise a
  // bitmap resource at its own size. 0 when there is none.
  virtual Overlay::Image loadImage(std::uint32_t resourceId, bool compressed) = 0;
  // Plain copy of the rectangle (0, 0, width, height) of the image to the
  // surface's top-left corner through device contexts. True on success.
  virtual bool copyImage(Overlay::Object surface, Overlay::Image image, std::int32_t width,
                         std::int32_t height) = 0;
  virtual void deleteImage(Overlay::Image image) = 0;

  // Shows, moves or hides the overlay surface above `primary`. The
  // rectangles and the effects may be null.
  virtual std::int32_t updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                                     Overlay::Object primary, const Overlay::Rect* destination,
                                     std::uint32_t flags, const Overlay::Effects* effects) = 0;

  virtual void release(Overlay::Object object) = 0;
};
