#include "platform/win32/win32_overlay_device.h"

#include <ddraw.h>
#include <objbase.h>
#include <wincodec.h>

#include <cwchar>
#include <iterator>
#include <memory>
#include <type_traits>

namespace {

// The port's numbers that the desktop's DirectDraw shares.
static_assert(DDSCAPS_FLIP == Overlay::surfaceFlip);
static_assert(DDPF_RGB == Overlay::pixelFormatRgb);
static_assert(DDERR_GENERIC == Overlay::genericFailure);
static_assert((DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT | DDSD_PIXELFORMAT) ==
              0x1027);
static_assert(sizeof(DDPIXELFORMAT) == sizeof(Overlay::PixelFormat));

// The phone's numbers that the desktop's DirectDraw does not share.
struct FlagPair {
  std::uint32_t phone;
  DWORD desktop;
};
constexpr FlagPair kSurfaceCaps[] = {{Overlay::surfaceFlip, DDSCAPS_FLIP},
                                     {Overlay::surfaceOverlay, DDSCAPS_OVERLAY},
                                     {Overlay::surfacePrimary, DDSCAPS_PRIMARYSURFACE}};
constexpr FlagPair kUpdateFlags[] = {
    {Overlay::updateShow, DDOVER_SHOW},
    {Overlay::updateHide, DDOVER_HIDE},
    {Overlay::updateSourceColorKeyOverride, DDOVER_KEYSRCOVERRIDE}};
constexpr std::uint32_t kPhoneCooperationNormal = 0;  // the desktop's DDSCL_NORMAL is 8
// The core reads only the source colour-key bit of the overlay capabilities
// and otherwise tells 0 (no overlays) from the rest: this bit says
// "overlays" where the desktop's capabilities give no other.
constexpr std::uint32_t kOverlayPresent = 0x1;
constexpr std::uint32_t kUnitStretch = 1000;  // thousandths

// Largest stand-in surface or decoded picture side, in pixels.
constexpr std::int32_t kMaxSide = 1 << 14;

constexpr wchar_t kStandInClass[] = L"ZemOverlaySurface";
constexpr DWORD kStandInExStyle =
    WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr wchar_t kPictureType[] = L"GIF";  // holds PNG data

// False when `flags` has a bit without a counterpart.
template <std::size_t N>
bool translate(std::uint32_t flags, const FlagPair (&pairs)[N], DWORD& desktop) {
  desktop = 0;
  for (const FlagPair& pair : pairs) {
    if ((flags & pair.phone) != 0) {
      desktop |= pair.desktop;
      flags &= ~pair.phone;
    }
  }
  return flags == 0;
}

std::int32_t failure(HRESULT result) { return FAILED(result) ? result : DDERR_GENERIC; }

std::int32_t lastErrorCode() {
  const DWORD error = GetLastError();
  return error != 0 ? HRESULT_FROM_WIN32(error) : DDERR_GENERIC;
}

OverlayPath pathFromEnvironment() {
  wchar_t value[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"ZEM_OVERLAY", value, std::size(value));
  if (length == 0 || length >= std::size(value)) return OverlayPath::automatic;
  if (_wcsicmp(value, L"standin") == 0) return OverlayPath::standIn;
  if (_wcsicmp(value, L"directdraw") == 0) return OverlayPath::directDraw;
  return OverlayPath::automatic;
}

bool readHardwareCaps(IDirectDraw& directDraw, DDCAPS& caps, HRESULT& result) {
  caps = DDCAPS{};
  caps.dwSize = sizeof(caps);
  result = directDraw.GetCaps(&caps, nullptr);
  return SUCCEEDED(result);
}

// The desktop reports overlays and their colour keying in its general and
// colour-key capabilities, the phone in one set of overlay capabilities.
Overlay::Caps phoneCaps(const DDCAPS& hardware) {
  Overlay::Caps caps;
  if ((hardware.dwCaps & DDCAPS_OVERLAY) != 0) {
    caps.overlayCaps = kOverlayPresent;
    if ((hardware.dwCKeyCaps & DDCKEYCAPS_SRCOVERLAY) != 0) {
      caps.overlayCaps |= Overlay::capsSourceColorKey;
    }
  }
  caps.alignSizeSource = hardware.dwAlignSizeSrc;
  caps.alignSizeDest = hardware.dwAlignSizeDest;
  caps.minOverlayStretch = hardware.dwMinOverlayStretch;
  return caps;
}

LPCWSTR resourceName(std::uint32_t id) {
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
}

struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A 32-bit top-down DIB section, black; null when the size is out of range
// or the system refuses.
HBITMAP createDib(std::int32_t width, std::int32_t height, std::uint32_t*& pixels) {
  pixels = nullptr;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
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

// A memory device context, compatible with the screen, holding `bitmap`
// while it lives.
class BitmapDc {
 public:
  explicit BitmapDc(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ != nullptr && bitmap != nullptr) previous_ = SelectObject(dc_, bitmap);
  }
  ~BitmapDc() {
    if (holds()) SelectObject(dc_, previous_);
    if (dc_ != nullptr) DeleteDC(dc_);
  }
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
bool drawImage(HDC target, HBITMAP image, std::int32_t width, std::int32_t height) {
  const BitmapDc source(image);
  return source.holds() &&
         BitBlt(target, 0, 0, width, height, source.get(), 0, 0, SRCCOPY) != FALSE;
}

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

// Decodes a picture file (PNG) held in memory into a 32-bit bitmap.
HBITMAP decodePicture(const void* bytes, DWORD size) {
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
  if (width == 0 || height == 0 || width > static_cast<UINT>(kMaxSide) ||
      height > static_cast<UINT>(kMaxSide)) {
    return nullptr;
  }
  std::uint32_t* pixels = nullptr;
  OwnedBitmap bitmap(
      createDib(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), pixels));
  if (bitmap == nullptr) return nullptr;
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(pixels)))) {
    return nullptr;
  }
  return bitmap.release();
}

