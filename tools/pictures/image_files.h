// File formats of the pictures: 24-bit BMP (the gesture bitmaps), 8-bit RGB
// PNG (the game-pad pictures and the documentation copies; compressed and
// checksummed by zlib) and a 32-bit ICO (the program icon).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace Pictures {

using Bytes = std::vector<std::uint8_t>;

// The encoders return no bytes for an empty picture (no format holds one),
// and encodePng none when zlib fails.
// Bottom-up rows, blue-green-red, each row padded to four bytes.
Bytes encodeBmp(const Image& image);
// Colour type 2 (RGB), bit depth 8, no interlace, filter 0 on every row.
Bytes encodePng(const Image& image);
// One 32-bit image of at most 256 x 256 with its alpha (one byte per pixel,
// rows top-down, 0 transparent); no bytes when the sizes do not fit.
Bytes encodeIcon(const Image& image, const std::vector<std::uint8_t>& alpha);

// Writes the whole file, replacing an existing one. False, with a message in
// `error`, when the file cannot be written completely.
bool writeFile(const std::string& path, const Bytes& bytes, std::string& error);

}  // namespace Pictures
