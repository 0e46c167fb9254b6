#include "platform/win32/win32_overlay_device.h"

#include <ddraw.h>
#include <objbase.h>

#include <cwchar>
#include <iterator>
#include <utility>

#include "platform/win32/win32_picture_decoder.h"

namespace {

constexpr wchar_t pictureType[] = L"GIF";  // holds PNG data

constexpr std::uint32_t knownSurfaceCaps =
    Overlay::surfaceFlip | Overlay::surfaceOverlay | Overlay::surfacePrimary;
constexpr std::uint32_t knownUpdateFlags =
    Overlay::updateShow | Overlay::updateHide | Overlay::updateSourceColorKeyOverride;

OverlayPath pathFromEnvironment() {
  wchar_t value[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"ZEM_OVERLAY", value, std::size(value));
  if (length == 0 || length >= std::size(value)) return OverlayPath::automatic;
  if (_wcsicmp(value, L"standin") == 0) return OverlayPath::standIn;
  if (_wcsicmp(value, L"directdraw") == 0) return OverlayPath::directDraw;
  return OverlayPath::automatic;
}

LPCWSTR resourceName(std::uint32_t id) {
  return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
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
  while (!objects_.empty()) objects_.erase(std::prev(objects_.end()));
  if (com_ == ComState::mine) CoUninitialize();
}

bool Win32OverlayDevice::isStandIn(Overlay::Object object) const {
  const Entry* entry = lookup(objects_, object);
  return entry != nullptr && entry->standIn;
}

bool Win32OverlayDevice::surfacePixel(Overlay::Object surface, std::int32_t x, std::int32_t y,
                                      std::uint32_t& rgb) const {
  const Entry* entry = lookup(objects_, surface);
  return entry != nullptr && entry->standInSurface != nullptr &&
         entry->standInSurface->pixel(x, y, rgb);
}

HWND Win32OverlayDevice::shownWindow(Overlay::Object surface) const {
  const Entry* entry = lookup(objects_, surface);
  return entry != nullptr && entry->standInSurface != nullptr ? entry->standInSurface->window()
                                                              : nullptr;
}

Win32OverlayDevice::Entry* Win32OverlayDevice::entryOf(Overlay::Object object, Kind kind) {
  Entry* entry = lookup(objects_, object);
  return entry != nullptr && entry->kind == kind ? entry : nullptr;
}

Overlay::Object Win32OverlayDevice::add(Entry entry) {
  const Overlay::Object object = nextObject_++;
  objects_.emplace(object, std::move(entry));
  return object;
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
    const bool forced = path_ == OverlayPath::directDraw;
    std::int32_t result = DD_OK;
    entry.display = DirectDrawDisplay::create(forced, result);
    if (entry.display == nullptr && forced) return result;
  }
  entry.standIn = entry.display == nullptr;
  display = add(std::move(entry));
  return DD_OK;
}

std::int32_t Win32OverlayDevice::setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                                     std::uint32_t flags) {
  Entry* entry = entryOf(display, Kind::display);
  if (entry == nullptr) return DDERR_INVALIDOBJECT;
  const HWND owner = reinterpret_cast<HWND>(window);
  if (entry->standIn) return owner == nullptr || IsWindow(owner) ? DD_OK : DDERR_INVALIDPARAMS;
  return entry->display->setCooperativeLevel(owner, flags);
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
    const std::int32_t result = owner->display->createPrimarySurface(entry.surface);
    if (result != DD_OK) return result;
  }
  surface = add(std::move(entry));
  return DD_OK;
}

std::int32_t Win32OverlayDevice::getCaps(Overlay::Object display, Overlay::Caps& caps) {
  const Entry* entry = entryOf(display, Kind::display);
  if (entry == nullptr) return DDERR_INVALIDOBJECT;
  if (entry->standIn) {
    caps = StandInOverlay::caps();
    return DD_OK;
  }
  return entry->display->getCaps(caps);
}

std::int32_t Win32OverlayDevice::createOverlaySurface(Overlay::Object display,
                                                      const Overlay::SurfaceRequest& request,
                                                      Overlay::Object& surface) {
  surface = 0;
  const Entry* owner = entryOf(display, Kind::display);
  if (owner == nullptr) return DDERR_INVALIDOBJECT;
  if ((request.caps & ~knownSurfaceCaps) != 0 || (request.caps & Overlay::surfaceOverlay) == 0) {
    return DDERR_INVALIDCAPS;
  }
  if (request.width <= 0 || request.height <= 0) return DDERR_INVALIDPARAMS;

  Entry entry;
  entry.kind = Kind::overlay;
  entry.standIn = owner->standIn;
  if (owner->standIn) {
    entry.standInSurface = StandInOverlay::Surface::create(module_, request.width, request.height);
    if (entry.standInSurface == nullptr) return DDERR_OUTOFMEMORY;
  } else {
    const std::int32_t result = owner->display->createOverlaySurface(request, entry.surface);
    if (result != DD_OK) return result;
  }
  surface = add(std::move(entry));
  return DD_OK;
}

std::int32_t Win32OverlayDevice::surfaceSize(Overlay::Object surface, std::int32_t& width,
                                             std::int32_t& height) {
  const Entry* entry = lookup(objects_, surface);
  if (entry == nullptr || entry->kind == Kind::display) return DDERR_INVALIDOBJECT;
  if (!entry->standIn) return entry->surface->size(width, height);
  if (entry->kind == Kind::primary) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  } else {
    width = entry->standInSurface->width();
    height = entry->standInSurface->height();
  }
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
  const HRSRC found = FindResourceW(module_, name, pictureType);
  const HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(module_, found) : 0;
  if (bytes == nullptr || size == 0 || !startCom()) return 0;
  return reinterpret_cast<Overlay::Image>(Win32PictureDecoder::decode(bytes, size));
}

bool Win32OverlayDevice::copyImage(Overlay::Object surface, Overlay::Image image,
                                   std::int32_t width, std::int32_t height) {
  Entry* entry = entryOf(surface, Kind::overlay);
  if (entry == nullptr || image == 0 || width <= 0 || height <= 0) return false;
  const HBITMAP picture = reinterpret_cast<HBITMAP>(image);
  return entry->standIn ? entry->standInSurface->copyImage(picture, width, height)
                        : entry->surface->copyImage(picture, width, height);
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
  Entry* target = entryOf(primary, Kind::primary);
  if (overlay == nullptr || target == nullptr || overlay->standIn != target->standIn) {
    return DDERR_INVALIDOBJECT;
  }
  const bool show = (flags & Overlay::updateShow) != 0;
  const bool hide = (flags & Overlay::updateHide) != 0;
  const bool keyed = (flags & Overlay::updateSourceColorKeyOverride) != 0;
  if ((flags & ~knownUpdateFlags) != 0 || (show && hide) || (keyed && effects == nullptr)) {
    return DDERR_INVALIDPARAMS;
  }
  if (overlay->standIn) {
    return overlay->standInSurface->update(source, destination, show, hide, keyed, effects);
  }
  return overlay->surface->update(source, *target->surface, destination, flags, effects);
}

void Win32OverlayDevice::release(Overlay::Object object) { objects_.erase(object); }
