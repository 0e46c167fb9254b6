#include "image_files.h"

#include <fstream>

#include <zlib.h>

namespace Pictures {

namespace {

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

// The zlib stream of an IDAT chunk; nothing when zlib fails.
Bytes zlibStream(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  out.resize(size);
  return out;
}

void putChunk(Bytes& png, const char* type, const Bytes& data) {
  putBigEndian32(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  for (int i = 0; i < 4; ++i) png.push_back(static_cast<std::uint8_t>(type[i]));
  png.insert(png.end(), data.begin(), data.end());
  putBigEndian32(png,
                 static_cast<std::uint32_t>(crc32_z(0, png.data() + start, png.size() - start)));
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

Bytes encodeBmp(const Image& image) {
  if (image.empty()) return {};
  const std::uint32_t stride = rowStride(image.width(), 24);
  const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.height());
  constexpr std::uint32_t headers = 14 + 40;
  Bytes out;
  out.reserve(headers + imageSize);
  out.push_back('B');
  out.push_back('M');
  putLittleEndian32(out, headers + imageSize);
  putLittleEndian32(out, 0);  // reserved
  putLittleEndian32(out, headers);
  putBitmapInfoHeader(out, image.width(), image.height(), 24, imageSize);
  for (int y = image.height() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (int x = 0; x < image.width(); ++x) {
      const Rgb c = image.pixel(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
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
  const Bytes compressed = zlibStream(raw);
  if (compressed.empty()) return {};
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", compressed);
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
