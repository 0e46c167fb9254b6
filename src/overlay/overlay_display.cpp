#include "overlay/overlay_display.h"

#include <cstdint>
#include <limits>
#include <string>

#include "ports/main_window.h"

namespace {

constexpr const wchar_t* overlayClassName = L"OverlayWndClass";
constexpr const wchar_t* overlayTitle = L"Overlay";
constexpr std::uint32_t classStyles = 3;  // redraw on horizontal and vertical resize
constexpr std::uint32_t blackBrush = 4;
constexpr std::uint32_t topmost = 0x8;
constexpr std::uint32_t popup = 0x80000000;
constexpr std::uint32_t cooperationNormal = 0;

// Valid fields of the overlay surface request: caps, height, width, back
// buffer count, pixel format.
constexpr std::uint32_t overlayRequestFields = 0x1027;
constexpr std::uint32_t effectsRecordSize = 28;  // bytes, the platform's record
constexpr std::int64_t unitStretch = 1000;       // thousandths

constexpr const wchar_t* createFailed = L"DirectDrawCreate failed.";
constexpr const wchar_t* levelFailed = L"SetCooperativeLevel failed.";
constexpr const wchar_t* surfaceFailed = L"CreateSurface failed.";
constexpr const wchar_t* capsFailed = L"GetCaps failed";
constexpr const wchar_t* noOverlay = L"Overlays are not supported in hardware!";
constexpr const wchar_t* overlaySurfaceFailed = L"Unable to create overlay surface!";
constexpr const wchar_t* copyFailed = L"Unable to load images to overlay surface!";
constexpr const wchar_t* showFailed = L"Unable to show overlay surface!";
constexpr const wchar_t* timerFailed = L"SetTimer failed.";

// The next multiple of `alignment` at or above `value` (also for negative
// values); `value` itself when the alignment is 0.
std::int64_t alignUp(std::int64_t value, std::uint32_t alignment) {
  if (alignment == 0) return value;
  const std::int64_t step = alignment;
  const std::int64_t remainder = ((value % step) + step) % step;
  return remainder == 0 ? value : value + (step - remainder);
}

std::int32_t clampToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

const wchar_t* toString(OverlayState state) {
  switch (state) {
    case OverlayState::empty:
      return L"empty";
    case OverlayState::loaded:
      return L"loaded";
    case OverlayState::shown:
      return L"shown";
  }
  return L"?";
}

LResult OverlayDisplay::OverlayWindowHandler::handleMessage(WindowHandle window,
                                                            std::uint32_t message, WParam wParam,
                                                            LParam lParam) {
  // Any timer id. A timer message of a window no longer held (queued before
  // a reload) must not hide the picture that replaced it.
  if (message == WindowMessage::timer && window != 0 && window == owner_.window_) {
    owner_.hidePicture();
  }
  return owner_.windows_.defaultProcedure(window, message, wParam, lParam);
}

OverlayDisplay::OverlayDisplay(WindowPort& windows, OverlayDevicePort& device, DebugPort& debug)
    : windows_(windows), device_(device), debug_(debug) {}

OverlayDisplay::~OverlayDisplay() { releaseAll(); }

int OverlayDisplay::loadPicture(std::uint32_t resourceId, std::int32_t x, std::int32_t y,
                                PictureSize size, ImageKind kind) {
  if (resourceId == 0) return 1;

  // At most one set of objects: the earlier picture goes first, with its
  // hide timer (a picture shown without one makes the kill fail: no matter).
  if (window_ != 0) windows_.killTimer(window_, hideTimerId);
  releaseAll();

  // No surface can have an empty or negative size: nothing is built.
  if (size.width <= 0 || size.height <= 0) return fail(copyFailed, 1);

  createWindow();
  if (const int code = startDisplay()) return code;
  if (const int code = createSurfaces(size.width, size.height)) return code;
  if (!copyPicture(resourceId, kind)) return fail(copyFailed, 1);
  placeDestination(x, y, size.height);
  setState(OverlayState::loaded);
  return 0;
}

int OverlayDisplay::showPicture(HideTimer timer, std::uint32_t timeoutMs) {
  if (overlay_ == 0) return fail(showFailed, 1);  // nothing loaded
  const std::int32_t code = device_.updateOverlay(overlay_, &sourceRect_, primary_,
                                                  &destinationRect_, updateFlags_, &effects_);
  if (code != 0) return fail(showFailed, code);
  setState(OverlayState::shown);
  // Without a window a timer would belong to the thread and never be killed.
  if (timer == HideTimer::after &&
      (window_ == 0 || windows_.setTimer(window_, hideTimerId, timeoutMs) != hideTimerId)) {
    // Nothing would ever hide the picture: it goes now.
    fail(timerFailed, 1);
  }
  return 0;
}

int OverlayDisplay::hidePicture() {
  if (window_ == 0 || !windows_.killTimer(window_, hideTimerId)) lastError_ = timerFailed;
  releaseAll();
  return 0;
}

void OverlayDisplay::releaseAll() {
  if (overlay_ != 0) {
    device_.updateOverlay(overlay_, nullptr, primary_, nullptr, Overlay::updateHide, nullptr);
    device_.release(overlay_);
    overlay_ = 0;
  }
  if (primary_ != 0) {
    device_.release(primary_);
    primary_ = 0;
  }
  if (display_ != 0) {
    device_.release(display_);
    display_ = 0;
  }
  if (window_ != 0) {
    const WindowHandle window = window_;
    window_ = 0;  // the destroy message finds nothing held
    windows_.destroyWindow(window);
  }
  setState(OverlayState::empty);
}

const wchar_t* OverlayDisplay::lastError() const { return lastError_; }
bool OverlayDisplay::holdsPicture() const { return overlay_ != 0; }
Overlay::Rect OverlayDisplay::sourceRect() const { return sourceRect_; }
Overlay::Rect OverlayDisplay::destinationRect() const { return destinationRect_; }
std::uint32_t OverlayDisplay::updateFlags() const { return updateFlags_; }

int OverlayDisplay::fail(const wchar_t* message, std::int32_t code) {
  releaseAll();
  lastError_ = message;
  return code != 0 ? code : 1;
}

void OverlayDisplay::setState(OverlayState state) {
  if (state == state_) return;
  debug_.debugOutput(std::wstring(L"Overlay: ") + toString(state_) + L" -> " + toString(state) +
                     L"\n");
  state_ = state;
}

void OverlayDisplay::createWindow() {
  WindowClassSpec windowClass;
  windowClass.styles = classStyles;
  windowClass.className = overlayClassName;
  windowClass.iconId = MainWindow::iconId;  // the program's icon
  windowClass.arrowCursor = true;
  windowClass.stockBrush = blackBrush;
  // Repeated at every load; once registered, the class keeps this handler.
  windows_.registerClass(windowClass, handler_);

  WindowSpec params;
  params.exStyle = topmost;
  params.className = overlayClassName;
  params.title = overlayTitle;
  params.style = popup;
  params.x = 0;
  params.y = 0;
  params.width = windows_.screenWidth();
  params.height = windows_.screenHeight();
  // Never shown; it owns the display objects and the hide timer. A failure
  // leaves 0, which the later steps tolerate.
  window_ = windows_.createWindow(params);
}

int OverlayDisplay::startDisplay() {
  Overlay::Object display = 0;
  std::int32_t code = device_.createDisplayObject(display);
  display_ = display;  // whatever was handed over is released with the rest
  if (code != 0 || display_ == 0) return fail(createFailed, code);

  code = device_.setCooperativeLevel(display_, window_, cooperationNormal);
  if (code != 0) return fail(levelFailed, code);
  return 0;
}

int OverlayDisplay::createSurfaces(std::int32_t width, std::int32_t height) {
  Overlay::Object primary = 0;
  std::int32_t code = device_.createPrimarySurface(display_, primary);
  primary_ = primary;
  if (code != 0 || primary_ == 0) return fail(surfaceFailed, code);

  caps_ = Overlay::Caps{};
  code = device_.getCaps(display_, caps_);
  if (code != 0) return fail(capsFailed, code);
  if (caps_.overlayCaps == 0) return fail(noOverlay, 1);

  sourceRect_ = Overlay::Rect{0, 0, clampToInt32(alignUp(width, caps_.alignSizeSource)), height};

  Overlay::SurfaceRequest request;
  request.validFields = overlayRequestFields;
  request.width = sourceRect_.right;
  request.height = sourceRect_.bottom;
  request.backBufferCount = 1;
  request.caps = Overlay::surfaceFlip | Overlay::surfaceOverlay;
  for (const Overlay::PixelFormat& format : overlayFormats) {
    request.format = format;
    Overlay::Object surface = 0;
    code = device_.createOverlaySurface(display_, request, surface);
    if (code == 0 && surface != 0) {
      overlay_ = surface;
      break;
    }
    if (surface != 0) device_.release(surface);
  }
  if (overlay_ == 0) return fail(overlaySurfaceFailed, code);

  updateFlags_ = Overlay::updateShow;
  effects_ = Overlay::Effects{};
  effects_.size = effectsRecordSize;
  if ((caps_.overlayCaps & Overlay::capsSourceColorKey) != 0) {
    // Black is transparent.
    updateFlags_ |= Overlay::updateSourceColorKeyOverride;
    effects_.colorKeyLow = 0;
    effects_.colorKeyHigh = 0;
  }
  return 0;
}

bool OverlayDisplay::copyPicture(std::uint32_t resourceId, ImageKind kind) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (device_.surfaceSize(overlay_, width, height) != 0) return false;
  const Overlay::Image image = device_.loadImage(resourceId, kind == ImageKind::compressed);
  if (image == 0) return false;
  const bool copied = device_.copyImage(overlay_, image, width, height);
  device_.deleteImage(image);
  return copied;
}

void OverlayDisplay::placeDestination(std::int32_t x, std::int32_t y, std::int32_t height) {
  // 64-bit: a width below 2^31 times a stretch below 2^32 stays below 2^63.
  const std::int64_t stretch =
      caps_.minOverlayStretch > unitStretch ? caps_.minOverlayStretch : unitStretch;
  const std::int64_t width = sourceRect_.right;
  const std::int64_t right = x + (width * stretch + (unitStretch - 1)) / unitStretch;
  const std::int64_t bottom = y + (std::int64_t{height} * stretch) / unitStretch;
  // The alignment applies to the right edge's screen coordinate.
  destinationRect_ =
      Overlay::Rect{x, y, clampToInt32(alignUp(right, caps_.alignSizeDest)), clampToInt32(bottom)};
}
