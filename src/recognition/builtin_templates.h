// The shipped gesture set: the recogniser registers it, and the picture
// generator draws the gesture bitmaps from the same paths.
#pragma once

#include <cstdint>
#include <vector>

#include "recognition/geometry.h"

namespace Gestures {

struct BuiltInGesture {
  std::int32_t id;
  const wchar_t* name;
  std::int32_t bitmapId;  // 0 = no picture of its own
  Geometry::Path2D path;  // as drawn, before normalisation
};

// The twelve one-finger gestures in registration order (the order decides
// ties in recognition).
const std::vector<BuiltInGesture>& builtInGestures();

}  // namespace Gestures
