#include "platform/win32/win32_directdraw_overlay.h"

#include <ddraw.h>

#include <cstddef>

#include "platform/win32/win32_bitmaps.h"

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
constexpr FlagPair surfaceCapsPairs[] = {{Overlay::surfaceFlip, DDSCAPS_FLIP},
                                         {Overlay::surfaceOverlay, DDSCAPS_OVERLAY},
                                         {Overlay::surfacePrimary, DDSCAPS_PRIMARYSURFACE}};
constexpr FlagPair updateFlagPairs[] = {
    {Overlay::updateShow, DDOVER_SHOW},
    {Overlay::updateHide, DDOVER_HIDE},
    {Overlay::updateSourceColorKeyOverride, DDOVER_KEYSRCOVERRIDE}};
constexpr std::uint32_t phoneCooperationNormal = 0;  // the desktop's DDSCL_NORMAL is 8
// The core reads only the source colour-key bit of the overlay capabilities
// and otherwise tells 0 (no overlays) from the rest: this bit says
// "overlays" where the desktop's capabilities give no other.
constexpr std::uint32_t overlayPresent = 0x1;

// Bits without a counterpart are dropped (the device refuses them first).
template <std::size_t N>
DWORD translate(std::uint32_t flags, const FlagPair (&pairs)[N]) {
  DWORD desktop = 0;
  for (const FlagPair& pair : pairs) {
    if ((flags & pair.phone) != 0) desktop |= pair.desktop;
  }
  return desktop;
}

std::int32_t failure(HRESULT result) { return FAILED(result) ? result : DDERR_GENERIC; }

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
    caps.overlayCaps = overlayPresent;
    if ((hardware.dwCKeyCaps & DDCKEYCAPS_SRCOVERLAY) != 0) {
      caps.overlayCaps |= Overlay::capsSourceColorKey;
    }
  }
  caps.alignSizeSource = hardware.dwAlignSizeSrc;
  caps.alignSizeDest = hardware.dwAlignSizeDest;
  caps.minOverlayStretch = hardware.dwMinOverlayStretch;
  return caps;
}

}  // namespace

DirectDrawSurface::~DirectDrawSurface() {
  if (surface_ != nullptr) surface_->Release();
}

std::int32_t DirectDrawSurface::size(std::int32_t& width, std::int32_t& height) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof(desc);
  const HRESULT result = surface_->GetSurfaceDesc(&desc);
  if (FAILED(result)) return result;
  if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) {
    return DDERR_GENERIC;
  }
  width = static_cast<std::int32_t>(desc.dwWidth);
  height = static_cast<std::int32_t>(desc.dwHeight);
  return DD_OK;
}

bool DirectDrawSurface::copyImage(HBITMAP picture, std::int32_t width, std::int32_t height) {
  HDC target = nullptr;
  if (FAILED(surface_->GetDC(&target)) || target == nullptr) return false;
  const bool copied = Win32Bitmaps::drawImage(target, picture, width, height);
  surface_->ReleaseDC(target);
  return copied;
}

std::int32_t DirectDrawSurface::update(const Overlay::Rect* source, DirectDrawSurface& primary,
                                       const Overlay::Rect* destination, std::uint32_t flags,
                                       const Overlay::Effects* effects) {
  DWORD desktopFlags = translate(flags, updateFlagPairs);
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
  return surface_->UpdateOverlay(source != nullptr ? &from : nullptr, primary.surface_,
                                 destination != nullptr ? &to : nullptr, desktopFlags,
                                 effects != nullptr ? &fx : nullptr);
}

std::unique_ptr<DirectDrawDisplay> DirectDrawDisplay::create(bool forced, std::int32_t& result) {
  IDirectDraw* directDraw = nullptr;
  const HRESULT created = DirectDrawCreate(nullptr, &directDraw, nullptr);
  if (FAILED(created) || directDraw == nullptr) {
    result = failure(created);
    return nullptr;
  }
  auto display = std::make_unique<DirectDrawDisplay>(directDraw);
  result = DD_OK;
  DDCAPS hardware;
  HRESULT capsResult = DD_OK;
  if (forced || (readHardwareCaps(*directDraw, hardware, capsResult) &&
                 (hardware.dwCaps & DDCAPS_OVERLAY) != 0)) {
    return display;
  }
  return nullptr;  // no overlay hardware: the stand-in serves
}

DirectDrawDisplay::~DirectDrawDisplay() {
  if (directDraw_ != nullptr) directDraw_->Release();
}

std::int32_t DirectDrawDisplay::setCooperativeLevel(HWND owner, std::uint32_t flags) {
  // The phone's normal level is 0, the desktop's has a bit of its own.
  const DWORD level = flags == phoneCooperationNormal ? DDSCL_NORMAL : flags;
  return directDraw_->SetCooperativeLevel(owner, level);
}

std::int32_t DirectDrawDisplay::getCaps(Overlay::Caps& caps) {
  DDCAPS hardware;
  HRESULT result = DD_OK;
  if (!readHardwareCaps(*directDraw_, hardware, result)) return failure(result);
  caps = phoneCaps(hardware);
  return DD_OK;
}

std::int32_t DirectDrawDisplay::createPrimarySurface(std::unique_ptr<DirectDrawSurface>& surface) {
  DDSURFACEDESC desc = {};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface* made = nullptr;
  const HRESULT result = directDraw_->CreateSurface(&desc, &made, nullptr);
  if (FAILED(result) || made == nullptr) return failure(result);
  surface = std::make_unique<DirectDrawSurface>(made);
  return DD_OK;
}

std::int32_t DirectDrawDisplay::createOverlaySurface(const Overlay::SurfaceRequest& request,
                                                     std::unique_ptr<DirectDrawSurface>& surface) {
  DWORD caps = translate(request.caps, surfaceCapsPairs);
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
  IDirectDrawSurface* made = nullptr;
  const HRESULT result = directDraw_->CreateSurface(&desc, &made, nullptr);
  if (FAILED(result) || made == nullptr) return failure(result);
  surface = std::make_unique<DirectDrawSurface>(made);
  return DD_OK;
}
