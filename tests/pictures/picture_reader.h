// Reads back what the picture writers produce, checking every field a
// decoder relies on. Inflates fixed-Huffman blocks, the only kind the writer
// emits; anything else is reported as a problem.
#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "image.h"
#include "image_files.h"

namespace PictureReader {

using Pictures::Bytes;

struct Decoded {
  std::string problem;  // empty when the file is sound
  Pictures::Image image;
};

// Raw deflate data; `problem` set on a malformed or truncated stream.
inline Bytes inflate(const Bytes& data, std::string& problem) {
  std::size_t at = 0;  // in bits
  bool overrun = false;
  // Fields are read least significant bit first, Huffman codes most first.
  const auto take = [&](std::uint32_t count, bool field = true) {
    std::uint32_t v = 0;
    for (std::uint32_t i = 0; i < count; ++i, ++at) {
      overrun = overrun || at / 8 >= data.size();
      const std::uint32_t b = overrun ? 0u : (std::uint32_t{data[at / 8]} >> (at % 8)) & 1u;
      v = field ? v | b << i : (v << 1) | b;
    }
    return v;
  };
  const auto symbol = [&take]() -> std::uint32_t {  // the fixed literal/length code
    std::uint32_t code = take(7, false);
    if (code <= 23) return 256 + code;
    code = (code << 1) | take(1);
    if (code <= 191) return code - 48;
    if (code <= 199) return 280 + code - 192;
    return 144 + ((code << 1) | take(1)) - 400;
  };
  const auto fail = [&problem](const char* what) {
    problem = what;
    return Bytes{};
  };
  Bytes out;
  if (take(3) != 3) return fail("not one final fixed-Huffman block");
  for (std::uint32_t s = symbol(); s != 256; s = symbol()) {
    if (overrun) return fail("stream ends early");
    if (s < 256) {
      out.push_back(static_cast<std::uint8_t>(s));
      continue;
    }
    if (s > 285) return fail("bad length code");
    // Code 257 + i: (i - 4) / 4 extra bits from code 265 on; 285 is 258.
    std::uint32_t length = 3;
    for (std::uint32_t i = 0; i < s - 257; ++i) length += 1u << (i < 8 ? 0 : (i - 4) / 4);
    length = s == 285 ? 258 : length + take(s < 265 ? 0 : (s - 261) / 4);
    const std::uint32_t code = take(5, false);
    if (code > 29) return fail("bad distance code");
    std::size_t distance = 1;
    for (std::uint32_t i = 0; i < code; ++i) distance += std::size_t{1} << (i < 4 ? 0 : i / 2 - 1);
    distance += take(code < 4 ? 0 : code / 2 - 1);
    if (distance > out.size()) return fail("distance too far");
    for (std::uint32_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
  return overrun ? fail("stream ends early") : out;
}

inline std::uint32_t bigEndian(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
         std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// Signature, chunks and their CRCs, IHDR (8-bit RGB, no interlace), zlib
// header, Adler-32, row filters.
inline Decoded readPng(const Bytes& file) {
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) {
    return {"signature", {}};
  }
  Bytes header, idat;
  std::size_t at = 8, length = 0;
  for (std::string type; type != "IEND"; at += 12 + length) {
    if (at + 12 > file.size() || (length = bigEndian(file, at)) > file.size() - at - 12 ||
        Pictures::crc32(&file[at + 4], length + 4) != bigEndian(file, at + 8 + length)) {
      return {"chunk at " + std::to_string(at), {}};
    }
    type.assign(&file[at + 4], &file[at + 8]);
    if (type == "IHDR") header.assign(&file[at + 8], &file[at + 8] + length);
    if (type == "IDAT") idat.insert(idat.end(), &file[at + 8], &file[at + 8] + length);
  }
  if (at != file.size()) return {"data after IEND", {}};
  if (header.size() != 13 || Bytes(header.begin() + 8, header.end()) != Bytes{8, 2, 0, 0, 0} ||
      idat.size() < 6 || ((idat[0] << 8) | idat[1]) % 31 != 0 || (idat[0] & 0x0F) != 8) {
    return {"IHDR or zlib header", {}};
  }
  const std::uint32_t width = bigEndian(header, 0), height = bigEndian(header, 4);
  std::string problem;
  const Bytes raw = inflate(Bytes(idat.begin() + 2, idat.end() - 4), problem);
  const std::size_t stride = std::size_t{width} * 3 + 1;
  if (!problem.empty()) return {problem, {}};
  if (Pictures::adler32(raw.data(), raw.size()) != bigEndian(idat, idat.size() - 4) || width == 0 ||
      raw.size() != stride * height) {
    return {"Adler-32 or image data size", {}};
  }
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::size_t y = 0; y < height; ++y) {
    if (raw[y * stride] != 0) return {"row filter", {}};
    for (std::size_t x = 0, i = y * stride + 1; x < width; ++x, i += 3) {
      d.image.setPixel(static_cast<int>(x), static_cast<int>(y), {raw[i], raw[i + 1], raw[i + 2]});
    }
  }
  return d;
}

// File and info headers, 24 bits, or 8 bits with a palette of 256 entries;
// bottom-up rows with zero padding.
inline Decoded readBmp(const Bytes& file) {
  const auto le = [&file](std::size_t at, std::size_t size) {
    std::uint32_t v = 0;
    for (std::size_t i = size; i-- > 0;) v = (v << 8) | file[at + i];
    return v;
  };
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return {"signature", {}};
  const std::uint32_t width = le(18, 4), height = le(22, 4), bits = le(28, 2);
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t offset = bits == 8 ? 54 + 4 * 256 : 54;
  const std::size_t stride = (std::size_t{width} * bytesPerPixel + 3) / 4 * 4;
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || le(2, 4) != file.size() ||
      (bits != 8 && bits != 24) || le(10, 4) != offset || le(14, 4) != 40 || le(26, 2) != 1 ||
      le(30, 4) != 0 || le(34, 4) != stride * height || le(46, 4) != 0 ||
      file.size() != offset + stride * height) {
    return {"headers", {}};
  }
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::size_t row = 0, at = offset; row < height; ++row, at += stride) {
    if (std::any_of(&file[at + width * bytesPerPixel], &file[at] + stride,
                    [](auto b) { return b != 0; })) {
      return {"row padding", {}};
    }
    for (std::size_t x = 0, i = at; x < width; ++x, i += bytesPerPixel) {
      const std::size_t c = bits == 8 ? 54 + 4 * std::size_t{file[i]} : i;
      d.image.setPixel(static_cast<int>(x), static_cast<int>(height - 1 - row),
                       {file[c + 2], file[c + 1], file[c]});
    }
  }
  return d;
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace PictureReader
