#include "image.h"

#include <algorithm>

namespace Pictures {

Image::Image(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  bytes_.reserve(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    bytes_.push_back(fill.r);
    bytes_.push_back(fill.g);
    bytes_.push_back(fill.b);
  }
}

std::size_t Image::offset(int x, int y) const {
  return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
          static_cast<std::size_t>(x)) *
         3;
}

Rgb Image::pixel(int x, int y) const {
  if (!contains(x, y)) return black;
  const std::size_t at = offset(x, y);
  return {bytes_[at], bytes_[at + 1], bytes_[at + 2]};
}

void Image::setPixel(int x, int y, Rgb colour) {
  if (!contains(x, y)) return;
  const std::size_t at = offset(x, y);
  bytes_[at] = colour.r;
  bytes_[at + 1] = colour.g;
  bytes_[at + 2] = colour.b;
}

}  // namespace Pictures
