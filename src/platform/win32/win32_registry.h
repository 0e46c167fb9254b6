// The registry port over the Windows registry API. Key handles are the HKEY
// values themselves.
//
// openKey creates missing keys with default options; a key under a volatile
// parent (HKEY_LOCAL_MACHINE\HARDWARE) is created volatile instead, the only
// kind such a parent accepts. It asks for read and write access and falls
// back to read-only access where writing is denied, so values can still be
// read. Only the two root keys of Registry are accepted.
#pragma once

#include "ports/registry_port.h"

class Win32Registry final : public RegistryPort {
 public:
  bool openKey(Registry::Root root, const std::wstring& subKey, Registry::KeyHandle& key) override;
  bool queryValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType* type,
                  std::uint8_t* data, std::uint32_t& size) override;
  bool setValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType type,
                const std::uint8_t* data, std::uint32_t size) override;
  void closeKey(Registry::KeyHandle key) override;
};

// openKey's work with a NUL-terminated sub-key; allocates nothing. Shared
// with the hook library's read-only adapter.
bool openWin32RegistryKey(Registry::Root root, const wchar_t* subKey,
                          Registry::KeyHandle& key) noexcept;
