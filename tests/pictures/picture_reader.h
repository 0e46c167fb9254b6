// Reads back what the picture writers produce, checking every field a
// decoder relies on. PNG data is inflated and its checksums computed by zlib,
// not by the code under test.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include <zlib.h>

#include "image.h"
#include "image_files.h"

namespace PictureReader {

using Pictures::Bytes;

struct Decoded {
  std::string problem;  // empty when the file is sound
  Pictures::Image image;
};

// The zlib stream of the IDAT chunks, inflated by zlib itself (which also
// checks the stream's header and Adler-32); `problem` set when it refuses.
inline Bytes inflate(const Bytes& stream, std::size_t expected, std::string& problem) {
  Bytes out(expected + 1);  // one spare byte: a stream longer than expected fails below
  uLongf size = static_cast<uLongf>(out.size());
  uLong consumed = static_cast<uLong>(stream.size());
  const int status = uncompress2(out.data(), &size, stream.data(), &consumed);
  if (status != Z_OK) {
    problem = std::string("zlib: ") + zError(status);
    return {};
  }
  if (consumed != stream.size()) {
    problem = "data after the zlib stream";
    return {};
  }
  out.resize(size);
  return out;
}

inline std::uint32_t chunkCrc(const Bytes& file, std::size_t at, std::size_t length) {
  return static_cast<std::uint32_t>(crc32_z(0, &file[at], length));
}

inline std::uint32_t bigEndian(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Signature, chunks and their CRCs, IHDR (8-bit RGB, no interlace), the
// zlib stream, row filters.
inline Decoded readPng(const Bytes& file) {
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) {
    return {"signature", {}};
  }
  Bytes header, idat;
  std::size_t at = 8, length = 0;
  for (std::string type; type != "IEND"; at += 12 + length) {
    if (at + 12 > file.size() || (length = bigEndian(file, at)) > file.size() - at - 12 ||
        chunkCrc(file, at + 4, length + 4) != bigEndian(file, at + 8 + length)) {
      return {"chunk at " + std::to_string(at), {}};
    }
    type.assign(&file[at + 4], &file[at + 8]);
    if (type == "IHDR") header.assign(&file[at + 8], &file[at + 8] + length);
    if (type == "IDAT") idat.insert(idat.end(), &file[at + 8], &file[at + 8] + length);
  }
  if (at != file.size()) return {"data after IEND", {}};
  if (header.size() != 13 || Bytes(header.begin() + 8, header.end()) != Bytes{8, 2, 0, 0, 0}) {
    return {"IHDR", {}};
  }
  const std::uint32_t width = bigEndian(header, 0), height = bigEndian(header, 4);
  const std::size_t stride = std::size_t{width} * 3 + 1;
  if (width == 0 || height == 0 || width > 4096 || height > 4096) return {"image size", {}};
  std::string problem;
  const Bytes raw = inflate(idat, stride * height, problem);
  if (!problem.empty()) return {problem, {}};
  if (raw.size() != stride * height) return {"image data size", {}};
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::size_t y = 0; y < height; ++y) {
    if (raw[y * stride] != 0) return {"row filter", {}};
    for (std::size_t x = 0, i = y * stride + 1; x < width; ++x, i += 3) {
      d.image.setPixel(static_cast<int>(x), static_cast<int>(y), {raw[i], raw[i + 1], raw[i + 2]});
    }
  }
  return d;
}

// File and info headers, 24 bits, bottom-up rows with zero padding.
inline Decoded readBmp(const Bytes& file) {
  const auto le = [&file](std::size_t at, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = size; i-- > 0;) v = (v << 8) | file[at + i];
    return v;
  };
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return {"signature", {}};
  const std::uint32_t width = le(18, 4), height = le(22, 4);
  const std::size_t stride = (std::size_t{width} * 3 + 3) / 4 * 4;
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || le(2, 4) != file.size() ||
      le(10, 4) != 54 || le(14, 4) != 40 || le(26, 2) != 1 || le(28, 2) != 24 || le(30, 4) != 0 ||
      le(34, 4) != stride * height || file.size() != 54 + stride * height) {
    return {"headers", {}};
  }
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::size_t row = 0, at = 54; row < height; ++row, at += stride) {
    if (std::any_of(&file[at + std::size_t{width} * 3], &file[at] + stride,
                    [](auto b) { return b != 0; })) {
      return {"row padding", {}};
    }
    for (std::size_t x = 0, i = at; x < width; ++x, i += 3) {
      d.image.setPixel(static_cast<int>(x), static_cast<int>(height - 1 - row),
                       {file[i + 2], file[i + 1], file[i]});
    }
  }
  return d;
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace PictureReader