LRESULT CALLBACK standInProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go to whatever lies below
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool registerStandInClass(HINSTANCE module) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = standInProcedure;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kStandInClass;
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
  const ScreenDc screen;
  const BitmapDc picture(surface);
  if (screen.get() == nullptr || !picture.holds()) return false;

  HDC shown = picture.get();
  POINT origin{from.left, from.top};
  OwnedBitmap scaled;
  std::unique_ptr<BitmapDc> scaledDc;
  if (width != fromWidth || height != fromHeight) {
    std::uint32_t* pixels = nullptr;
    scaled.reset(createDib(width, height, pixels));
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

template <class Map>
auto* lookup(Map& objects, Overlay::Object object) {
  const auto it = objects.find(object);
  return it == objects.end() ? nullptr : &it->second;
}

}  // namespace

Win32OverlayDevice::Win32OverlayDevice(HINSTANCE module, OverlayPath path)
    : module_(module != nullptr ? module : GetModuleHandleW(nullptr)),
      path_(path == OverlayPath::automatic ? pathFromEnvironment() : path) {}

Win32OverlayDevice::~Win32OverlayDevice() {
  // Newest first: surfaces go before the display object that made them.
  while (!objects_.empty()) {
    const auto last = std::prev(objects_.end());
    destroy(last->second);
    objects_.erase(last);
  }
  if (com_ == ComState::mine) CoUninitialize();
}

bool Win32OverlayDevice::isStandIn(Overlay::Object object) const {
  const Entry* entry = lookup(objects_, object);
  return entry != nullptr && entry->standIn;
}

bool Win32OverlayDevice::surfacePixel(Overlay::Object surface, std::int32_t x, std::int32_t y,
                                      std::uint32_t& rgb) const {
  const Entry* entry = lookup(objects_, surface);
  if (entry == nullptr || entry->pixels == nullptr || x < 0 || y < 0 || x >= entry->width ||
      y >= entry->height) {
    return false;
  }
  GdiFlush();
  rgb = entry->pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(entry->width) +
                      static_cast<std::size_t>(x)] &
        0xFFFFFFu;
  return true;
}

HWND Win32OverlayDevice::shownWindow(Overlay::Object surface) const {
  const Entry* entry = lookup(objects_, surface);
  return entry != nullptr ? entry->window : nullptr;
}

Win32OverlayDevice::Entry* Win32OverlayDevice::entryOf(Overlay::Object object, Kind kind) {
  Entry* entry = lookup(objects_, object);
  return entry != nullptr && entry->kind == kind ? entry : nullptr;
}

Overlay::Object Win32OverlayDevice::add(const Entry& entry) {
  const Overlay::Object object = nextObject_++;
  objects_.emplace(object, entry);
  return object;
}

