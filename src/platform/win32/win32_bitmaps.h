// GDI bitmaps as the overlay device uses them: 32-bit top-down DIB sections
// and the device contexts that hold a bitmap while something draws into it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace Win32Bitmaps {

// Largest surface or decoded picture side, in pixels.
constexpr std::int32_t maxSide = 1 << 14;

struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A 32-bit top-down DIB section, black; null when the size is out of range
// (above maxSide) or the system refuses.
HBITMAP createDib(std::int32_t width, std::int32_t height, std::uint32_t*& pixels);

// A memory device context, compatible with the screen, holding `bitmap`
// while it lives.
class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap);
  ~BitmapDc();
  BitmapDc(const BitmapDc&) = delete;
  BitmapDc& operator=(const BitmapDc&) = delete;

  // False when the bitmap could not be selected (not a bitmap, or held by
  // another device context).
  bool holds() const { return previous_ != nullptr; }
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Plain copy of (0, 0, width, height) of `image` to the top-left corner of
// `target`.
bool drawImage(HDC target, HBITMAP image, std::int32_t width, std::int32_t height);

}  // namespace Win32Bitmaps
