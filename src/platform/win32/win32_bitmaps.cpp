#include "platform/win32/win32_bitmaps.h"

namespace Win32Bitmaps {

HBITMAP createDib(std::int32_t width, std::int32_t height, std::uint32_t*& pixels) {
  pixels = nullptr;
  if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  OwnedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (dib == nullptr || bits == nullptr) return nullptr;
  pixels = static_cast<std::uint32_t*>(bits);
  return dib.release();
}

BitmapDc::BitmapDc(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
  if (dc_ != nullptr && bitmap != nullptr) previous_ = SelectObject(dc_, bitmap);
}

BitmapDc::~BitmapDc() {
  if (holds()) SelectObject(dc_, previous_);
  if (dc_ != nullptr) DeleteDC(dc_);
}

bool drawImage(HDC target, HBITMAP image, std::int32_t width, std::int32_t height) {
  const BitmapDc source(image);
  return source.holds() &&
         BitBlt(target, 0, 0, width, height, source.get(), 0, 0, SRCCOPY) != FALSE;
}

}  // namespace Win32Bitmaps
