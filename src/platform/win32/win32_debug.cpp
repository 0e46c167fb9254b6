#include "platform/win32/win32_debug.h"

#include <windows.h>

void Win32Debug::debugOutput(const std::wstring& text) { OutputDebugStringW(text.c_str()); }
