// The overlay device of an X11 desktop. X has no overlay planes an
// application can use, so an overlay surface is a picture in memory and
// showing it maps an override-redirect window at the destination rectangle:
// the window manager never manages it, it never takes the focus, its input
// shape is empty (touches and clicks reach what lies below) and its bounding
// shape leaves out the pixels of the colour key, so the black around a
// picture shows the windows beneath.
//
// Objects: display objects, primary surfaces and overlay surfaces are
// numbers of this device; images are decoded pictures (X11Pictures). The
// window exists only while the overlay is shown; hiding or releasing the
// surface destroys it.
#pragma once

#include <xcb/xcb.h>

#include <map>
#include <memory>

#include "platform/linux/x11/x11_pictures.h"
#include "ports/overlay_device_port.h"

class X11OverlayDevice final : public OverlayDevicePort {
 public:
  X11OverlayDevice(xcb_connection_t* connection, xcb_screen_t* screen);
  ~X11OverlayDevice() override;
  X11OverlayDevice(const X11OverlayDevice&) = delete;
  X11OverlayDevice& operator=(const X11OverlayDevice&) = delete;

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

  // The window that shows the surface, 0 while it is hidden.
  xcb_window_t shownWindow() const;
  // Keeps a shown picture above the windows the window manager raises.
  void raise();
  // The connection is gone: forget the windows without requests.
  void disconnect();

 private:
  enum class Kind { display, primary, overlay };
  struct Entry {
    Kind kind = Kind::display;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, overlay surfaces only
    xcb_window_t window = 0;
  };

  Entry* entryOf(Overlay::Object object, Kind kind);
  Overlay::Object add(Entry entry);
  void destroyWindow(Entry& entry);
  std::int32_t show(Entry& overlay, const Overlay::Rect& from, const Overlay::Rect& to, bool keyed,
                    std::uint32_t keyLow, std::uint32_t keyHigh);

  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
  std::map<Overlay::Object, Entry> objects_;
  Overlay::Object nextObject_ = 1;
  std::map<Overlay::Image, std::unique_ptr<X11Picture>> images_;
  Overlay::Image nextImage_ = 1;
};
