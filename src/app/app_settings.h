// The names and numbers of the application core: its registry key and
// values, the notification identifiers, its pauses and fixed texts. What it
// shares with other processes (the touch driver's and the rotation key, the
// touch messages, the main window and its resources) is defined beside the
// ports: ports/shared_registry.h, ports/touch_messages.h, ports/main_window.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ports/main_window.h"
#include "ports/registry_port.h"
#include "ports/shared_registry.h"

// Sent by the registry-change notifications to the main window, with the
// setting's identifier in lParam. The first user message number.
inline constexpr std::uint32_t WM_REGISTRY_CHANGED = 0x400;

namespace AppSettings {

// --- keys ---
inline constexpr Registry::Root programRoot = Registry::currentUser;
inline constexpr const wchar_t* programKey = L"Software\\ZEM";

// --- values under the program's key ---
inline constexpr const wchar_t* blackListClose = L"BlackListClose";
inline constexpr const wchar_t* blackListAll = L"BlackListAll";
inline constexpr const wchar_t* blackListSwitch = L"BlackListSwitch";
inline constexpr const wchar_t* whiteListBack = L"WhiteListBack";
inline constexpr const wchar_t* singleTouchGestureSupport = L"SingleTouchGestureSupport";
inline constexpr const wchar_t* tapAndHoldGestureSupport = L"TapAndHoldGestureSupport";
inline constexpr const wchar_t* showOverlay = L"ShowOverlay";
inline constexpr const wchar_t* controllerKeys = L"ControllerKeys";
inline constexpr const wchar_t* controllerVibrate = L"ControllerVibrate";

// --- change-notification identifiers (lParam of WM_REGISTRY_CHANGED) ---
enum SettingId : std::uint32_t {
  idBlackListClose = 1,
  idBlackListAll = 2,
  idBlackListSwitch = 3,
  idWhiteListBack = 4,
  idSingleTouchGestureSupport = 5,
  idTapAndHoldGestureSupport = 6,
  idShowOverlay = 7,
  idControllerKeys = 8,
  idControllerVibrate = 9,
  idAngle = 16,  // 10 to 15 are not used
};

// --- the main window (its ids: ports/main_window.h) ---
inline constexpr std::size_t resourceStringChars = 100;  // buffer, terminator included
inline constexpr std::uint32_t classStyles = 3;          // redraw on horizontal and vertical resize
inline constexpr std::uint32_t whiteBrush = 0;           // stock object
inline constexpr std::uint32_t windowStyle = 0x80000000;  // pop-up, never visible

// --- gesture pictures ---
inline constexpr std::int32_t pictureSize = 240;  // pixels, square
// Top-left corner that centres the picture on the 480 x 800 portrait screen
// and on the 800 x 480 landscape screen.
inline constexpr std::int32_t portraitPictureX = 120;
inline constexpr std::int32_t portraitPictureY = 280;
inline constexpr std::int32_t landscapePictureX = 280;
inline constexpr std::int32_t landscapePictureY = 120;
inline constexpr std::uint32_t defaultPictureMs = 500;  // "ShowOverlay" = 1

// --- pauses on the main thread, in ms ---
inline constexpr std::uint32_t rearmPauseMs = 1000;        // driver switch off, then on
inline constexpr std::uint32_t angleReshowPauseMs = 1000;  // before the controller is re-shown
inline constexpr std::uint32_t closePauseMs = 1000;        // "closezem"
inline constexpr std::uint32_t actionPauseMs = 400;        // "rotate" and "controller"

// --- on-screen keyboard ---
inline constexpr std::uint32_t sipShownFlag = 0x1;  // bit 0 of the flags field

// --- command words ---
inline constexpr std::size_t longestCommandWord = 10;       // "controller"
inline constexpr const wchar_t* desktopTitle = L"Desktop";  // the "home" window
inline constexpr std::uint32_t orientation0 = 0;
inline constexpr std::uint32_t orientation270 = 4;

}  // namespace AppSettings
