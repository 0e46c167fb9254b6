#include "image_files.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <map>

namespace Pictures {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> crcTable = makeCrcTable();

void putBigEndian32(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void putLittleEndian16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putLittleEndian32(Bytes& out, std::uint32_t v) {
  putLittleEndian16(out, v & 0xFFFFu);
  putLittleEndian16(out, v >> 16);
}

// Deflate packs bits from the least significant end of each byte; Huffman
// codes go most significant bit first.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}

  void put(std::uint32_t bits, int count) {
    pending_ |= bits << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(pending_));
      pending_ >>= 8;
      used_ -= 8;
    }
  }

  void putCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    put(reversed, length);
  }

  void flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(pending_));
    pending_ = 0;
    used_ = 0;
  }

 private:
  Bytes& out_;
  std::uint32_t pending_ = 0;
  int used_ = 0;
};

// Literal/length symbols 0 to 287 with the fixed code lengths 8, 9, 7, 8.
void putSymbol(BitWriter& bits, std::uint32_t symbol) {
  if (symbol < 144) {
    bits.putCode(0x30 + symbol, 8);
  } else if (symbol < 256) {
    bits.putCode(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    bits.putCode(symbol - 256, 7);
  } else {
    bits.putCode(0xC0 + symbol - 280, 8);
  }
}

constexpr std::array<std::uint16_t, 29> lengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> lengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> distanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> distanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                        4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The last entry of `base` that is not above `value` (258 takes its own code).
template <std::size_t N>
std::size_t codeIndex(const std::array<std::uint16_t, N>& base, std::size_t value) {
  std::size_t i = N - 1;
  while (base[i] > value) --i;
  return i;
}

void putMatch(BitWriter& bits, std::size_t length, std::size_t distance) {
  const std::size_t l = codeIndex(lengthBase, length);
  putSymbol(bits, static_cast<std::uint32_t>(257 + l));
  bits.put(static_cast<std::uint32_t>(length - lengthBase[l]), lengthExtra[l]);
  const std::size_t d = codeIndex(distanceBase, distance);
  bits.putCode(static_cast<std::uint32_t>(d), 5);
  bits.put(static_cast<std::uint32_t>(distance - distanceBase[d]), distanceExtra[d]);
}

constexpr std::size_t windowSize = 32768;
constexpr std::size_t minMatch = 3;
constexpr std::size_t maxMatch = 258;
constexpr std::size_t maxChain = 64;  // candidates tried per position
constexpr int hashBits = 15;
constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

std::size_t hashAt(const std::uint8_t* p) {
  const std::uint32_t h = (std::uint32_t{p[0]} << 10) ^ (std::uint32_t{p[1]} << 5) ^ p[2];
  return h & ((1u << hashBits) - 1u);
}

Bytes zlibStream(const Bytes& raw) {
  Bytes out = {0x78, 0x01};  // 32 KiB window, no dictionary, fastest-level hint
  const Bytes body = deflate(raw.data(), raw.size());
  out.insert(out.end(), body.begin(), body.end());
  putBigEndian32(out, adler32(raw.data(), raw.size()));
  return out;
}

void putChunk(Bytes& png, const char* type, const Bytes& data) {
  putBigEndian32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  for (int i = 0; i < 4; ++i) png.push_back(static_cast<std::uint8_t>(type[i]));
  png.insert(png.end(), data.begin(), data.end());
  putBigEndian32(png, crc32(png.data() + start, png.size() - start));
}

std::uint32_t rowStride(int width, int bitsPerPixel) {
  return ((static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31u) /
          32u) *
         4u;
}

void putBitmapInfoHeader(Bytes& out, int width, int height, int bitsPerPixel,
                         std::uint32_t imageSize) {
  putLittleEndian32(out, 40);
  putLittleEndian32(out, static_cast<std::uint32_t>(width));
  putLittleEndian32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  putLittleEndian16(out, 1);                                   // planes
  putLittleEndian16(out, static_cast<std::uint32_t>(bitsPerPixel));
  putLittleEndian32(out, 0);  // no compression
  putLittleEndian32(out, imageSize);
  putLittleEndian32(out, 2835);  // 72 dots per inch, in dots per metre
  putLittleEndian32(out, 2835);
  putLittleEndian32(out, 0);  // no palette
  putLittleEndian32(out, 0);
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = crcTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
  constexpr std::uint32_t modulus = 65521;
  std::uint32_t a = adler & 0xFFFFu;
  std::uint32_t b = adler >> 16;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % modulus;
    b = (b + a) % modulus;
  }
  return (b << 16) | a;
}

