// The desktop without a window system (a console, a kiosk without X, a
// service started before the session): every query answers "nothing
// there", every action fails, and the first use of each command that needs
// windows is logged once as unavailable. Keys then go through the virtual
// keyboard; pictures are not shown (the overlay device builds its objects
// but loads no picture, so the core skips the picture and goes on).
#pragma once

#include <cstdint>

#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"

class NullOverlayDevice final : public OverlayDevicePort {
 public:
  explicit NullOverlayDevice(Log& log) : log_(log) {}

  std::int32_t createDisplayObject(Overlay::Object& display) override;
  std::int32_t setCooperativeLevel(Overlay::Object, WindowHandle, std::uint32_t) override {
    return 0;
  }
  std::int32_t createPrimarySurface(Overlay::Object, Overlay::Object& surface) override;
  std::int32_t getCaps(Overlay::Object, Overlay::Caps& caps) override;
  std::int32_t createOverlaySurface(Overlay::Object, const Overlay::SurfaceRequest& request,
                                    Overlay::Object& surface) override;
  std::int32_t surfaceSize(Overlay::Object surface, std::int32_t& width,
                           std::int32_t& height) override;
  Overlay::Image loadImage(std::uint32_t resourceId, bool compressed) override;
  bool copyImage(Overlay::Object, Overlay::Image, std::int32_t, std::int32_t) override {
    return false;
  }
  void deleteImage(Overlay::Image) override {}
  std::int32_t updateOverlay(Overlay::Object, const Overlay::Rect*, Overlay::Object,
                             const Overlay::Rect*, std::uint32_t,
                             const Overlay::Effects*) override {
    return Overlay::genericFailure;
  }
  void release(Overlay::Object) override {}

 private:
  Log& log_;
  Overlay::Object next_ = 1;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
};

class NullDesktop final : public Desktop {
 public:
  explicit NullDesktop(Log& log) : log_(log), overlay_(log) {}

  std::string name() const override { return "none"; }
  int eventFd() const override { return -1; }
  void processEvents() override {}

  WindowHandle findWindow(const std::wstring&, const std::wstring&) override { return 0; }
  WindowHandle findWindowByTitle(const std::wstring& title) override;
  WindowHandle foregroundWindow() override;
  bool setForegroundWindow(WindowHandle window) override;
  bool activateWindow(WindowHandle window) override;
  bool windowProcessId(WindowHandle, std::uint32_t&) override { return false; }
  bool isWindowVisible(WindowHandle) override { return false; }
  std::wstring windowText(WindowHandle, std::size_t) override { return std::wstring(); }
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override;
  bool postToWindow(WindowHandle window, std::uint32_t message, WParam wParam,
                    LParam lParam) override;
  bool showDesktop() override;

  bool keyEvent(std::uint8_t, bool) override { return false; }
  std::int32_t changeOrientation(const OrientationRequest& request) override;
  bool onScreenKeyboardShown() override { return false; }

  OverlayDevicePort& overlayDevice() override { return overlay_; }

 private:
  void unavailable(const char* what);

  Log& log_;
  NullOverlayDevice overlay_;
};
