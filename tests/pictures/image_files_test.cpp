#include "image_files.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "picture_reader.h"

namespace {

using Pictures::Bytes;
using Pictures::Image;

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
  // A picture of one colour is compressed, not stored.
  EXPECT_LT(Pictures::encodePng(Image(480, 800)).size(), 4000u);
  EXPECT_TRUE(Pictures::encodeBmp(Image()).empty());
}

}  // namespace
