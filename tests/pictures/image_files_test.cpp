#include "image_files.h"

#include <gtest/gtest.h>

#include <utility>

#include "picture_reader.h"

namespace {

using Pictures::Image;

// Both BMP forms (8 bits with a palette up to 256 colours, 24 bits beyond;
// rows padded to 4 bytes) and PNG read back pixel for pixel.
TEST(ImageFiles, BothFormatsReadBack) {
  Image image(3, 2);
  image.setPixel(0, 0, {1, 2, 3});
  image.setPixel(2, 1, {200, 100, 50});
  Image rich(300, 1);
  for (int x = 0; x < 300; ++x) {
    rich.setPixel(x, 0,
                  {static_cast<std::uint8_t>(x % 256), static_cast<std::uint8_t>(x / 256), 7});
  }
  for (const auto& [back, original] :
       {std::pair(PictureReader::readBmp(Pictures::encodeBmp(image)), image),
        std::pair(PictureReader::readPng(Pictures::encodePng(image)), image),
        std::pair(PictureReader::readBmp(Pictures::encodeBmp(rich)), rich)}) {
    ASSERT_EQ(back.problem, "");
    EXPECT_EQ(std::pair(back.image.width(), back.image.height()),
              std::pair(original.width(), original.height()));
    EXPECT_EQ(back.image.bytes(), original.bytes());
  }
  EXPECT_TRUE(Pictures::encodePng(Image(0, 5)).empty());
  EXPECT_TRUE(Pictures::encodeBmp(Image()).empty());
}

}  // namespace
