// The overlay device over DirectDraw, with a stand-in where the display has
// no overlay hardware (Wine, most desktop graphics cards). This class is the
// factory and the table of objects; the paths live in
// win32_directdraw_overlay.h and win32_standin_overlay.h, the decoding of
// compressed pictures in win32_picture_decoder.h.
//
// Each display object picks its path when it is made: DirectDraw when
// DirectDraw can be created and its hardware capabilities report overlays,
// the stand-in otherwise. The path can be forced: by the constructor, or,
// when the constructor leaves it automatic, by the environment variable
// ZEM_OVERLAY ("standin" or "directdraw"). Surfaces take their display
// object's path.
//
// Objects are numbers of the device's own, never the platform's pointers: an
// object not made here, or already released, gets a failure code (or is
// ignored by release) instead of a crash. Releasing a display object leaves
// its surfaces to be released on their own. The destructor releases whatever
// is still held. Pictures are bitmap handles (deleteImage is DeleteObject).
//
// One thread: the one that runs the message loop of the program's windows,
// since the stand-in's windows belong to the thread that shows them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/win32/win32_directdraw_overlay.h"
#include "platform/win32/win32_standin_overlay.h"
#include "ports/overlay_device_port.h"

enum class OverlayPath { automatic, directDraw, standIn };

class Win32OverlayDevice final : public OverlayDevicePort {
 public:
  // `module` holds the pictures.
  explicit Win32OverlayDevice(HINSTANCE module, OverlayPath path = OverlayPath::automatic);
  ~Win32OverlayDevice() override;

  Win32OverlayDevice(const Win32OverlayDevice&) = delete;
  Win32OverlayDevice& operator=(const Win32OverlayDevice&) = delete;

  // --- for tests and diagnostics ---
  bool isStandIn(Overlay::Object object) const;
  // Objects made and not yet released.
  std::size_t liveObjects() const { return objects_.size(); }
  // A pixel of a stand-in overlay surface as 0xRRGGBB.
  bool surfacePixel(Overlay::Object surface, std::int32_t x, std::int32_t y,
                    std::uint32_t& rgb) const;
  // The window that shows a stand-in overlay surface, null while hidden.
  HWND shownWindow(Overlay::Object surface) const;

  // --- OverlayDevicePort ---
  std::int32_t createDisplayObject(Overlay::Object& display) override;
  std::int32_t setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                   std::uint32_t flags) override;
  std::int32_t createPrimarySurface(Overlay::Object display, Overlay::Object& surface) override;
  std::int32_t getCaps(Overlay::Object display, Overlay::Caps& caps) override;
  std::int32_t createOverlaySurface(Overlay::Object display, const Overlay::SurfaceRequest& request,
                                    Overlay::Object& surface) override;
  std::int32_t surfaceSize(Overlay::Object surface, std::int32_t& width,
                           std::int32_t& height) override;
  Overlay::Image loadImage(std::uint32_t resourceId, bool compressed) override;
  bool copyImage(Overlay::Object surface, Overlay::Image image, std::int32_t width,
                 std::int32_t height) override;
  void deleteImage(Overlay::Image image) override;
  std::int32_t updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                             Overlay::Object primary, const Overlay::Rect* destination,
                             std::uint32_t flags, const Overlay::Effects* effects) override;
  void release(Overlay::Object object) override;

 private:
  enum class Kind { display, primary, overlay };
  // One object: a display object, or a primary or overlay surface, of one
  // path.
  struct Entry {
    Kind kind = Kind::display;
    bool standIn = false;
    std::unique_ptr<DirectDrawDisplay> display;
    std::unique_ptr<DirectDrawSurface> surface;
    std::unique_ptr<StandInOverlay::Surface> standInSurface;  // a stand-in overlay surface
  };

  // The object when it is alive and of that kind, else null.
  Entry* entryOf(Overlay::Object object, Kind kind);
  Overlay::Object add(Entry entry);
  bool startCom();

  HINSTANCE module_;
  OverlayPath path_;
  std::map<Overlay::Object, Entry> objects_;
  Overlay::Object nextObject_ = 0x100;
  enum class ComState { untried, mine, borrowed, unavailable } com_ = ComState::untried;
};
