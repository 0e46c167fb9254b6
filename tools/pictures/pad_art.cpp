#include "pad_art.h"

#include <algorithm>
#include <string>

#include "drawing.h"

namespace Pictures {

namespace {

using ControllerLayout::AreaSpec;

constexpr double cornerRadius = 8.0;  // pixels, of the button outlines
constexpr double arrowSize = 0.3;     // of the button's smaller side: centre to tip
constexpr double crossArm = 12.0;     // pixels, centre to the end of an arm
constexpr double crossWidth = 5.0;    // pixels
constexpr int digitScale = 4;         // pixels per font dot
constexpr int wordScale = 2;
constexpr int rotateScale = 4;

Point2D centreOf(const Rect2D& r) { return {r.x + r.width / 2, r.y + r.height / 2}; }

// A filled arrow head pointing along (dx, dy), a unit step on screen.
void drawArrow(Image& image, const Rect2D& button, double dx, double dy) {
  const Point2D c = centreOf(button);
  const double s = arrowSize * std::min(button.width, button.height);
  const Point2D tip{c.x + dx * s, c.y + dy * s};
  const Point2D base{c.x - dx * s * 0.6, c.y - dy * s * 0.6};
  const double spread = s * 0.9;
  fillConvexPolygon(image,
                    {tip,
                     {base.x - dy * spread, base.y + dx * spread},
                     {base.x + dy * spread, base.y - dx * spread}},
                    white);
}

void drawGlyph(Image& image, int key, const Rect2D& button) {
  const Point2D c = centreOf(button);
  switch (key) {
    case 0:
      drawArrow(image, button, 0, 1);
      break;
    case 1:
      drawArrow(image, button, 0, -1);
      break;
    case 2:
      drawArrow(image, button, -1, 0);
      break;
    case 3:
      drawArrow(image, button, 1, 0);
      break;
    case 4:
      drawText(image, "ENT", c, wordScale, white);
      break;
    case 5:
      drawText(image, "CLR", c, wordScale, white);
      break;
    case ControllerLayout::exitButton:
      strokePolyline(image, {{c.x - crossArm, c.y - crossArm}, {c.x + crossArm, c.y + crossArm}},
                     crossWidth, white);
      strokePolyline(image, {{c.x - crossArm, c.y + crossArm}, {c.x + crossArm, c.y - crossArm}},
                     crossWidth, white);
      break;
    case ControllerLayout::rotateButton:
      drawText(image, "R", c, rotateScale, white);
      break;
    default:  // the six buttons send numeric keypad 0 to 5 by default
      if (key >= 6 && key <= 11) {
        drawText(image, std::string(1, static_cast<char>('0' + key - 6)), c, digitScale, white);
      }
      break;
  }
}

// The picture sits at the top of the pad.
Rect2D onPortraitPicture(const Rect2D& r) {
  return {r.x - ControllerLayout::portraitPicture.x, r.y - ControllerLayout::portraitPicture.y,
          r.width, r.height};
}

template <typename Areas>
Image drawPad(int width, int height, const Areas& areas, Rect2D (*place)(const Rect2D&)) {
  Image image(width, height, black);
  for (const AreaSpec& area : areas) {
    const Rect2D first = place(area.first);
    outlineRoundedRect(image, first, cornerRadius, buttonOutlineWidth, white);
    if (area.twoRectangles) {
      outlineRoundedRect(image, place(area.second), cornerRadius, reachOutlineWidth, white);
    }
    drawGlyph(image, area.key, first);
  }
  return image;
}

}  // namespace

Rect2D toLandscapeScreen(const Rect2D& panel) {
  return {panel.y, ControllerLayout::panelWidth - panel.x - panel.width, panel.height, panel.width};
}

Image drawPortraitPad() {
  const ControllerLayout::PadPicture& picture = ControllerLayout::portraitPicture;
  return drawPad(picture.width, picture.height, ControllerLayout::portraitAreas, onPortraitPicture);
}

Image drawLandscapePad() {
  const ControllerLayout::PadPicture& picture = ControllerLayout::landscapePicture;
  return drawPad(picture.width, picture.height, ControllerLayout::sidewaysAreas, toLandscapeScreen);
}

Image drawSidewaysPad() {
  const Image landscape = drawLandscapePad();
  // Panel pixel (x, y) covers screen pixel (y, 479 - x): whole pixels, no
  // resampling.
  Image sideways(landscape.height(), landscape.width(), black);
  for (int y = 0; y < sideways.height(); ++y) {
    for (int x = 0; x < sideways.width(); ++x) {
      sideways.setPixel(x, y, landscape.pixel(y, landscape.height() - 1 - x));
    }
  }
  return sideways;
}

}  // namespace Pictures
