// The two messages the hook library posts to the main window, and the packed
// touch point they carry.
//
//   WM_APP_TOUCH      wParam 1                   lParam packed first point
//                     wParam packed second point lParam packed first point
//   WM_APP_TOUCH_END  wParam 1                   lParam 0
//
// Where wParam and lParam are 64 bits wide the words arrive zero-extended:
// receivers read the low 32 bits.
//
// The packed touch point: one finger position in pixels in a 32-bit word.
//
//   bits 0-15   (x | 0x8000) & 0xFFFF: x in bits 0-14, bit 15 always set
//   bits 16-31  y & 0xFFFF
//
// Bit 15 tells a word that carries a point from the one-finger wParam (1).
// The receiver reads x from bits 0-11 only: a panel never reports 4096 pixels.
//
// Nothing here needs the C++ runtime: the hook library includes it too.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_APP_TOUCH = 0x8001;      // WM_APP + 1
inline constexpr std::uint32_t WM_APP_TOUCH_END = 0x8002;  // WM_APP + 2

// wParam of a one-point WM_APP_TOUCH and of WM_APP_TOUCH_END.
inline constexpr std::uint32_t touchSinglePointWParam = 1;

namespace PackedPoint {

inline constexpr std::uint32_t pointFlag = 0x8000;    // bit 15
inline constexpr std::uint32_t decodedXMask = 0xFFF;  // bits 0-11

constexpr std::uint32_t pack(std::uint32_t x, std::uint32_t y) {
  return ((x | pointFlag) & 0xFFFFu) | ((y & 0xFFFFu) << 16);
}

constexpr bool carriesPoint(std::uint32_t word) { return (word & pointFlag) != 0; }

// The position as the receiver reads it back.
constexpr std::uint32_t decodedX(std::uint32_t word) { return word & decodedXMask; }
constexpr std::uint32_t decodedY(std::uint32_t word) { return word >> 16; }

}  // namespace PackedPoint