void Win32OverlayDevice::destroy(Entry& entry) {
  if (entry.window != nullptr) DestroyWindow(entry.window);
  if (entry.dib != nullptr) DeleteObject(entry.dib);
  if (entry.surface != nullptr) entry.surface->Release();
  if (entry.directDraw != nullptr) entry.directDraw->Release();
  entry = Entry{};
}

bool Win32OverlayDevice::startCom() {
  if (com_ == ComState::untried) {
    const HRESULT result =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (SUCCEEDED(result)) {
      com_ = ComState::mine;  // S_FALSE too: every success is balanced
    } else if (result == RPC_E_CHANGED_MODE) {
      com_ = ComState::borrowed;  // already started in the other model: usable
    } else {
      com_ = ComState::unavailable;
    }
  }
  return com_ == ComState::mine || com_ == ComState::borrowed;
}

std::int32_t Win32OverlayDevice::createDisplayObject(Overlay::Object& display) {
  display = 0;
  Entry entry;
  if (path_ != OverlayPath::standIn) {
    IDirectDraw* directDraw = nullptr;
    const HRESULT result = DirectDrawCreate(nullptr, &directDraw, nullptr);
    if (SUCCEEDED(result) && directDraw != nullptr) {
      DDCAPS hardware;
      HRESULT capsResult = DD_OK;
      if (path_ == OverlayPath::directDraw ||
          (readHardwareCaps(*directDraw, hardware, capsResult) &&
           (hardware.dwCaps & DDCAPS_OVERLAY) != 0)) {
        entry.directDraw = directDraw;
        display = add(entry);
        return DD_OK;
      }
      directDraw->Release();  // no overlay hardware: the stand-in serves
    } else if (path_ == OverlayPath::directDraw) {
      return failure(result);
    }
  }
  entry.standIn = true;
  display = add(entry);
  return DD_OK;
}

std::int32_t Win32OverlayDevice::setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                                     std::uint32_t flags) {
  Entry* entry = entryOf(display, Kind::display);
  if (entry == nullptr) return DDERR_INVALIDOBJECT;
  const HWND owner = reinterpret_cast<HWND>(window);
  if (entry->standIn) return owner == nullptr || IsWindow(owner) ? DD_OK : DDERR_INVALIDPARAMS;
  // The phone's normal level is 0, the desktop's has a bit of its own.
  const DWORD level = flags == kPhoneCooperationNormal ? DDSCL_NORMAL : flags;
  return entry->directDraw->SetCooperativeLevel(owner, level);
}

std::int32_t Win32OverlayDevice::createPrimarySurface(Overlay::Object display,
                                                      Overlay::Object& surface) {
  surface = 0;
  const Entry* owner = entryOf(display, Kind::display);
  if (owner == nullptr) return DDERR_INVALIDOBJECT;
  Entry entry;
  entry.kind = Kind::primary;
  entry.standIn = owner->standIn;
  if (!owner->standIn) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    const HRESULT result = owner->directDraw->CreateSurface(&desc, &entry.surface, nullptr);
    if (FAILED(result) || entry.surface == nullptr) return failure(result);
  }
  surface = add(entry);
  return DD_OK;
}

std::int32_t Win32OverlayDevice::getCaps(Overlay::Object display, Overlay::Caps& caps) {
  const Entry* entry = entryOf(display, Kind::display);
  if (entry == nullptr) return DDERR_INVALIDOBJECT;
  if (entry->standIn) {
    caps = Overlay::Caps{kOverlayPresent | Overlay::capsSourceColorKey, 0, 0, kUnitStretch};
    return DD_OK;
  }
  DDCAPS hardware;
  HRESULT result = DD_OK;
  if (!readHardwareCaps(*entry->directDraw, hardware, result)) return failure(result);
  caps = phoneCaps(hardware);
  return DD_OK;
}

