// Every name and number the application core shares with the registry, the
// resources, the hook library and the shell: key paths, value names, the
// notification identifiers, resource ids, messages and fixed texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ports/registry_port.h"

// Sent by the registry-change notifications to the main window, with the
// setting's identifier in lParam. The first user message number.
inline constexpr std::uint32_t WM_REGISTRY_CHANGED = 0x400;

namespace AppSettings {

// --- keys ---
inline constexpr Registry::Root programRoot = Registry::currentUser;
inline constexpr const wchar_t* programKey = L"Software\\ZEM";
inline constexpr Registry::Root touchDriverRoot = Registry::localMachine;
inline constexpr const wchar_t* touchDriverKey = L"HARDWARE\\DEVICEMAP\\TOUCH";
inline constexpr Registry::Root rotationRoot = Registry::localMachine;
inline constexpr const wchar_t* rotationKey = L"System\\GDI\\Rotation";

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

// --- values under the touch driver's and the rotation key ---
inline constexpr const wchar_t* multiTouchDemo = L"MultiTouchDemo";
inline constexpr const wchar_t* lockTouch = L"LockTouch";
inline constexpr const wchar_t* angle = L"Angle";

// The pass-through rectangle of the whole 480 x 800 screen (left, top,
// width, height in pixels).
inline constexpr const wchar_t* wholeScreenLockTouch = L"0,0,480,800";

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

// --- messages and commands ---
inline constexpr std::uint32_t closeCommandId = 40000;  // Ctrl+Q in accelerator table 2

// --- resources and the main window ---
inline constexpr std::uint32_t titleStringId = 1;
inline constexpr std::uint32_t classStringId = 2;
inline constexpr std::size_t resourceStringChars = 100;  // buffer, terminator included
inline constexpr std::uint32_t iconId = 101;
inline constexpr std::uint32_t acceleratorTableId = 2;
inline constexpr std::uint32_t classStyles = 3;  // redraw on horizontal and vertical resize
inline constexpr std::uint32_t whiteBrush = 0;   // stock object
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
