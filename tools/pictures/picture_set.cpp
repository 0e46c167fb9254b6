#include "picture_set.h"

#include <algorithm>

#include "controller/controller_layout.h"
#include "drawing.h"
#include "gesture_art.h"
#include "image_files.h"
#include "pad_art.h"
#include "text/utf8.h"

namespace Pictures {

namespace {

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  return last == '/' || last == '\\' ? directory + name : directory + "/" + name;
}

}  // namespace

std::vector<Picture> allPictures() {
  std::vector<Picture> pictures;
  for (const GestureArtwork& art : gestureArtworks()) {
    pictures.push_back({art.bitmapId, PictureKind::bitmap, Text::toUtf8(art.name),
                        drawGesture(art.path, art.twoFingers)});
  }
  pictures.push_back({static_cast<std::int32_t>(ControllerLayout::sidewaysPicture.resource),
                      PictureKind::compressed, "Game-pad, sideways", drawSidewaysPad()});
  pictures.push_back({static_cast<std::int32_t>(ControllerLayout::portraitPicture.resource),
                      PictureKind::compressed, "Game-pad, portrait", drawPortraitPad()});
  pictures.push_back({static_cast<std::int32_t>(ControllerLayout::landscapePicture.resource),
                      PictureKind::compressed, "Game-pad, landscape", drawLandscapePad()});
  std::sort(pictures.begin(), pictures.end(),
            [](const Picture& a, const Picture& b) { return a.id < b.id; });
  return pictures;
}

Image drawIcon(std::vector<std::uint8_t>& alpha) {
  constexpr int size = 32;
  constexpr double side = size;
  // The shape alone, white on black, gives the alpha.
  Image mask(size, size, black);
  fillRoundedRect(mask, {0, 0, side, side}, 6, white);
  Image icon(size, size, black);
  fillRoundedRect(icon, {0, 0, side, side}, 6, tileColour);
  // A "Z" drawn as one stroke, ending in an arrow head.
  strokePolyline(icon, {{8, 8}, {23, 8}, {9, 23}, {19, 23}}, 3.5, white);
  fillConvexPolygon(icon, {{27, 23}, {18, 18}, {18, 28}}, white);
  alpha.clear();
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::uint8_t a = mask.pixel(x, y).r;
      alpha.push_back(a);
      // Colours at the soft edge were blended towards black: undo that.
      if (a != 0 && a != 255) {
        const Rgb c = icon.pixel(x, y);
        auto lift = [a](std::uint8_t v) {
          return static_cast<std::uint8_t>(std::min(255, (v * 255 + a / 2) / a));
        };
        icon.setPixel(x, y, {lift(c.r), lift(c.g), lift(c.b)});
      }
    }
  }
  return icon;
}

std::string resourceFileName(const Picture& picture) {
  return picture.kind == PictureKind::bitmap ? "gesture_" + std::to_string(picture.id) + ".bmp"
                                             : "pad_" + std::to_string(picture.id) + ".png";
}

std::string documentationFileName(const Picture& picture) {
  return (picture.kind == PictureKind::bitmap ? "gesture_" : "pad_") + std::to_string(picture.id) +
         ".png";
}

std::string resourceScript(const std::vector<Picture>& pictures) {
  std::string script =
      "// Drawn by zem-pictures from the gesture templates and the game-pad layouts;\n"
      "// every build writes it anew.\n";
  for (const Picture& p : pictures) {
    script += std::to_string(p.id) + (p.kind == PictureKind::bitmap ? " BITMAP " : " GIF ") + "\"" +
              resourceFileName(p) + "\"\n";
  }
  return script;
}

bool writeResources(const std::string& directory, std::string& error) {
  const std::vector<Picture> pictures = allPictures();
  for (const Picture& p : pictures) {
    const Bytes bytes = p.kind == PictureKind::bitmap ? encodeBmp(p.image) : encodePng(p.image);
    if (!writeFile(joinPath(directory, resourceFileName(p)), bytes, error)) return false;
  }
  std::vector<std::uint8_t> alpha;
  const Image icon = drawIcon(alpha);
  if (!writeFile(joinPath(directory, "zem.ico"), encodeIcon(icon, alpha), error)) return false;
  const std::string script = resourceScript(pictures);
  return writeFile(joinPath(directory, "pictures.rc"), Bytes(script.begin(), script.end()), error);
}

bool writeDocumentation(const std::string& directory, std::string& error) {
  for (const Picture& p : allPictures()) {
    if (!writeFile(joinPath(directory, documentationFileName(p)), encodePng(p.image), error)) {
      return false;
    }
  }
  std::vector<std::uint8_t> alpha;
  return writeFile(joinPath(directory, "zem_icon.png"), encodePng(drawIcon(alpha)), error);
}

}  // namespace Pictures
