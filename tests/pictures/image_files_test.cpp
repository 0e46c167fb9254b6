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
  const Bytes bmp = Pictures::encodeBmp(image);
  ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // 9 bytes of pixels padded to 12 per row
  EXPECT_EQ(bmp[54 + 8], 200);          // bottom row first, blue-green-red
  EXPECT_EQ(bmp[54 + 12 + 2], 1);       // then the top row
  for (const auto& back :
       {PictureReader::readBmp(bmp), PictureReader::readPng(Pictures::encodePng(image))}) {
    ASSERT_EQ(back.problem, "");
    EXPECT_EQ(std::pair(back.image.width(), back.image.height()), std::pair(3, 2));
    EXPECT_EQ(back.image.bytes(), image.bytes());
  }
  EXPECT_TRUE(Pictures::encodePng(Image(0, 5)).empty());
  // A picture of one colour is compressed, not stored.
  EXPECT_LT(Pictures::encodePng(Image(480, 800)).size(), 4000u);
  EXPECT_TRUE(Pictures::encodeBmp(Image()).empty());
}

}  // namespace
