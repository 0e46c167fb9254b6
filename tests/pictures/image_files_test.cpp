#include "image_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "picture_reader.h"

namespace {

using Pictures::Bytes;
using Pictures::Image;

Bytes text(const char* s) { return Bytes(s, s + std::strlen(s)); }

// The published check values, and what zlib writes for one literal (the bit
// order of codes and fields): a reader of our own would share a mistake here.
TEST(ImageFiles, ChecksumsAndDeflateBitsAreStandard) {
  const Bytes digits = text("123456789"), iend = text("IEND"), wiki = text("Wikipedia"),
              a = text("a");
  EXPECT_EQ(Pictures::crc32(digits.data(), digits.size()), 0xCBF43926u);
  EXPECT_EQ(Pictures::crc32(iend.data(), iend.size()), 0xAE426082u);  // in every PNG
  EXPECT_EQ(Pictures::adler32(wiki.data(), wiki.size()), 0x11E60398u);
  EXPECT_EQ(Pictures::deflate(a.data(), a.size()), (Bytes{0x4B, 0x04, 0x00}));
}

TEST(ImageFiles, DeflateRoundTripsEveryLiteralLongRunsAndTheWholeWindow) {
  Bytes all, mixed(1000, 7), noise;  // runs of length 258 at distance 1
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
  // Noise (no repeats for the search to find), then a repeat exactly one
  // window back and one just beyond it.
  for (std::uint32_t i = 0, seed = 1; i < 32768; ++i) {
    seed = seed * 1664525u + 1013904223u;
    noise.push_back(static_cast<std::uint8_t>(seed >> 24));
  }
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  mixed.insert(mixed.end(), noise.begin(), noise.begin() + 600);
  mixed.insert(mixed.end(), noise.begin() + 1, noise.end());
  for (const Bytes& data : {Bytes{}, all, mixed}) {
    std::string problem;
    EXPECT_EQ(PictureReader::inflate(Pictures::deflate(data.data(), data.size()), problem), data);
    EXPECT_EQ(problem, "");
  }
  const Bytes repetitive(300000, 42);
  EXPECT_LT(Pictures::deflate(repetitive.data(), repetitive.size()).size(), 3000u);
}

TEST(ImageFiles, BmpRowsRunBottomUpPaddedAndBothFormatsReadBack) {
  Image image(3, 2);
  image.setPixel(0, 0, {1, 2, 3});
  image.setPixel(2, 1, {200, 100, 50});
  // Three colours: 8 bits with a palette in first-seen order from the top
  // row ((1,2,3), black, (200,100,50)), 3 bytes of indices padded to 4 a row.
  const Bytes bmp = Pictures::encodeBmp(image);
  ASSERT_EQ(bmp.size(), 54u + 1024 + 2 * 4);
  EXPECT_EQ(bmp[28], 8);
  EXPECT_EQ(bmp[54 + 4 * 2], 50);   // palette entries blue-green-red
  EXPECT_EQ(bmp[1078 + 2], 2);      // bottom row first
  EXPECT_EQ(bmp[1078 + 4 + 1], 1);  // then the top row
  // More than 256 colours: 24 bits, 9 bytes of pixels padded to 12 per row.
  Image rich(300, 1);
  for (int x = 0; x < 300; ++x) {
    rich.setPixel(x, 0,
                  {static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(x / 256), 7});
  }
  const Bytes richBmp = Pictures::encodeBmp(rich);
  ASSERT_EQ(richBmp.size(), 54u + 900);
  EXPECT_EQ(richBmp[28], 24);
  for (const auto& [back, original] :
       {std::pair(PictureReader::readBmp(bmp), image),
        std::pair(PictureReader::readPng(Pictures::encodePng(image)), image),
        std::pair(PictureReader::readBmp(richBmp), rich)}) {
    ASSERT_EQ(back.problem, "");
    EXPECT_EQ(std::pair(back.image.width(), back.image.height()),
              std::pair(original.width(), original.height()));
    EXPECT_EQ(back.image.bytes(), original.bytes());
  }
  EXPECT_TRUE(Pictures::encodePng(Image(0, 5)).empty());
  EXPECT_TRUE(Pictures::encodeBmp(Image()).empty());
}

}  // namespace
