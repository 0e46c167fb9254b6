// The overlay device over DirectDraw, with a stand-in where the display has
// no overlay hardware (Wine, most desktop graphics cards).
//
// Each display object picks its path when it is made:
// - DirectDraw, when DirectDraw can be created and its hardware capabilities
//   report overlays. The port's values are the phone's DirectDraw numbers;
//   where the desktop's differ (surface capabilities, overlay update flags,
//   cooperation level, the capability bits) they are translated here.
// - The stand-in otherwise: it reports an overlay with source colour keying,
//   no alignment and no stretch. Its overlay surfaces are 32-bit DIB
//   sections. Showing one puts it, stretched to the destination rectangle,
//   into a layered, topmost, click-through tool window that never takes
//   activation; the pixels of the colour key (black for the core) are
//   transparent when the key override is asked for, else all is opaque.
//   Every show makes a fresh window (a move included); hiding destroys it.
// The path can be forced: by the constructor, or, when the constructor
// leaves it automatic, by the environment variable ZEM_OVERLAY ("standin" or
// "directdraw").
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

#include "ports/overlay_device_port.h"

struct IDirectDraw;
struct IDirectDrawSurface;

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
  struct Entry {
    Kind kind = Kind::display;
    bool standIn = false;
    IDirectDraw* directDraw = nullptr;      // a DirectDraw display object
    IDirectDrawSurface* surface = nullptr;  // a DirectDraw surface
    // A stand-in overlay surface: top-down 32-bit pixels, and its window
    // while shown.
    HBITMAP dib = nullptr;
    std::uint32_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    HWND window = nullptr;
  };

  // The object when it is alive and of that kind, else null.
  Entry* entryOf(Overlay::Object object, Kind kind);
  Overlay::Object add(const Entry& entry);
  void destroy(Entry& entry);
  bool startCom();
  std::int32_t showStandIn(Entry& overlay, const Overlay::Rect* source,
                           const Overlay::Rect* destination, bool show, bool keyed,
                           const Overlay::Effects* effects);

  HINSTANCE module_;
  OverlayPath path_;
  std::map<Overlay::Object, Entry> objects_;
  Overlay::Object nextObject_ = 0x100;
  enum class ComState { untried, mine, borrowed, unavailable } com_ = ComState::untried;
};
