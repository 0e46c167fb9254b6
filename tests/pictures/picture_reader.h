// Reads back what the picture writers produce, checking every field a
// decoder relies on. Inflates fixed-Huffman blocks, the only kind the writer
// emits; anything else is reported as a problem.
#pragma once

#include <string>

#include "image.h"
#include "image_files.h"

namespace PictureReader {

struct Decoded {
  std::string problem;  // empty when the file is sound
  Pictures::Image image;
};

// Raw deflate data; `problem` set on a malformed or truncated stream.
Pictures::Bytes inflate(const Pictures::Bytes& data, std::string& problem);

// Signature, chunk CRCs, IHDR (8-bit RGB, no interlace), zlib header,
// Adler-32, row filters.
Decoded readPng(const Pictures::Bytes& file);
// File and info headers, 24 bits, bottom-up rows with zero padding.
Decoded readBmp(const Pictures::Bytes& file);

Pictures::Bytes readFile(const std::string& path);

}  // namespace PictureReader
