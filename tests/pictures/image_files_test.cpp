#include "image_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "picture_reader.h"

namespace {

using Pictures::Bytes;
using Pictures::Image;

Bytes text(const char* s) { return Bytes(s, s + std::strlen(s)); }

// Deterministic noise: every byte value, no repeats for the search to find.
Bytes noise(std::size_t size, std::uint32_t seed) {
  Bytes out;
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    out.push_back(static_cast<std::uint8_t>(seed >> 24));
  }
  return out;
}

Bytes roundTrip(const Bytes& data) {
  std::string problem;
  const Bytes back = PictureReader::inflate(Pictures::deflate(data.data(), data.size()), problem);
  EXPECT_EQ(problem, "");
  return back;
}

TEST(ImageFiles, ChecksumsMatchTheirPublishedValues) {
  const Bytes digits = text("123456789");
  EXPECT_EQ(Pictures::crc32(digits.data(), digits.size()), 0xCBF43926u);
  const Bytes iend = text("IEND");
  EXPECT_EQ(Pictures::crc32(iend.data(), iend.size()), 0xAE426082u);  // in every PNG
  const Bytes wiki = text("Wikipedia");
  EXPECT_EQ(Pictures::adler32(wiki.data(), wiki.size()), 0x11E60398u);
}

TEST(ImageFiles, DeflateWritesStandardBitsAndRoundTrips) {
  // What zlib writes for one literal: the bit order of codes and fields.
  const Bytes a = text("a");
  EXPECT_EQ(Pictures::deflate(a.data(), a.size()), (Bytes{0x4B, 0x04, 0x00}));

  EXPECT_EQ(roundTrip({}), Bytes{});
  Bytes all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
  EXPECT_EQ(roundTrip(all), all);  // every literal code length

  // Long runs (length 258, distance 1), a repeat exactly one window back and
  // one just beyond it.
  Bytes mixed(1000, 7);
  const Bytes block = noise(32768, 1);
  mixed.insert(mixed.end(), block.begin(), block.end());
  mixed.insert(mixed.end(), block.begin(), block.begin() + 600);
  mixed.insert(mixed.end(), block.begin() + 1, block.end());
  EXPECT_EQ(roundTrip(mixed), mixed);

  const Bytes repetitive(300000, 42);
  EXPECT_LT(Pictures::deflate(repetitive.data(), repetitive.size()).size(), 3000u);
}

TEST(ImageFiles, PngIsReadBackPixelForPixel) {
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{7, 5}, std::pair{300, 260}}) {
    Image image(w, h);
    const Bytes n = noise(static_cast<std::size_t>(w * h), 9);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        // Flat areas, stripes and noise.
        const auto v = static_cast<std::uint8_t>(
            y < h / 2 ? (x / 10) * 40 : n[static_cast<std::size_t>(y * w + x)]);
        image.setPixel(x, y, {v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(y)});
      }
    }
    const PictureReader::Decoded back = PictureReader::readPng(Pictures::encodePng(image));
    ASSERT_EQ(back.problem, "") << w << "x" << h;
    EXPECT_EQ(back.image.width(), w);
    EXPECT_EQ(back.image.height(), h);
    EXPECT_EQ(back.image.bytes(), image.bytes());
  }
  EXPECT_TRUE(Pictures::encodePng(Image(0, 5)).empty());
}

TEST(ImageFiles, BmpRowsRunBottomUpPaddedToFourBytes) {
  Image image(3, 2);
  image.setPixel(0, 0, {1, 2, 3});
  image.setPixel(2, 1, {200, 100, 50});
  const Bytes bmp = Pictures::encodeBmp(image);
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // 9 bytes of pixels padded to 12 per row
  EXPECT_EQ(bmp[54 + 8], 200);          // bottom row first, blue-green-red
  EXPECT_EQ(bmp[54 + 12 + 2], 1);       // then the top row
  const PictureReader::Decoded back = PictureReader::readBmp(bmp);
  ASSERT_EQ(back.problem, "");
  EXPECT_EQ(back.image.bytes(), image.bytes());
  EXPECT_TRUE(Pictures::encodeBmp(Image()).empty());
}

}  // namespace
