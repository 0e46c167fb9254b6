// The two messages the hook library posts to the main window.
//
//   WM_APP_TOUCH      wParam 1                   lParam packed first point
//                     wParam packed second point lParam packed first point
//   WM_APP_TOUCH_END  wParam 1                   lParam 0
//
// Bit 15 of wParam tells the two forms of WM_APP_TOUCH apart: it is set in
// every packed point (see capture/packed_point.h) and clear in the value 1.
// Where wParam and lParam are 64 bits wide the words arrive zero-extended:
// receivers read the low 32 bits.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_APP_TOUCH = 0x8001;      // WM_APP + 1
inline constexpr std::uint32_t WM_APP_TOUCH_END = 0x8002;  // WM_APP + 2

// wParam of a one-point WM_APP_TOUCH and of WM_APP_TOUCH_END.
inline constexpr std::uint32_t touchSinglePointWParam = 1;

// The last error of a post to a window that no longer exists (the Windows
// ERROR_INVALID_WINDOW_HANDLE); every HookPort reports it so.
inline constexpr std::uint32_t errorInvalidWindowHandle = 1400;
