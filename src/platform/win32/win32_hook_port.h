// The hook library's platform ports over the Windows API. Nothing here
// allocates or throws: the library is built without the C++ runtime.
//
// Win32HookPort: FindWindowW, PostMessageW, GetLastError, OutputDebugStringW.
// Win32HookRegistry: reads only. Keys open as in Win32Registry (the same
// code); a value is queried straight into the caller's buffer once its size
// is known to fit; writing is refused (the library never writes).
#pragma once

#include "ports/hook_port.h"
#include "ports/registry_port.h"

class Win32HookPort final : public HookPort {
 public:
  WindowHandle findWindow(const wchar_t* className, const wchar_t* title) override;
  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  std::uint32_t lastError() override;
  void debugOutput(const wchar_t* text) override;
};

class Win32HookRegistry final : public RegistryPort {
 public:
  bool openKeyNamed(Registry::Root root, const wchar_t* subKey, Registry::KeyHandle& key) override;
  bool queryValueNamed(Registry::KeyHandle key, const wchar_t* valueName, Registry::ValueType* type,
                       std::uint8_t* data, std::uint32_t& size) override;

  bool openKey(Registry::Root root, const std::wstring& subKey, Registry::KeyHandle& key) override;
  bool queryValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType* type,
                  std::uint8_t* data, std::uint32_t& size) override;
  bool setValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType type,
                const std::uint8_t* data, std::uint32_t size) override;
  void closeKey(Registry::KeyHandle key) override;
};
