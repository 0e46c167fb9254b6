#include "platform/linux/x11/x11_pictures.h"

std::optional<X11Picture> X11Pictures::load(std::uint32_t id) {
  for (std::size_t i = 0; i < codedPictureCount; ++i) {
    if (codedPictures[i].id == id) return decode(codedPictures[i]);
  }
  return std::nullopt;
}

std::optional<X11Picture> X11Pictures::decode(const Coded& coded) {
  if (coded.width <= 0 || coded.height <= 0 || coded.size % 4 != 0) return std::nullopt;
  X11Picture picture;
  picture.width = coded.width;
  picture.height = coded.height;
  const std::size_t count =
      static_cast<std::size_t>(coded.width) * static_cast<std::size_t>(coded.height);
  picture.pixels.reserve(count);
  for (std::size_t i = 0; i < coded.size; i += 4) {
    const std::size_t run = coded.data[i];
    if (run == 0 || picture.pixels.size() + run > count) return std::nullopt;
    const std::uint32_t pixel = (std::uint32_t{coded.data[i + 1]} << 16) |
                                (std::uint32_t{coded.data[i + 2]} << 8) | coded.data[i + 3];
    picture.pixels.insert(picture.pixels.end(), run, pixel);
  }
  if (picture.pixels.size() != count) return std::nullopt;
  return picture;
}
