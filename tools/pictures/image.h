// A picture in memory: 8-bit RGB pixels, rows top-down, no alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Pictures {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  friend constexpr bool operator==(const Rgb& a, const Rgb& c) {
    return a.r == c.r && a.g == c.g && a.b == c.b;
  }
  friend constexpr bool operator!=(const Rgb& a, const Rgb& c) { return !(a == c); }
};

inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};

class Image {
 public:
  Image() = default;
  // A size below zero counts as zero.
  Image(int width, int height, Rgb fill = black);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Pixels outside the picture read as black and are not written.
  Rgb pixel(int x, int y) const;
  void setPixel(int x, int y, Rgb colour);

  // Three bytes per pixel (red, green, blue), rows top-down without padding.
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::size_t offset(int x, int y) const;

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace Pictures
