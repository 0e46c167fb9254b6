#include "platform/win32/win32_clock.h"

#include <windows.h>

void Win32Clock::sleep(std::uint32_t ms) { Sleep(ms); }

std::uint64_t Win32Clock::nowMs() { return GetTickCount64(); }
