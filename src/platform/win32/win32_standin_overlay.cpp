#include "platform/win32/win32_standin_overlay.h"

#include <ddraw.h>

#include <cstddef>

#include "platform/win32/win32_bitmaps.h"

namespace StandInOverlay {

namespace {

using Win32Bitmaps::BitmapDc;
using Win32Bitmaps::OwnedBitmap;

// The bit that says "overlays" to the core (see the DirectDraw path).
constexpr std::uint32_t overlayPresent = 0x1;
constexpr std::uint32_t unitStretch = 1000;  // thousandths

constexpr wchar_t standInClass[] = L"ZemOverlaySurface";
constexpr DWORD standInExStyle =
    WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

std::int32_t lastErrorCode() {
  const DWORD error = GetLastError();
  return error != 0 ? HRESULT_FROM_WIN32(error) : DDERR_GENERIC;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go to whatever lies below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool registerWindowClass(HINSTANCE module) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = standInClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The key is a pixel of the 32-bit surface, 0x00RRGGBB.
COLORREF colorRef(std::uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16);
}

// The surfaces have no alpha: the top byte of their pixels means nothing,
// and a GDI copy of a picture without alpha (a 24-bit bitmap) leaves it 0.
// A layered window can still read it as alpha (Wine gives one a visual with
// alpha and leaves every pixel with a top byte of 0 out of its shape, colour
// key or not), so what goes into one is made opaque first.
void makeOpaque(std::uint32_t* pixels, std::int32_t width, std::int32_t height) {
  GdiFlush();  // GDI's drawing into the DIB section comes first
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
}

// Puts the `from` part of `surface` into the layered `window` at `to`,
// stretched to its size as overlay hardware does.
bool paintLayered(HWND window, HBITMAP surface, const Overlay::Rect& from, const Overlay::Rect& to,
                  bool keyed, COLORREF key) {
  const std::int32_t width = to.right - to.left;
  const std::int32_t height = to.bottom - to.top;
  const std::int32_t fromWidth = from.right - from.left;
  const std::int32_t fromHeight = from.bottom - from.top;
  const Win32Bitmaps::ScreenDc screen;
  const BitmapDc picture(surface);
  if (screen.get() == nullptr || !picture.holds()) return false;

  HDC shown = picture.get();
  POINT origin{from.left, from.top};
  OwnedBitmap scaled;
  std::unique_ptr<BitmapDc> scaledDc;
  if (width != fromWidth || height != fromHeight) {
    std::uint32_t* pixels = nullptr;
    scaled.reset(Win32Bitmaps::createDib(width, height, pixels));
    if (scaled == nullptr) return false;
    scaledDc = std::make_unique<BitmapDc>(scaled.get());
    // Whole pixels only: a blended edge would no longer match the key.
    if (!scaledDc->holds() || SetStretchBltMode(scaledDc->get(), COLORONCOLOR) == 0 ||
        StretchBlt(scaledDc->get(), 0, 0, width, height, picture.get(), from.left, from.top,
                   fromWidth, fromHeight, SRCCOPY) == FALSE) {
      return false;
    }
    makeOpaque(pixels, width, height);
    shown = scaledDc->get();
    origin = POINT{0, 0};
  }
  POINT at{to.left, to.top};
  SIZE size{width, height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
  return UpdateLayeredWindow(window, screen.get(), &at, &size, shown, &origin, key, &blend,
                             keyed ? ULW_COLORKEY : ULW_OPAQUE) != FALSE;
}

}  // namespace

Overlay::Caps caps() {
  return Overlay::Caps{overlayPresent | Overlay::capsSourceColorKey, 0, 0, unitStretch};
}

std::unique_ptr<Surface> Surface::create(HINSTANCE module, std::int32_t width,
                                         std::int32_t height) {
  std::uint32_t* pixels = nullptr;
  const HBITMAP dib = Win32Bitmaps::createDib(width, height, pixels);
  if (dib == nullptr) return nullptr;
  return std::unique_ptr<Surface>(new Surface(module, dib, pixels, width, height));
}

Surface::Surface(HINSTANCE module, HBITMAP dib, std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
    : module_(module), dib_(dib), pixels_(pixels), width_(width), height_(height) {}

Surface::~Surface() {
  hide();
  DeleteObject(dib_);
}

bool Surface::pixel(std::int32_t x, std::int32_t y, std::uint32_t& rgb) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  GdiFlush();
  rgb = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                static_cast<std::size_t>(x)] &
        0xFFFFFFu;
  return true;
}

bool Surface::copyImage(HBITMAP picture, std::int32_t width, std::int32_t height) {
  const BitmapDc target(dib_);
  return target.holds() && Win32Bitmaps::drawImage(target.get(), picture, width, height);
}

std::int32_t Surface::update(const Overlay::Rect* source, const Overlay::Rect* destination,
                             bool show, bool hide, bool keyed, const Overlay::Effects* effects) {
  if (hide) {
    this->hide();
    return DD_OK;
  }
  return this->show(source, destination, show, keyed, effects);
}

void Surface::hide() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
}

std::int32_t Surface::show(const Overlay::Rect* source, const Overlay::Rect* destination, bool show,
                           bool keyed, const Overlay::Effects* effects) {
  // Neither shown nor hidden: a shown overlay moves, a hidden one stays so.
  if (!show && window_ == nullptr) return DD_OK;
  if (destination == nullptr) return DDERR_INVALIDPARAMS;
  const Overlay::Rect whole{0, 0, width_, height_};
  const Overlay::Rect& from = source != nullptr ? *source : whole;
  const Overlay::Rect& to = *destination;
  const std::int64_t toWidth = std::int64_t{to.right} - to.left;
  const std::int64_t toHeight = std::int64_t{to.bottom} - to.top;
  if (from.left < 0 || from.top < 0 || from.right > width_ || from.bottom > height_ ||
      from.right <= from.left || from.bottom <= from.top || toWidth <= 0 || toHeight <= 0 ||
      toWidth > Win32Bitmaps::maxSide || toHeight > Win32Bitmaps::maxSide) {
    return DDERR_INVALIDRECT;
  }

  // A fresh window for every picture and place: Wine paints a layered window
  // only at its first update after it is shown; a moved one would keep its
  // old shape and lose its picture.
  hide();
  if (!registerWindowClass(module_)) return lastErrorCode();
  window_ = CreateWindowExW(standInExStyle, standInClass, L"", WS_POPUP, to.left, to.top,
                            static_cast<int>(toWidth), static_cast<int>(toHeight), nullptr, nullptr,
                            module_, nullptr);
  if (window_ == nullptr) return lastErrorCode();
  // Shown before it is painted, which it needs under Wine; until then a
  // layered window is invisible anyway.
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  makeOpaque(pixels_, width_, height_);
  const COLORREF key = keyed ? colorRef(effects->colorKeyLow) : 0;
  if (!paintLayered(window_, dib_, from, to, keyed, key)) {
    const std::int32_t code = lastErrorCode();
    hide();  // nothing half-shown stays on the screen
    return code;
  }
  return DD_OK;
}

}  // namespace StandInOverlay
