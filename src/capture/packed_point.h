// The packed touch point: one finger position in pixels in a 32-bit word, as
// the hook library posts it to the main window and the tracker decodes it.
//
//   bits 0-15   (x | 0x8000) & 0xFFFF: x in bits 0-14, bit 15 always set
//   bits 16-31  y & 0xFFFF
//
// Bit 15 tells a word that carries a point from the one-finger wParam (1).
// The tracker reads x from bits 0-11 only: a panel never reports 4096 pixels.
#pragma once

#include <cstdint>

#include "recognition/geometry.h"

namespace PackedPoint {

inline constexpr std::uint32_t pointFlag = 0x8000;    // bit 15
inline constexpr std::uint32_t decodedXMask = 0xFFF;  // bits 0-11

constexpr std::uint32_t pack(std::uint32_t x, std::uint32_t y) {
  return ((x | pointFlag) & 0xFFFFu) | ((y & 0xFFFFu) << 16);
}

constexpr bool carriesPoint(std::uint32_t word) { return (word & pointFlag) != 0; }

constexpr Geometry::Point2D unpack(std::uint32_t word) {
  return {static_cast<double>(word & decodedXMask), static_cast<double>(word >> 16)};
}

}  // namespace PackedPoint