std::int32_t Win32OverlayDevice::createOverlaySurface(Overlay::Object display,
                                                      const Overlay::SurfaceRequest& request,
                                                      Overlay::Object& surface) {
  surface = 0;
  const Entry* owner = entryOf(display, Kind::display);
  if (owner == nullptr) return DDERR_INVALIDOBJECT;
  DWORD caps = 0;
  if (!translate(request.caps, kSurfaceCaps, caps) || (caps & DDSCAPS_OVERLAY) == 0) {
    return DDERR_INVALIDCAPS;
  }
  if (request.width <= 0 || request.height <= 0) return DDERR_INVALIDPARAMS;

  Entry entry;
  entry.kind = Kind::overlay;
  entry.standIn = owner->standIn;
  if (owner->standIn) {
    entry.dib = createDib(request.width, request.height, entry.pixels);
    if (entry.dib == nullptr) return DDERR_OUTOFMEMORY;
    entry.width = request.width;
    entry.height = request.height;
  } else {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = request.validFields;
    desc.dwWidth = static_cast<DWORD>(request.width);
    desc.dwHeight = static_cast<DWORD>(request.height);
    desc.dwBackBufferCount = request.backBufferCount;
    // A flipping chain is one complex surface on the desktop.
    if ((caps & DDSCAPS_FLIP) != 0 && request.backBufferCount != 0) caps |= DDSCAPS_COMPLEX;
    desc.ddsCaps.dwCaps = caps;
    DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = request.format.flags;
    format.dwFourCC = request.format.fourCC;
    format.dwRGBBitCount = request.format.bitsPerPixel;
    format.dwRBitMask = request.format.redMask;
    format.dwGBitMask = request.format.greenMask;
    format.dwBBitMask = request.format.blueMask;
    format.dwRGBAlphaBitMask = request.format.alphaMask;
    const HRESULT result = owner->directDraw->CreateSurface(&desc, &entry.surface, nullptr);
    if (FAILED(result) || entry.surface == nullptr) return failure(result);
  }
  surface = add(entry);
  return DD_OK;
}

std::int32_t Win32OverlayDevice::surfaceSize(Overlay::Object surface, std::int32_t& width,
                                             std::int32_t& height) {
  const Entry* entry = lookup(objects_, surface);
  if (entry == nullptr || entry->kind == Kind::display) return DDERR_INVALIDOBJECT;
  if (entry->standIn) {
    const bool primary = entry->kind == Kind::primary;
    width = primary ? GetSystemMetrics(SM_CXSCREEN) : entry->width;
    height = primary ? GetSystemMetrics(SM_CYSCREEN) : entry->height;
    return DD_OK;
  }
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof(desc);
  const HRESULT result = entry->surface->GetSurfaceDesc(&desc);
  if (FAILED(result)) return result;
  if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) {
    return DDERR_GENERIC;
  }
  width = static_cast<std::int32_t>(desc.dwWidth);
  height = static_cast<std::int32_t>(desc.dwHeight);
  return DD_OK;
}

