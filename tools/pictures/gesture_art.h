// The 240 x 240 gesture pictures, drawn from the recogniser's own template
// paths: a dark grey rounded tile with the gesture's path as a white brush
// stroke ending in an arrow head. A back-and-forth path is drawn as a
// hairpin, so the way back shows beside the way out; a two-finger gesture
// shows two parallel strokes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"
#include "recognition/geometry.h"

namespace Pictures {

inline constexpr int gesturePictureSize = 240;  // pixels, square
inline constexpr Rgb tileColour{58, 58, 58};

struct GestureArtwork {
  std::int32_t bitmapId;
  std::wstring name;
  Geometry::Path2D path;  // the one-finger template's path as drawn
  bool twoFingers;
};

// Every gesture that has a picture: the one-finger gestures with a picture of
// their own and every two-finger variant, in ascending picture id.
std::vector<GestureArtwork> gestureArtworks();

Image drawGesture(const Geometry::Path2D& path, bool twoFingers);

}  // namespace Pictures
