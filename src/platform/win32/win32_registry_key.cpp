// Opening a registry key: the one part of the Win32 registry adapter that the
// hook library shares. Plain API calls: nothing here allocates or throws.
#include <windows.h>

#include "platform/win32/win32_registry.h"

namespace {

HKEY rootKey(Registry::Root root) noexcept {
  switch (root) {
    case Registry::currentUser:
      return HKEY_CURRENT_USER;
    case Registry::localMachine:
      return HKEY_LOCAL_MACHINE;
    default:
      return nullptr;
  }
}

LONG createKey(HKEY parent, const wchar_t* subKey, REGSAM access, HKEY& key) noexcept {
  LONG status = RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                nullptr, &key, nullptr);
  if (status == ERROR_CHILD_MUST_BE_VOLATILE) {
    status = RegCreateKeyExW(parent, subKey, 0, nullptr, REG_OPTION_VOLATILE, access, nullptr, &key,
                             nullptr);
  }
  return status;
}

}  // namespace

bool openWin32RegistryKey(Registry::Root root, const wchar_t* subKey,
                          Registry::KeyHandle& key) noexcept {
  const HKEY parent = rootKey(root);
  if (parent == nullptr || subKey == nullptr) return false;
  HKEY opened = nullptr;
  LONG status = createKey(parent, subKey, KEY_READ | KEY_WRITE, opened);
  if (status == ERROR_ACCESS_DENIED) status = createKey(parent, subKey, KEY_READ, opened);
  if (status != ERROR_SUCCESS || opened == nullptr) return false;
  key = reinterpret_cast<Registry::KeyHandle>(opened);
  return true;
}