Bytes deflate(const std::uint8_t* data, std::size_t size) {
  Bytes out;
  BitWriter bits(out);
  bits.put(1, 1);  // final block
  bits.put(1, 2);  // fixed Huffman codes
  std::vector<std::size_t> head(std::size_t{1} << hashBits, none);
  std::vector<std::size_t> previous(windowSize, none);
  auto insert = [&](std::size_t pos) {
    if (pos + minMatch > size) return;
    const std::size_t h = hashAt(data + pos);
    previous[pos % windowSize] = head[h];
    head[h] = pos;
  };

  std::size_t pos = 0;
  while (pos < size) {
    std::size_t bestLength = 0;
    std::size_t bestDistance = 0;
    if (pos + minMatch <= size) {
      const std::size_t limit = std::min(maxMatch, size - pos);
      std::size_t candidate = head[hashAt(data + pos)];
      for (std::size_t tries = 0;
           candidate != none && pos - candidate <= windowSize && tries < maxChain; ++tries) {
        std::size_t length = 0;
        while (length < limit && data[candidate + length] == data[pos + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestDistance = pos - candidate;
          if (length == limit) break;
        }
        const std::size_t next = previous[candidate % windowSize];
        // A slot reused by a later position ends the chain.
        if (next == none || next >= candidate) break;
        candidate = next;
      }
    }
    if (bestLength >= minMatch) {
      putMatch(bits, bestLength, bestDistance);
      for (std::size_t i = 0; i < bestLength; ++i) insert(pos + i);
      pos += bestLength;
    } else {
      putSymbol(bits, data[pos]);
      insert(pos);
      ++pos;
    }
  }
  putSymbol(bits, 256);  // end of block
  bits.flush();
  return out;
}

namespace {

// The image's colours in first-seen order, with each pixel's index into
// them; false when there are more than 256.
bool paletteOf(const Image& image, std::vector<Rgb>& palette, Bytes& indices) {
  std::map<std::uint32_t, std::uint8_t> known;
  indices.reserve(static_cast<std::size_t>(image.width()) *
                  static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.pixel(x, y);
      const std::uint32_t key = (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
      auto found = known.find(key);
      if (found == known.end()) {
        if (palette.size() == 256) return false;
        found = known.emplace(key, static_cast<std::uint8_t>(palette.size())).first;
        palette.push_back(c);
      }
      indices.push_back(found->second);
    }
  }
  return true;
}

}  // namespace

// 8 bits per pixel with a palette of 256 entries when the colours fit (every
// gesture picture: a third of the 24-bit size, the same pixels), 24 bits
// otherwise.
Bytes encodeBmp(const Image& image) {
  if (image.empty()) return {};
  std::vector<Rgb> palette;
  Bytes indices;
  const bool indexed = paletteOf(image, palette, indices);
  const int bits = indexed ? 8 : 24;
  const std::uint32_t stride = rowStride(image.width(), bits);
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.height());
  const std::uint32_t headers = 14 + 40 + (indexed ? 4 * 256 : 0);
  Bytes out;
  out.reserve(headers + imageSize);
  out.push_back('B');
  out.push_back('M');
  putLittleEndian32(out, headers + imageSize);
  putLittleEndian32(out, 0);  // reserved
  putLittleEndian32(out, headers);
  putBitmapInfoHeader(out, image.width(), image.height(), bits, imageSize);
  if (indexed) {
    palette.resize(256);  // unused entries black
    for (const Rgb& c : palette) {
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
      out.push_back(0);
    }
  }
  for (int y = image.height() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.width(); ++x) {
      if (indexed) {
        out.push_back(
            indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()) +
                    static_cast<std::size_t>(x)]);
      } else {
        const Rgb c = image.pixel(x, y);
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
      }
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

Bytes encodePng(const Image& image) {
  if (image.empty()) return {};
  const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 3;
  Bytes raw;
  raw.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    raw.push_back(0);  // filter: none
    const auto row = image.bytes().begin() + static_cast<std::ptrdiff_t>(rowBytes) * y;
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  putBigEndian32(header, static_cast<std::uint32_t>(image.width()));
  putBigEndian32(header, static_cast<std::uint32_t>(image.height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // depth, RGB, deflate, filter set 0, progressive
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlibStream(raw));
  putChunk(png, "IEND", {});
  return png;
}

Bytes encodeIcon(const Image& image, const std::vector<std::uint8_t>& alpha) {
  const int w = image.width();
  const int h = image.height();
  const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (image.empty() || w > 256 || h > 256 || alpha.size() != pixels) return {};

  const std::uint32_t maskStride = rowStride(w, 1);
  const std::uint32_t colourBytes = static_cast<std::uint32_t>(pixels) * 4;
  const std::uint32_t imageBytes = 40 + colourBytes + maskStride * static_cast<std::uint32_t>(h);
  constexpr std::uint32_t directory = 6 + 16;
  Bytes out;
  putLittleEndian16(out, 0);                           // reserved
  putLittleEndian16(out, 1);                           // an icon
  putLittleEndian16(out, 1);                           // one image
  out.push_back(static_cast<std::uint8_t>(w & 0xFF));  // 256 is written as 0
  out.push_back(static_cast<std::uint8_t>(h & 0xFF));
  out.push_back(0);  // no palette
  out.push_back(0);
  putLittleEndian16(out, 1);  // planes
  putLittleEndian16(out, 32);
  putLittleEndian32(out, imageBytes);
  putLittleEndian32(out, directory);
  // The image's height counts the colour rows and the mask rows.
  putBitmapInfoHeader(out, w, 2 * h, 32, colourBytes);
  auto alphaAt = [&](int x, int y) {
    return alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)];
  };
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = image.pixel(x, y);
      out.insert(out.end(), {c.b, c.g, c.r, alphaAt(x, y)});
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(maskStride, 0);
    for (int x = 0; x < w; ++x) {
      if (alphaAt(x, y) == 0) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

bool writeFile(const std::string& path, const Bytes& bytes, std::string& error) {
  if (bytes.empty()) {
    error = path + ": nothing to write";
    return false;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) {
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
  }
  if (!file) {
    error = path + ": cannot be written";
    return false;
  }
  return true;
}

}  // namespace Pictures
