#include "platform/sim/sim_overlay_device.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::int32_t gesturePictureSide = 240;

struct PictureSize {
  std::int32_t width;
  std::int32_t height;
};

// The program's pictures: 0 x 0 for none of that id and kind.
PictureSize pictureSize(std::uint32_t id, bool compressed) {
  if (compressed) {
    switch (id) {
      case 167:
        return {480, 800};
      case 168:
        return {480, 320};
      case 175:
        return {800, 480};
      default:
        return {0, 0};
    }
  }
  const bool bitmap =
      (id >= 157 && id <= 160) || (id >= 169 && id <= 174) || (id >= 176 && id <= 179);
  return bitmap ? PictureSize{gesturePictureSide, gesturePictureSide} : PictureSize{0, 0};
}

bool isRgb16(const Overlay::PixelFormat& f, std::uint32_t red, std::uint32_t green) {
  return (f.flags & Overlay::pixelFormatRgb) != 0 && f.bitsPerPixel == 16 && f.redMask == red &&
         f.greenMask == green && f.blueMask == 0x001F;
}

std::string rectText(const Overlay::Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

}  // namespace

SimOverlayDevice::SimOverlayDevice(SimContext& context, SimWindows& windows, const Config& config)
    : context_(context), windows_(windows), config_(config) {}

std::uint32_t SimOverlayDevice::pictureIn(Overlay::Object surface) const {
  const auto it = objects_.find(surface);
  return it == objects_.end() ? 0 : it->second.picture;
}

std::int32_t SimOverlayDevice::createDisplayObject(Overlay::Object& display) {
  if (SimFaults::take(context_.faults.createDisplayObject)) return Overlay::genericFailure;
  display = add(Object{Kind::display, 0, 0, 0});
  return 0;
}

std::int32_t SimOverlayDevice::setCooperativeLevel(Overlay::Object display, WindowHandle window,
                                                   std::uint32_t) {
  if (SimFaults::take(context_.faults.setCooperativeLevel)) return Overlay::genericFailure;
  if (!isKind(display, Kind::display)) return OverlayError::invalidObject;
  if (!windows_.exists(window)) return OverlayError::invalidParams;
  return 0;
}

std::int32_t SimOverlayDevice::createPrimarySurface(Overlay::Object display,
                                                    Overlay::Object& surface) {
  if (SimFaults::take(context_.faults.createPrimarySurface)) return Overlay::genericFailure;
  if (!isKind(display, Kind::display)) return OverlayError::invalidObject;
  if (countKind(Kind::primary) != 0) return OverlayError::primaryExists;
  surface = add(Object{Kind::primary, windows_.screenWidth(), windows_.screenHeight(), 0});
  return 0;
}

std::int32_t SimOverlayDevice::getCaps(Overlay::Object display, Overlay::Caps& caps) {
  if (SimFaults::take(context_.faults.getCaps)) return Overlay::genericFailure;
  if (!isKind(display, Kind::display)) return OverlayError::invalidObject;
  caps = config_.caps;
  return 0;
}

std::int32_t SimOverlayDevice::createOverlaySurface(Overlay::Object display,
                                                    const Overlay::SurfaceRequest& request,
                                                    Overlay::Object& surface) {
  if (SimFaults::take(context_.faults.createOverlaySurface)) return Overlay::genericFailure;
  if (!isKind(display, Kind::display)) return OverlayError::invalidObject;
  if (config_.caps.overlayCaps == 0) return OverlayError::noOverlayHardware;
  if ((request.caps & Overlay::surfaceOverlay) == 0 || request.width <= 0 || request.height <= 0) {
    return OverlayError::invalidParams;
  }
  const bool accepted = (config_.acceptsRgb555 && isRgb16(request.format, 0x7C00, 0x03E0)) ||
                        (config_.acceptsRgb565 && isRgb16(request.format, 0xF800, 0x07E0));
  if (!accepted) return OverlayError::invalidPixelFormat;
  const std::uint32_t align = config_.caps.alignSizeSource;
  if (align != 0 && static_cast<std::uint32_t>(request.width) % align != 0) {
    return OverlayError::alignment;
  }
  if (countKind(Kind::overlay) != 0) return OverlayError::outOfCaps;
  surface = add(Object{Kind::overlay, request.width, request.height, 0});
  return 0;
}

