// The game-pad pictures, drawn from the controller's layout tables: black
// (transparent under the overlay's colour key) with every command area as a
// white-outlined button holding a white glyph.
#pragma once

#include "controller/controller_layout.h"
#include "image.h"
#include "recognition/geometry.h"

namespace Pictures {

// Button outlines: a band this wide just inside the area's first rectangle,
// a thinner one inside its second rectangle (the area's extra reach).
inline constexpr double buttonOutlineWidth = 3.0;  // pixels
inline constexpr double reachOutlineWidth = 2.0;   // pixels

// A rectangle of the unrotated panel on the screen rotated by 270 degrees
// (800 x 480): panel (x, y) lies at screen (y, 480 - x).
Geometry::Rect2D toLandscapeScreen(const Geometry::Rect2D& panel);

// Picture 168: the portrait areas, the picture placed at the top of the pad.
Image drawPortraitPad();
// Picture 175: the sideways areas on the rotated screen, glyphs upright there.
Image drawLandscapePad();
// Picture 167: the sideways areas on the unrotated screen; the landscape
// picture turned back, so its glyphs read right when the phone is held
// sideways.
Image drawSidewaysPad();

}  // namespace Pictures
