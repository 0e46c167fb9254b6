#include "platform/win32/win32_picture_decoder.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>

#include "platform/win32/win32_bitmaps.h"

namespace Win32PictureDecoder {

namespace {

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** out() { return &p_; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace

HBITMAP decode(const void* bytes, DWORD size) {
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  UINT width = 0;
  UINT height = 0;
  // The stream only reads from the memory it is given.
  BYTE* data = static_cast<BYTE*>(const_cast<void*>(bytes));
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(factory.out()))) ||
      FAILED(factory->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(data, size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.out())) ||
      FAILED(decoder->GetFrame(0, frame.out())) ||
      FAILED(factory->CreateFormatConverter(converter.out())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->GetSize(&width, &height))) {
    return nullptr;
  }
  constexpr auto maxSide = static_cast<UINT>(Win32Bitmaps::maxSide);
  if (width == 0 || height == 0 || width > maxSide || height > maxSide) return nullptr;
  std::uint32_t* pixels = nullptr;
  Win32Bitmaps::OwnedBitmap bitmap(Win32Bitmaps::createDib(
      static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), pixels));
  if (bitmap == nullptr) return nullptr;
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(pixels)))) {
    return nullptr;
  }
  return bitmap.release();
}

}  // namespace Win32PictureDecoder
