#include "platform/linux/x11/x11_overlay_device.h"

#include <xcb/shape.h>

#include <algorithm>
#include <iterator>

namespace {

// The platform's codes for what can go wrong here.
constexpr auto invalidObject = static_cast<std::int32_t>(0x88760082u);
constexpr auto invalidParams = static_cast<std::int32_t>(0x80070057u);
constexpr auto invalidRect = static_cast<std::int32_t>(0x88760096u);
constexpr auto unsupported = static_cast<std::int32_t>(0x80004001u);

// What the core reads of the capabilities: overlays, with colour keying.
constexpr std::uint32_t overlayPresent = 0x1;
constexpr std::uint32_t unitStretch = 1000;  // thousandths

// Largest surface or window side, in pixels (X limits sides to 16 bits).
constexpr std::int32_t maxSide = 1 << 14;

bool keyed(std::uint32_t pixel, std::uint32_t low, std::uint32_t high) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t c = (pixel >> shift) & 0xFF;
    if (c < ((low >> shift) & 0xFF) || c > ((high >> shift) & 0xFF)) return false;
  }
  return true;
}

// The shift that puts an 8-bit channel at the top of `mask`.
int channelShift(std::uint32_t mask) {
  int top = 31;
  while (top > 0 && (mask & (1u << top)) == 0) --top;
  return top - 7;
}

std::uint32_t place(std::uint32_t channel, std::uint32_t mask) {
  const int shift = channelShift(mask);
  return (shift >= 0 ? channel << shift : channel >> -shift) & mask;
}

xcb_visualtype_t* rootVisual(xcb_screen_t* screen) {
  for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen); depth.rem;
       xcb_depth_next(&depth)) {
    for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
         xcb_visualtype_next(&visual)) {
      if (visual.data->visual_id == screen->root_visual) return visual.data;
    }
  }
  return nullptr;
}

std::uint8_t bitsPerPixel(xcb_connection_t* connection, std::uint8_t depth) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  for (xcb_format_iterator_t format = xcb_setup_pixmap_formats_iterator(setup); format.rem;
       xcb_format_next(&format)) {
    if (format.data->depth == depth) return format.data->bits_per_pixel;
  }
  return 0;
}

}  // namespace

X11OverlayDevice::X11OverlayDevice(xcb_connection_t* connection, xcb_screen_t* screen)
    : connection_(connection), screen_(screen) {}

X11OverlayDevice::~X11OverlayDevice() {
  for (auto& [object, entry] : objects_) destroyWindow(entry);
  if (connection_ != nullptr) xcb_flush(connection_);
}

xcb_window_t X11OverlayDevice::shownWindow() const {
  for (const auto& [object, entry] : objects_) {
    if (entry.window != 0) return entry.window;
  }
  return 0;
}

void X11OverlayDevice::raise() {
  const xcb_window_t window = shownWindow();
  if (window == 0 || connection_ == nullptr) return;
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_flush(connection_);
}

void X11OverlayDevice::disconnect() {
  connection_ = nullptr;
  for (auto& [object, entry] : objects_) entry.window = 0;
}

X11OverlayDevice::Entry* X11OverlayDevice::entryOf(Overlay::Object object, Kind kind) {
  const auto it = objects_.find(object);
  return it != objects_.end() && it->second.kind == kind ? &it->second : nullptr;
}

Overlay::Object X11OverlayDevice::add(Entry entry) {
  const Overlay::Object object = nextObject_++;
  objects_.emplace(object, std::move(entry));
  return object;
}

void X11OverlayDevice::destroyWindow(Entry& entry) {
  if (entry.window != 0 && connection_ != nullptr) {
    xcb_destroy_window(connection_, entry.window);
    xcb_flush(connection_);
  }
  entry.window = 0;
}

std::int32_t X11OverlayDevice::createDisplayObject(Overlay::Object& display) {
  display = connection_ != nullptr ? add(Entry{}) : 0;
  return display != 0 ? 0 : Overlay::genericFailure;
}

std::int32_t X11OverlayDevice::setCooperativeLevel(Overlay::Object display, WindowHandle,
                                                   std::uint32_t) {
  return entryOf(display, Kind::display) != nullptr ? 0 : invalidObject;
}

std::int32_t X11OverlayDevice::createPrimarySurface(Overlay::Object display,
                                                    Overlay::Object& surface) {
  surface = 0;
  if (entryOf(display, Kind::display) == nullptr) return invalidObject;
  Entry entry;
  entry.kind = Kind::primary;
  entry.width = screen_->width_in_pixels;
  entry.height = screen_->height_in_pixels;
  surface = add(std::move(entry));
  return 0;
}

