// The overlay device's DirectDraw path: a display object and its surfaces
// over the desktop's DirectDraw. The port's values are the phone's DirectDraw
// numbers; where the desktop's differ (surface capabilities, overlay update
// flags, cooperation level, the capability bits) they are translated here.
// Each object releases its interface when it is destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "ports/overlay_device_port.h"

struct IDirectDraw;
struct IDirectDrawSurface;

class DirectDrawSurface {
 public:
  explicit DirectDrawSurface(IDirectDrawSurface* surface) : surface_(surface) {}
  ~DirectDrawSurface();
  DirectDrawSurface(const DirectDrawSurface&) = delete;
  DirectDrawSurface& operator=(const DirectDrawSurface&) = delete;

  std::int32_t size(std::int32_t& width, std::int32_t& height);
  bool copyImage(HBITMAP picture, std::int32_t width, std::int32_t height);
  // `flags` are the port's update flags, already checked by the device.
  std::int32_t update(const Overlay::Rect* source, DirectDrawSurface& primary,
                      const Overlay::Rect* destination, std::uint32_t flags,
                      const Overlay::Effects* effects);

 private:
  IDirectDrawSurface* surface_;
};

class DirectDrawDisplay {
 public:
  // A display object where DirectDraw reports overlay hardware, or always
  // when `forced`. Null with DD_OK in `result` when the hardware has no
  // overlays (the stand-in serves then); null with the failure when
  // DirectDraw cannot be made.
  static std::unique_ptr<DirectDrawDisplay> create(bool forced, std::int32_t& result);

  explicit DirectDrawDisplay(IDirectDraw* directDraw) : directDraw_(directDraw) {}
  ~DirectDrawDisplay();
  DirectDrawDisplay(const DirectDrawDisplay&) = delete;
  DirectDrawDisplay& operator=(const DirectDrawDisplay&) = delete;

  std::int32_t setCooperativeLevel(HWND owner, std::uint32_t flags);
  std::int32_t getCaps(Overlay::Caps& caps);
  std::int32_t createPrimarySurface(std::unique_ptr<DirectDrawSurface>& surface);
  // `request.caps` holds only the port's known surface bits, the overlay bit
  // among them (the device checks).
  std::int32_t createOverlaySurface(const Overlay::SurfaceRequest& request,
                                    std::unique_ptr<DirectDrawSurface>& surface);

 private:
  IDirectDraw* directDraw_;
};