std::int32_t SimOverlayDevice::surfaceSize(Overlay::Object surface, std::int32_t& width,
                                           std::int32_t& height) {
  if (SimFaults::take(context_.faults.surfaceSize)) return Overlay::genericFailure;
  const auto it = objects_.find(surface);
  if (it == objects_.end() || it->second.kind == Kind::display) return OverlayError::invalidObject;
  width = it->second.width;
  height = it->second.height;
  return 0;
}

Overlay::Image SimOverlayDevice::loadImage(std::uint32_t resourceId, bool compressed) {
  if (SimFaults::take(context_.faults.loadImage)) return 0;
  const PictureSize size = pictureSize(resourceId, compressed);
  if (size.width == 0) return 0;
  const Overlay::Image image = nextHandle_;
  nextHandle_ += 4;
  images_[image] = Image{resourceId, size.width, size.height};
  return image;
}

bool SimOverlayDevice::copyImage(Overlay::Object surface, Overlay::Image image, std::int32_t width,
                                 std::int32_t height) {
  if (SimFaults::take(context_.faults.copyImage)) return false;
  const auto picture = images_.find(image);
  if (!isKind(surface, Kind::overlay) || picture == images_.end() || width <= 0 || height <= 0) {
    return false;
  }
  objects_[surface].picture = picture->second.resourceId;
  return true;
}

void SimOverlayDevice::deleteImage(Overlay::Image image) {
  if (images_.erase(image) == 0) ++invalidReleases_;
}

std::int32_t SimOverlayDevice::updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                                             Overlay::Object primary,
                                             const Overlay::Rect* destination, std::uint32_t flags,
                                             const Overlay::Effects* effects) {
  if (SimFaults::take(context_.faults.updateOverlay)) return Overlay::genericFailure;
  if (!isKind(surface, Kind::overlay) || !isKind(primary, Kind::primary)) {
    return OverlayError::invalidObject;
  }
  if ((flags & Overlay::updateHide) != 0) {
    if (shown_ && shown_->surface == surface) hide();
    return 0;
  }
  if ((flags & Overlay::updateShow) == 0) return 0;
  const Object& overlay = objects_.at(surface);
  const Overlay::Rect whole{0, 0, overlay.width, overlay.height};
  const Overlay::Rect src = source != nullptr ? *source : whole;
  if (destination == nullptr) return OverlayError::invalidParams;
  const Overlay::Rect& dst = *destination;
  const std::int64_t srcWidth = src.right - src.left;
  const std::int64_t dstWidth = dst.right - dst.left;
  if (src.left < 0 || src.top < 0 || src.right > overlay.width || src.bottom > overlay.height ||
      srcWidth <= 0 || src.bottom <= src.top || dstWidth <= 0 || dst.bottom <= dst.top) {
    return OverlayError::invalidRect;
  }
  const std::int64_t stretch = std::max<std::int64_t>(1000, config_.caps.minOverlayStretch);
  if (dstWidth * 1000 < srcWidth * stretch) return OverlayError::invalidRect;
  const std::uint32_t align = config_.caps.alignSizeDest;
  if (align != 0 && (dst.right < 0 || static_cast<std::uint32_t>(dst.right) % align != 0)) {
    return OverlayError::alignment;
  }
  const bool keyed = (flags & Overlay::updateSourceColorKeyOverride) != 0;
  if (keyed &&
      (effects == nullptr || (config_.caps.overlayCaps & Overlay::capsSourceColorKey) == 0)) {
    return OverlayError::noColorKeyHardware;
  }
  shown_ = Shown{overlay.picture, dst, keyed, surface};
  context_.record("overlay shows picture " + std::to_string(overlay.picture) + " at " +
                  rectText(dst) + (keyed ? " keyed" : ""));
  return 0;
}

void SimOverlayDevice::release(Overlay::Object object) {
  if (objects_.count(object) == 0) {
    ++invalidReleases_;
    return;
  }
  // A released overlay surface disappears from the screen.
  if (shown_ && shown_->surface == object) hide();
  objects_.erase(object);
}

bool SimOverlayDevice::isKind(Overlay::Object object, Kind kind) const {
  const auto it = objects_.find(object);
  return it != objects_.end() && it->second.kind == kind;
}

std::size_t SimOverlayDevice::countKind(Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(objects_.begin(), objects_.end(),
                    [&](const auto& entry) { return entry.second.kind == kind; }));
}

Overlay::Object SimOverlayDevice::add(Object object) {
  const Overlay::Object handle = nextHandle_;
  nextHandle_ += 4;
  objects_[handle] = object;
  return handle;
}

void SimOverlayDevice::hide() {
  shown_.reset();
  context_.record("overlay hidden");
}