std::int32_t X11OverlayDevice::getCaps(Overlay::Object display, Overlay::Caps& caps) {
  if (entryOf(display, Kind::display) == nullptr) return invalidObject;
  caps = Overlay::Caps{overlayPresent | Overlay::capsSourceColorKey, 0, 0, unitStretch};
  return 0;
}

std::int32_t X11OverlayDevice::createOverlaySurface(Overlay::Object display,
                                                    const Overlay::SurfaceRequest& request,
                                                    Overlay::Object& surface) {
  surface = 0;
  if (entryOf(display, Kind::display) == nullptr) return invalidObject;
  if ((request.caps & Overlay::surfaceOverlay) == 0) return invalidParams;
  if (request.width <= 0 || request.height <= 0 || request.width > maxSide ||
      request.height > maxSide) {
    return invalidParams;
  }
  Entry entry;
  entry.kind = Kind::overlay;
  entry.width = request.width;
  entry.height = request.height;
  entry.pixels.assign(
      static_cast<std::size_t>(request.width) * static_cast<std::size_t>(request.height), 0);
  surface = add(std::move(entry));
  return 0;
}

std::int32_t X11OverlayDevice::surfaceSize(Overlay::Object surface, std::int32_t& width,
                                           std::int32_t& height) {
  const auto it = objects_.find(surface);
  if (it == objects_.end() || it->second.kind == Kind::display) return invalidObject;
  width = it->second.width;
  height = it->second.height;
  return 0;
}

Overlay::Image X11OverlayDevice::loadImage(std::uint32_t resourceId, bool) {
  // Both kinds of picture are carried alike; the flag says only how the
  // phone stores them.
  std::optional<X11Picture> picture = X11Pictures::load(resourceId);
  if (!picture) return 0;
  const Overlay::Image image = nextImage_++;
  images_.emplace(image, std::make_unique<X11Picture>(std::move(*picture)));
  return image;
}

bool X11OverlayDevice::copyImage(Overlay::Object surface, Overlay::Image image, std::int32_t width,
                                 std::int32_t height) {
  Entry* entry = entryOf(surface, Kind::overlay);
  const auto found = images_.find(image);
  if (entry == nullptr || found == images_.end() || width <= 0 || height <= 0) return false;
  const X11Picture& picture = *found->second;
  // What lies outside the picture or the surface is not copied.
  const std::int32_t rows = std::min({height, picture.height, entry->height});
  const std::int32_t columns = std::min({width, picture.width, entry->width});
  for (std::int32_t y = 0; y < rows; ++y) {
    const auto from = picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width;
    std::copy(from, from + columns,
              entry->pixels.begin() + static_cast<std::ptrdiff_t>(y) * entry->width);
  }
  return true;
}

void X11OverlayDevice::deleteImage(Overlay::Image image) { images_.erase(image); }

std::int32_t X11OverlayDevice::updateOverlay(Overlay::Object surface, const Overlay::Rect* source,
                                             Overlay::Object primary,
                                             const Overlay::Rect* destination, std::uint32_t flags,
                                             const Overlay::Effects* effects) {
  Entry* overlay = entryOf(surface, Kind::overlay);
  if (overlay == nullptr || entryOf(primary, Kind::primary) == nullptr) return invalidObject;
  const bool show = (flags & Overlay::updateShow) != 0;
  const bool hide = (flags & Overlay::updateHide) != 0;
  const bool keyedShow = (flags & Overlay::updateSourceColorKeyOverride) != 0;
  constexpr std::uint32_t known =
      Overlay::updateShow | Overlay::updateHide | Overlay::updateSourceColorKeyOverride;
  if ((flags & ~known) != 0 || (show && hide) || (keyedShow && effects == nullptr)) {
    return invalidParams;
  }
  if (hide) {
    destroyWindow(*overlay);
    return 0;
  }
  // Neither shown nor hidden: a shown overlay moves, a hidden one stays so.
  if (!show && overlay->window == 0) return 0;
  if (destination == nullptr) return invalidParams;
  const Overlay::Rect whole{0, 0, overlay->width, overlay->height};
  const Overlay::Rect& from = source != nullptr ? *source : whole;
  const Overlay::Rect& to = *destination;
  const std::int64_t toWidth = std::int64_t{to.right} - to.left;
  const std::int64_t toHeight = std::int64_t{to.bottom} - to.top;
  if (from.left < 0 || from.top < 0 || from.right > overlay->width ||
      from.bottom > overlay->height || from.right <= from.left || from.bottom <= from.top ||
      toWidth <= 0 || toHeight <= 0 || toWidth > maxSide || toHeight > maxSide ||
      to.left < -maxSide || to.top < -maxSide || to.left > maxSide || to.top > maxSide) {
    return invalidRect;
  }
  return this->show(*overlay, from, to, keyedShow, keyedShow ? effects->colorKeyLow : 0,
                    keyedShow ? effects->colorKeyHigh : 0);
}

