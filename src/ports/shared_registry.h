// Registry values that the main program, the touch driver, the hook library
// and the system share, all under HKEY_LOCAL_MACHINE.
#pragma once

#include "ports/registry_port.h"

namespace TouchDriverRegistry {

inline constexpr Registry::Root root = Registry::localMachine;
inline constexpr const wchar_t* key = L"HARDWARE\\DEVICEMAP\\TOUCH";

// 32-bit switch of the touch driver: going from 0 to non-zero makes the driver
// load the hook library afresh; 0 unloads it.
inline constexpr const wchar_t* multiTouchDemo = L"MultiTouchDemo";

// String "left,top,width,height" in screen pixels: the rectangle whose
// touches still reach the system. Read by the hook library at every attach.
inline constexpr const wchar_t* lockTouch = L"LockTouch";

// "LockTouch" for the whole 480 x 800 screen: every touch passes through.
inline constexpr const wchar_t* wholeScreen = L"0,0,480,800";

}  // namespace TouchDriverRegistry

// The display's rotation, written by the system when the screen turns (and by
// the program's "rotate" command through the system), watched by the program.
namespace RotationRegistry {

inline constexpr Registry::Root root = Registry::localMachine;
inline constexpr const wchar_t* key = L"System\\GDI\\Rotation";
// 32-bit angle in degrees: 0, 90, 180 or 270.
inline constexpr const wchar_t* angle = L"Angle";

}  // namespace RotationRegistry