Overlay::Image Win32OverlayDevice::loadImage(std::uint32_t resourceId, bool compressed) {
  // Resource ids are 16-bit: a larger one would name another picture.
  if (resourceId == 0 || resourceId > 0xFFFF) return 0;
  const LPCWSTR name = resourceName(resourceId);
  if (!compressed) {
    return reinterpret_cast<Overlay::Image>(
        LoadImageW(module_, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
  const HRSRC found = FindResourceW(module_, name, kPictureType);
  const HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(module_, found) : 0;
  if (bytes == nullptr || size == 0 || !startCom()) return 0;
  return reinterpret_cast<Overlay::Image>(decodePicture(bytes, size));
}

bool Win32OverlayDevice::copyImage(Overlay::Object surface, Overlay::Image image,
                                   std::int32_t width, std::int32_t height) {
  Entry* entry = entryOf(surface, Kind::overlay);
  if (entry == nullptr || image == 0 || width <= 0 || height <= 0) return false;
  const HBITMAP picture = reinterpret_cast<HBITMAP>(image);
  if (entry->standIn) {
    const BitmapDc target(entry->dib);
    return target.holds() && drawImage(target.get(), picture, width, height);
  }
  HDC target = nullptr;
  if (FAILED(entry->surface->GetDC(&target)) || target == nullptr) return false;
  const bool copied = drawImage(target, picture, width, height);
  entry->surface->ReleaseDC(target);
  return copied;
}

void Win32OverlayDevice::deleteImage(Overlay::Image image) {
  if (image != 0) DeleteObject(reinterpret_cast<HGDIOBJ>(image));
}

std::int32_t Win32OverlayDevice::updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                                               Overlay::Object primary,
                                               const Overlay::Rect* destination,
                                               std::uint32_t flags,
                                               const Overlay::Effects* effects) {
  Entry* overlay = entryOf(surface, Kind::overlay);
  const Entry* target = entryOf(primary, Kind::primary);
  if (overlay == nullptr || target == nullptr || overlay->standIn != target->standIn) {
    return DDERR_INVALIDOBJECT;
  }
  DWORD desktopFlags = 0;
  const bool show = (flags & Overlay::updateShow) != 0;
  const bool hide = (flags & Overlay::updateHide) != 0;
  const bool keyed = (flags & Overlay::updateSourceColorKeyOverride) != 0;
  if (!translate(flags, kUpdateFlags, desktopFlags) || (show && hide) ||
      (keyed && effects == nullptr)) {
    return DDERR_INVALIDPARAMS;
  }

  if (overlay->standIn) {
    if (hide) {
      if (overlay->window != nullptr) DestroyWindow(overlay->window);
      overlay->window = nullptr;
      return DD_OK;
    }
    return showStandIn(*overlay, source, destination, show, keyed, effects);
  }

  RECT from{};
  RECT to{};
  if (source != nullptr) from = RECT{source->left, source->top, source->right, source->bottom};
  if (destination != nullptr) {
    to = RECT{destination->left, destination->top, destination->right, destination->bottom};
  }
  DDOVERLAYFX fx = {};
  fx.dwSize = sizeof(fx);
  if (effects != nullptr) {
    fx.dckSrcColorkey.dwColorSpaceLowValue = effects->colorKeyLow;
    fx.dckSrcColorkey.dwColorSpaceHighValue = effects->colorKeyHigh;
    desktopFlags |= DDOVER_DDFX;
  }
  return overlay->surface->UpdateOverlay(source != nullptr ? &from : nullptr, target->surface,
                                         destination != nullptr ? &to : nullptr, desktopFlags,
                                         effects != nullptr ? &fx : nullptr);
}

std::int32_t Win32OverlayDevice::showStandIn(Entry& overlay, const Overlay::Rect* source,
                                             const Overlay::Rect* destination, bool show,
                                             bool keyed, const Overlay::Effects* effects) {
  // Neither shown nor hidden: a shown overlay moves, a hidden one stays so.
  if (!show && overlay.window == nullptr) return DD_OK;
  if (destination == nullptr) return DDERR_INVALIDPARAMS;
  const Overlay::Rect whole{0, 0, overlay.width, overlay.height};
  const Overlay::Rect& from = source != nullptr ? *source : whole;
  const Overlay::Rect& to = *destination;
  const std::int64_t toWidth = std::int64_t{to.right} - to.left;
  const std::int64_t toHeight = std::int64_t{to.bottom} - to.top;
  if (from.left < 0 || from.top < 0 || from.right > overlay.width || from.bottom > overlay.height ||
      from.right <= from.left || from.bottom <= from.top || toWidth <= 0 || toHeight <= 0 ||
      toWidth > kMaxSide || toHeight > kMaxSide) {
    return DDERR_INVALIDRECT;
  }

  // A fresh window for every picture and place: Wine paints a layered window
  // only at its first update after it is shown; a moved one would keep its
  // old shape and lose its picture.
  if (overlay.window != nullptr) DestroyWindow(overlay.window);
  overlay.window = nullptr;
  if (!registerStandInClass(module_)) return lastErrorCode();
  overlay.window = CreateWindowExW(kStandInExStyle, kStandInClass, L"", WS_POPUP, to.left, to.top,
                                   static_cast<int>(toWidth), static_cast<int>(toHeight), nullptr,
                                   nullptr, module_, nullptr);
  if (overlay.window == nullptr) return lastErrorCode();
  // Shown before it is painted, which it needs under Wine; until then a
  // layered window is invisible anyway.
  ShowWindow(overlay.window, SW_SHOWNOACTIVATE);
  makeOpaque(overlay.pixels, overlay.width, overlay.height);
  const COLORREF key = keyed ? colorRef(effects->colorKeyLow) : 0;
  if (!paintLayered(overlay.window, overlay.dib, from, to, keyed, key)) {
    const std::int32_t code = lastErrorCode();
    DestroyWindow(overlay.window);  // nothing half-shown stays on the screen
    overlay.window = nullptr;
    return code;
  }
  return DD_OK;
}

void Win32OverlayDevice::release(Overlay::Object object) {
  const auto it = objects_.find(object);
  if (it == objects_.end()) return;
  destroy(it->second);
  objects_.erase(it);
}