std::int32_t X11OverlayDevice::show(Entry& overlay, const Overlay::Rect& from,
                                    const Overlay::Rect& to, bool keyedShow, std::uint32_t keyLow,
                                    std::uint32_t keyHigh) {
  if (connection_ == nullptr) return Overlay::genericFailure;
  const xcb_visualtype_t* visual = rootVisual(screen_);
  const std::uint8_t depth = screen_->root_depth;
  if (visual == nullptr || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR ||
      bitsPerPixel(connection_, depth) != 32) {
    return unsupported;  // every X server this runs on gives 24 bits in 32
  }
  const auto width = static_cast<std::uint16_t>(to.right - to.left);
  const auto height = static_cast<std::uint16_t>(to.bottom - to.top);
  const std::int32_t fromWidth = from.right - from.left;
  const std::int32_t fromHeight = from.bottom - from.top;

  // Stretched as overlay hardware does, whole pixels only: a blended edge
  // would no longer match the key.
  std::vector<std::uint32_t> shown(static_cast<std::size_t>(width) * height);
  std::vector<xcb_rectangle_t> opaque;
  const bool serverLsb = xcb_get_setup(connection_)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int32_t sy =
        from.top + static_cast<std::int32_t>(std::int64_t{y} * fromHeight / height);
    std::int32_t runStart = -1;
    for (std::int32_t x = 0; x <= width; ++x) {
      bool inShape = false;
      if (x < width) {
        const std::int32_t sx =
            from.left + static_cast<std::int32_t>(std::int64_t{x} * fromWidth / width);
        const std::uint32_t pixel =
            overlay.pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(overlay.width) +
                           static_cast<std::size_t>(sx)];
        std::uint32_t value = place((pixel >> 16) & 0xFF, visual->red_mask) |
                              place((pixel >> 8) & 0xFF, visual->green_mask) |
                              place(pixel & 0xFF, visual->blue_mask);
        if (!serverLsb) value = __builtin_bswap32(value);
        shown[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = value;
        inShape = !keyedShow || !keyed(pixel, keyLow, keyHigh);
      }
      if (inShape && runStart < 0) runStart = x;
      if (!inShape && runStart >= 0) {
        opaque.push_back(xcb_rectangle_t{static_cast<std::int16_t>(runStart),
                                         static_cast<std::int16_t>(y),
                                         static_cast<std::uint16_t>(x - runStart), 1});
        runStart = -1;
      }
    }
  }

  // A fresh window for every show: the old one goes first.
  destroyWindow(overlay);
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  xcb_create_pixmap(connection_, depth, pixmap, screen_->root, width, height);
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc, pixmap, 0, nullptr);
  // In strips that fit a request.
  const std::uint32_t maxBytes = xcb_get_maximum_request_length(connection_) * 4u - 64u;
  const std::uint32_t rowBytes = std::uint32_t{width} * 4u;
  const std::uint32_t stripRows = std::max<std::uint32_t>(1, maxBytes / rowBytes);
  for (std::uint32_t y = 0; y < height; y += stripRows) {
    const std::uint32_t rows = std::min<std::uint32_t>(stripRows, height - y);
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width,
                  static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, depth,
                  rows * rowBytes,
                  reinterpret_cast<const std::uint8_t*>(shown.data() + std::size_t{y} * width));
  }
  xcb_free_gc(connection_, gc);

  const xcb_window_t window = xcb_generate_id(connection_);
  const std::uint32_t values[] = {pixmap, 1};  // background pixmap, override-redirect
  xcb_create_window(connection_, depth, window, screen_->root, static_cast<std::int16_t>(to.left),
                    static_cast<std::int16_t>(to.top), width, height, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                    XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_free_pixmap(connection_, pixmap);  // the window keeps it as its background

  // Input passes through everywhere; the key's pixels are cut out.
  xcb_shape_rectangles(connection_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                       XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
  const std::size_t perRequest = (maxBytes - 16u) / sizeof(xcb_rectangle_t);
  std::size_t done = 0;
  do {
    const std::size_t count = std::min(perRequest, opaque.size() - done);
    xcb_shape_rectangles(connection_, done == 0 ? XCB_SHAPE_SO_SET : XCB_SHAPE_SO_UNION,
                         XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED, window, 0, 0,
                         static_cast<std::uint32_t>(count), opaque.data() + done);
    done += count;
  } while (done < opaque.size());

  xcb_map_window(connection_, window);
  overlay.window = window;
  xcb_flush(connection_);
  return 0;
}

void X11OverlayDevice::release(Overlay::Object object) {
  const auto it = objects_.find(object);
  if (it == objects_.end()) return;
  destroyWindow(it->second);
  objects_.erase(it);
}
