#include "platform/win32/win32_hook_port.h"

#include <windows.h>

#include "platform/win32/win32_registry.h"

HookPort::WindowHandle Win32HookPort::findWindow(const wchar_t* className, const wchar_t* title) {
  return reinterpret_cast<WindowHandle>(FindWindowW(className, title));
}

bool Win32HookPort::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                                LParam lParam) {
  return PostMessageW(reinterpret_cast<HWND>(window), message, wParam, lParam) != 0;
}

std::uint32_t Win32HookPort::lastError() { return GetLastError(); }

void Win32HookPort::debugOutput(const wchar_t* text) { OutputDebugStringW(text); }

bool Win32HookRegistry::openKeyNamed(Registry::Root root, const wchar_t* subKey,
                                     Registry::KeyHandle& key) {
  return openWin32RegistryKey(root, subKey, key);
}

// The size is asked first, so a value that does not fit fails without
// touching `data`. Should the value grow between the two calls, the second
// fails as well (the caller then uses nothing of the buffer).
bool Win32HookRegistry::queryValueNamed(Registry::KeyHandle key, const wchar_t* valueName,
                                        Registry::ValueType* type, std::uint8_t* data,
                                        std::uint32_t& size) {
  const HKEY hkey = reinterpret_cast<HKEY>(key);
  DWORD valueType = 0;
  DWORD byteCount = 0;
  if (RegQueryValueExW(hkey, valueName, nullptr, &valueType, nullptr, &byteCount) !=
      ERROR_SUCCESS) {
    return false;
  }
  if (data != nullptr) {
    if (byteCount > size) {
      size = byteCount;
      return false;
    }
    byteCount = size;
    if (RegQueryValueExW(hkey, valueName, nullptr, &valueType, data, &byteCount) != ERROR_SUCCESS) {
      return false;
    }
  }
  size = byteCount;
  if (type != nullptr) *type = valueType;
  return true;
}

bool Win32HookRegistry::openKey(Registry::Root root, const std::wstring& subKey,
                                Registry::KeyHandle& key) {
  return openKeyNamed(root, subKey.c_str(), key);
}

bool Win32HookRegistry::queryValue(Registry::KeyHandle key, const std::wstring& valueName,
                                   Registry::ValueType* type, std::uint8_t* data,
                                   std::uint32_t& size) {
  return queryValueNamed(key, valueName.c_str(), type, data, size);
}

bool Win32HookRegistry::setValue(Registry::KeyHandle, const std::wstring&, Registry::ValueType,
                                 const std::uint8_t*, std::uint32_t) {
  return false;
}

void Win32HookRegistry::closeKey(Registry::KeyHandle key) {
  if (key != 0) RegCloseKey(reinterpret_cast<HKEY>(key));
}
