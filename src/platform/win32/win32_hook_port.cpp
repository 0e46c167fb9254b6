#include "platform/win32/win32_hook_port.h"

#include <windows.h>

HookPort::WindowHandle Win32HookPort::findWindow(const wchar_t* className, const wchar_t* title) {
  return reinterpret_cast<WindowHandle>(FindWindowW(className, title));
}

bool Win32HookPort::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != 0;
}

std::uint32_t Win32HookPort::lastError() { return GetLastError(); }

void Win32HookPort::debugOutput(const wchar_t* text) { OutputDebugStringW(text); }
