// The program's pictures, carried in the binary: the fourteen gesture
// pictures and the three game-pad pictures, as the picture generator draws
// them, by their resource id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A decoded picture: 0x00RRGGBB pixels, rows top-down.
struct X11Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
};

struct X11Pictures {
  // One picture as the build embeds it: runs of one colour, each a count of
  // 1 to 255 then red, green and blue.
  struct Coded {
    std::uint32_t id;
    std::int32_t width;
    std::int32_t height;
    const unsigned char* data;
    std::size_t size;
  };
  static const Coded codedPictures[];
  static const std::size_t codedPictureCount;

  // The picture with this resource id; nothing when there is none or its
  // data does not fill exactly width x height pixels.
  static std::optional<X11Picture> load(std::uint32_t id);
  static std::optional<X11Picture> decode(const Coded& coded);
};
