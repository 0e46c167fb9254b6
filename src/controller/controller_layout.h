// The game-pad's two layouts: where each command area lies, and which picture
// shows the pad where. The controller builds its areas from these tables and
// the picture generator draws the pad pictures from them, so what is seen and
// what is pressed cannot drift apart.
//
// Rectangles are (x, y, width, height) in pixels of the touch panel's
// unrotated 480 x 800 frame; edges are outside an area.
#pragma once

#include <array>
#include <cstdint>

#include "recognition/geometry.h"

namespace ControllerLayout {

inline constexpr double panelWidth = 480.0;   // pixels
inline constexpr double panelHeight = 800.0;  // pixels

// What an area does: a key index 0 to 11 (0 down, 1 up, 2 left, 3 right,
// 4 Enter, 5 Clear, 6 to 11 the six buttons), or one of the two pad buttons.
inline constexpr int exitButton = -1;
inline constexpr int rotateButton = -2;

struct AreaSpec {
  int key = 0;
  Geometry::Rect2D first;
  bool twoRectangles = false;
  Geometry::Rect2D second;  // the default rectangle when the area has one only
};

// Direction pad along the top edge, buttons along the bottom edge, the band
// between them left to the system. Serves both the sideways pad on the
// unrotated screen and the pad on a screen rotated by 270 degrees.
inline constexpr std::array<AreaSpec, 14> sidewaysAreas = {{
    {3, {200, 100, 80, 80}, true, {80, 135, 320, 50}},
    {2, {200, 0, 80, 80}, true, {80, 0, 320, 50}},
    {0, {80, 0, 80, 185}, false, {}},
    {1, {320, 0, 80, 185}, false, {}},
    {4, {430, 750, 50, 50}, false, {}},
    {5, {0, 750, 50, 50}, false, {}},
    {6, {320, 620, 80, 110}, false, {}},
    {7, {320, 690, 80, 110}, false, {}},
    {8, {200, 620, 80, 110}, false, {}},
    {9, {200, 690, 80, 110}, false, {}},
    {10, {80, 620, 80, 110}, false, {}},
    {11, {80, 690, 80, 110}, false, {}},
    {exitButton, {0, 0, 50, 50}, false, {}},
    {rotateButton, {430, 0, 50, 50}, false, {}},
}};

// The pad in the bottom 320 pixels, the top left to the system.
inline constexpr std::array<AreaSpec, 14> portraitAreas = {{
    {0, {0, 720, 185, 80}, false, {}},
    {1, {0, 480, 185, 80}, false, {}},
    {2, {0, 600, 80, 80}, true, {0, 480, 50, 320}},
    {3, {100, 600, 80, 80}, true, {130, 480, 50, 320}},
    {4, {215, 580, 50, 50}, false, {}},
    {5, {215, 650, 50, 50}, false, {}},
    {6, {300, 480, 110, 80}, false, {}},
    {7, {370, 480, 110, 80}, false, {}},
    {8, {300, 600, 110, 80}, false, {}},
    {9, {370, 600, 110, 80}, false, {}},
    {10, {300, 720, 110, 80}, false, {}},
    {11, {370, 720, 110, 80}, false, {}},
    {exitButton, {215, 750, 50, 50}, false, {}},
    {rotateButton, {215, 480, 50, 50}, false, {}},
}};

// A pad picture (a compressed-picture resource) and its place on the screen,
// in screen pixels.
struct PadPicture {
  std::uint32_t resource;
  std::int32_t x, y, width, height;
};

// The sideways areas on the screen rotated by 270 degrees.
inline constexpr PadPicture landscapePicture = {175, 0, 0, 800, 480};
inline constexpr PadPicture sidewaysPicture = {167, 0, 0, 480, 800};
inline constexpr PadPicture portraitPicture = {168, 0, 480, 480, 320};

}  // namespace ControllerLayout
