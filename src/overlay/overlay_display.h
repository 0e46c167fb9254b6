// Shows one picture at a time above everything on the screen, on the
// display's overlay hardware: a gesture's picture for a while (hide timer),
// or the game-pad's picture until it is hidden.
//
// Every picture gets a fresh set of objects: loadPicture builds a hidden
// window (which owns the hide timer), the display object, the primary and
// the overlay surface, and copies the picture in; showPicture makes it
// visible; hidePicture (called, or on any timer message of the window) tears
// everything down. States: empty -> loadPicture -> loaded -> showPicture ->
// shown -> hidePicture -> empty (OverlayState). Any failure releases everything and records
// its message in lastError(). A loadPicture while a picture is held releases
// the earlier one first, so at most one set of objects exists.
//
// Main thread only.
#pragma once

#include <cstdint>

#include "ports/debug_port.h"
#include "ports/overlay_device_port.h"
#include "ports/window_port.h"

// A picture's size on the screen, in pixels.
struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// How a picture resource is stored.
enum class ImageKind {
  bitmap,
  compressed,  // a compressed-picture (PNG) resource
};

// Whether a shown picture hides by itself.
enum class HideTimer {
  none,   // shown until hidePicture
  after,  // hidden after the given time
};

enum class OverlayState {
  empty,   // nothing held
  loaded,  // a picture's objects built, not visible
  shown,   // visible until hidden (or, with a hide timer, until it fires)
};

const wchar_t* toString(OverlayState state);

class OverlayDisplay {
 public:
  static constexpr std::uintptr_t hideTimerId = 1;
  static constexpr Overlay::PixelFormat overlayFormats[2] = {
      {32, Overlay::pixelFormatRgb, 0, 16, 0x7C00, 0x03E0, 0x001F, 0},  // RGB 5-5-5
      {32, Overlay::pixelFormatRgb, 0, 16, 0xF800, 0x07E0, 0x001F, 0},  // RGB 5-6-5
  };

  // Every state change leaves a line on `debug`.
  OverlayDisplay(WindowPort& windows, OverlayDevicePort& device, DebugPort& debug);
  ~OverlayDisplay();

  OverlayDisplay(const OverlayDisplay&) = delete;
  OverlayDisplay& operator=(const OverlayDisplay&) = delete;

  // (x, y) is the top-left corner in screen pixels. 0 when loaded; 1 for
  // resource 0 (nothing is built); otherwise the failing call's code, or 1
  // where it gave none.
  int loadPicture(std::uint32_t resourceId, std::int32_t x, std::int32_t y, PictureSize size,
                  ImageKind kind);
  // The update's code when showing failed, else 0 (also after a failed
  // timer, which is recorded). `timeoutMs` counts with HideTimer::after only.
  int showPicture(HideTimer timer, std::uint32_t timeoutMs = 0);
  // Stops the hide timer and releases everything. Returns 0.
  int hidePicture();
  void releaseAll();

  // Message of the last failure, or null.
  const wchar_t* lastError() const;

  OverlayState state() const { return state_; }
  // For tests and the simulated phone's log.
  bool holdsPicture() const;
  Overlay::Rect sourceRect() const;
  Overlay::Rect destinationRect() const;
  std::uint32_t updateFlags() const;

 private:
  // The window procedure of the overlay window's class: any timer message of
  // the held window hides the picture; every message then goes on to the
  // default procedure.
  class OverlayWindowHandler final : public MessageHandler {
   public:
    explicit OverlayWindowHandler(OverlayDisplay& owner) : owner_(owner) {}
    LResult handleMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                          LParam lParam) override;

   private:
    OverlayDisplay& owner_;
  };

  void createWindow();
  int startDisplay();
  int createSurfaces(std::int32_t width, std::int32_t height);
  bool copyPicture(std::uint32_t resourceId, ImageKind kind);
  void placeDestination(std::int32_t x, std::int32_t y, std::int32_t height);
  // Releases everything and records `message`; returns `code`, or 1 when
  // the step gave none.
  int fail(const wchar_t* message, std::int32_t code);
  void setState(OverlayState state);

  WindowPort& windows_;
  OverlayDevicePort& device_;
  DebugPort& debug_;
  OverlayState state_ = OverlayState::empty;
  OverlayWindowHandler handler_{*this};
  WindowHandle window_ = 0;
  const wchar_t* lastError_ = nullptr;
  std::uint32_t updateFlags_ = 0;
  Overlay::Effects effects_;
  Overlay::Caps caps_;
  Overlay::Object display_ = 0;
  Overlay::Rect sourceRect_;
  Overlay::Rect destinationRect_;
  Overlay::Object primary_ = 0;
  Overlay::Object overlay_ = 0;
};
