#include "picture_reader.h"

#include <fstream>
#include <iterator>

namespace PictureReader {

using Pictures::Bytes;

namespace {

struct Bits {
  const Bytes& data;
  std::size_t at = 0;  // in bits
  bool overrun = false;

  std::uint32_t next() {
    if (at / 8 >= data.size()) {
      overrun = true;
      return 0;
    }
    const std::uint32_t b = (std::uint32_t{data[at / 8]} >> (at % 8)) & 1u;
    ++at;
    return b;
  }
  std::uint32_t take(std::uint32_t count) {  // least significant bit first
    std::uint32_t v = 0;
    for (std::uint32_t i = 0; i < count; ++i) v |= next() << i;
    return v;
  }
};

// The fixed literal/length code, read most significant bit first.
std::uint32_t fixedSymbol(Bits& bits) {
  std::uint32_t code = 0;
  for (int length = 1; length <= 9; ++length) {
    code = (code << 1) | bits.next();
    if (length == 7 && code <= 23) return 256 + code;
    if (length == 8 && code >= 48 && code <= 191) return code - 48;
    if (length == 8 && code >= 192 && code <= 199) return 280 + code - 192;
    if (length == 9 && code >= 400) return 144 + code - 400;
  }
  return 999;
}

std::uint32_t bigEndian(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

std::uint32_t littleEndian(const Bytes& b, std::size_t at, std::size_t size) {
  std::uint32_t v = 0;
  for (std::size_t i = size; i-- > 0;) v = (v << 8) | b[at + i];
  return v;
}

}  // namespace

Bytes inflate(const Bytes& data, std::string& problem) {
  Bits bits{data};
  Bytes out;
  auto fail = [&](const char* what) {
    problem = what;
    return out;
  };
  if (bits.take(3) != 3) return fail("not one final fixed-Huffman block");
  for (std::uint32_t symbol = fixedSymbol(bits); symbol != 256; symbol = fixedSymbol(bits)) {
    if (bits.overrun) return fail("stream ends early");
    if (symbol < 256) {
      out.push_back(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol > 285) return fail("bad length code");
    // Code 257 + i: (i - 4) / 4 extra bits from code 265 on; 285 is 258.
    std::uint32_t length = 3;
    for (std::uint32_t i = 0; i < symbol - 257; ++i) length += 1u << (i < 8 ? 0 : (i - 4) / 4);
    length = symbol == 285 ? 258 : length + bits.take(symbol < 265 ? 0 : (symbol - 261) / 4);
    std::uint32_t code = 0;
    for (int i = 0; i < 5; ++i) code = (code << 1) | bits.next();
    if (code > 29) return fail("bad distance code");
    std::size_t distance = 1;
    for (std::uint32_t i = 0; i < code; ++i) distance += std::size_t{1} << (i < 4 ? 0 : i / 2 - 1);
    distance += bits.take(code < 4 ? 0 : code / 2 - 1);
    if (distance > out.size() || distance > 32768) return fail("distance too far");
    for (std::uint32_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
  }
  return bits.overrun ? fail("stream ends early") : out;
}

Decoded readPng(const Bytes& file) {
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(signature.begin(), signature.end(), file.begin())) {
    return {"signature", {}};
  }
  Bytes header, idat;
  std::string type;
  for (std::size_t at = 8; type != "IEND"; at += 12 + bigEndian(file, at)) {
    if (at + 12 > file.size() || bigEndian(file, at) > file.size() - at - 12) {
      return {"chunk runs past the end", {}};
    }
    const std::uint32_t length = bigEndian(file, at);
    const auto body = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
    type.assign(body - 4, body);
    if (Pictures::crc32(file.data() + at + 4, length + 4) != bigEndian(file, at + 8 + length)) {
      return {"CRC of " + type, {}};
    }
    if (type == "IHDR") header.assign(body, body + length);
    if (type == "IDAT") idat.insert(idat.end(), body, body + length);
    if (type == "IEND" && at + 12 != file.size()) return {"data after IEND", {}};
  }
  if (header.size() != 13 || Bytes(header.begin() + 8, header.end()) != Bytes{8, 2, 0, 0, 0}) {
    return {"IHDR format", {}};
  }
  const std::uint32_t width = bigEndian(header, 0), height = bigEndian(header, 4);
  if (width == 0 || height == 0 || width > 4096 || height > 4096) return {"IHDR size", {}};
  if (idat.size() < 6 || ((idat[0] << 8) | idat[1]) % 31 != 0 || (idat[0] & 0x0F) != 8) {
    return {"zlib header", {}};
  }
  std::string problem;
  const Bytes raw = inflate(Bytes(idat.begin() + 2, idat.end() - 4), problem);
  if (!problem.empty()) return {problem, {}};
  if (Pictures::adler32(raw.data(), raw.size()) != bigEndian(idat, idat.size() - 4)) {
    return {"Adler-32", {}};
  }
  const std::size_t stride = std::size_t{width} * 3 + 1;
  if (raw.size() != stride * height) return {"image data size", {}};
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::uint32_t y = 0; y < height; ++y) {
    if (raw[y * stride] != 0) return {"row filter", {}};
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t at = y * stride + 1 + x * 3;
      d.image.setPixel(static_cast<int>(x), static_cast<int>(y),
                       {raw[at], raw[at + 1], raw[at + 2]});
    }
  }
  return d;
}

Decoded readBmp(const Bytes& file) {
  if (file.size() < 54 || file[0] != 'B' || file[1] != 'M') return {"signature", {}};
  const std::uint32_t width = littleEndian(file, 18, 4), height = littleEndian(file, 22, 4);
  if (width == 0 || height == 0 || width > 4096 || height > 4096) return {"dimensions", {}};
  const std::size_t stride = (std::size_t{width} * 3 + 3) / 4 * 4;
  if (littleEndian(file, 2, 4) != file.size() || littleEndian(file, 10, 4) != 54 ||
      littleEndian(file, 14, 4) != 40 || littleEndian(file, 34, 4) != stride * height ||
      file.size() != 54 + stride * height || littleEndian(file, 26, 2) != 1 ||
      littleEndian(file, 28, 2) != 24 || littleEndian(file, 30, 4) != 0) {
    return {"headers", {}};
  }
  Decoded d{"", Pictures::Image(static_cast<int>(width), static_cast<int>(height))};
  for (std::uint32_t row = 0; row < height; ++row) {
    const std::size_t start = 54 + row * stride;
    for (std::size_t pad = std::size_t{width} * 3; pad < stride; ++pad) {
      if (file[start + pad] != 0) return {"row padding", {}};
    }
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t at = start + x * 3;
      d.image.setPixel(static_cast<int>(x), static_cast<int>(height - 1 - row),
                       {file[at + 2], file[at + 1], file[at]});
    }
  }
  return d;
}

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace PictureReader
