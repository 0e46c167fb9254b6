// Registry values that the main program, the touch driver and the hook
// library share, all under HKEY_LOCAL_MACHINE.
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

}  // namespace TouchDriverRegistry
