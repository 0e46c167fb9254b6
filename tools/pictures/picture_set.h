// Every picture of the main program, and the files the build makes of them:
// the resource script "pictures.rc" with the picture files beside it, or PNG
// copies for the documentation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace Pictures {

enum class PictureKind {
  bitmap,      // a 24-bit bitmap resource
  compressed,  // a PNG in a resource of the custom type "GIF"
};

struct Picture {
  std::int32_t id;  // resource id
  PictureKind kind;
  std::string title;  // what it shows, for the documentation
  Image image;
};

// The fourteen gesture bitmaps and the three game-pad pictures, in ascending
// resource id.
std::vector<Picture> allPictures();

// The program icon, 32 x 32, with its alpha (one byte per pixel, rows
// top-down).
Image drawIcon(std::vector<std::uint8_t>& alpha);

// The file a picture is stored in: "gesture_<id>.bmp" or "pad_<id>.png", or
// with the extension ".png" for both in the documentation.
std::string resourceFileName(const Picture& picture);
std::string documentationFileName(const Picture& picture);

// One line per picture: `157 BITMAP "gesture_157.bmp"`, `167 GIF "pad_167.png"`.
std::string resourceScript(const std::vector<Picture>& pictures);

// Writes into an existing directory: the picture files, the icon "zem.ico" and
// "pictures.rc" (written last, so that a complete script means complete
// pictures). False, with a message, at the first file that fails.
bool writeResources(const std::string& directory, std::string& error);
// Writes every picture and the icon as PNG files ("zem_icon.png").
bool writeDocumentation(const std::string& directory, std::string& error);

}  // namespace Pictures
