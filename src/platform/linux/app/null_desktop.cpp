#include "platform/linux/app/null_desktop.h"

#include <string>

namespace {
constexpr const char* unavailableSuffix = " unavailable without a window system";
}

std::int32_t NullOverlayDevice::createDisplayObject(Overlay::Object& display) {
  display = next_++;
  return 0;
}

std::int32_t NullOverlayDevice::createPrimarySurface(Overlay::Object, Overlay::Object& surface) {
  surface = next_++;
  return 0;
}

std::int32_t NullOverlayDevice::getCaps(Overlay::Object, Overlay::Caps& caps) {
  caps = Overlay::Caps{};
  caps.overlayCaps = Overlay::capsSourceColorKey;
  return 0;
}

std::int32_t NullOverlayDevice::createOverlaySurface(Overlay::Object,
                                                     const Overlay::SurfaceRequest& request,
                                                     Overlay::Object& surface) {
  width_ = request.width;
  height_ = request.height;
  surface = next_++;
  return 0;
}

std::int32_t NullOverlayDevice::surfaceSize(Overlay::Object, std::int32_t& width,
                                            std::int32_t& height) {
  width = width_;
  height = height_;
  return 0;
}

Overlay::Image NullOverlayDevice::loadImage(std::uint32_t, bool) {
  log_.once("pictures", std::string("pictures (gestures, game-pad):") + unavailableSuffix);
  return 0;
}

void NullDesktop::unavailable(const char* what) {
  log_.once(what, std::string(what) + ":" + unavailableSuffix);
}

WindowHandle NullDesktop::findWindowByTitle(const std::wstring&) {
  unavailable("\"home\"");
  return 0;
}

WindowHandle NullDesktop::foregroundWindow() {
  unavailable("the application in front (\"closeapp\", \"learn\", BlackListAll)");
  return 0;
}

bool NullDesktop::setForegroundWindow(WindowHandle) {
  unavailable("switching applications (\"nextapp\", \"prevapp\")");
  return false;
}

bool NullDesktop::activateWindow(WindowHandle) {
  unavailable("switching applications (\"nextapp\", \"prevapp\")");
  return false;
}

bool NullDesktop::enumerateWindows(const std::function<bool(WindowHandle)>&) {
  unavailable("switching applications (\"nextapp\", \"prevapp\")");
  return true;  // an empty desktop
}

bool NullDesktop::postToWindow(WindowHandle, std::uint32_t, WParam, LParam) {
  unavailable("closing applications (\"closeapp\")");
  return false;
}

bool NullDesktop::showDesktop() {
  unavailable("\"home\"");
  return false;
}

std::int32_t NullDesktop::changeOrientation(const OrientationRequest&) {
  unavailable("\"rotate\"");
  return Overlay::genericFailure;
}
