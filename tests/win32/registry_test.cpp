// The Win32 adapter against the real registry API (Wine in the cross build),
// in private keys that are deleted afterwards.
#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "registry/registry_store_contract.h"

namespace {

std::wstring uniqueName(const wchar_t* prefix) {
  static int counter = 0;
  return prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

struct Win32Env {
  ~Win32Env() {
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEMTest");  // only when empty
  }
  RegistryPort& port() { return registry; }
  Registry::Root root() const { return Registry::currentUser; }
  std::wstring base() const { return key; }
  bool keyExists(const std::wstring& subKey) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(opened);
    return true;
  }
  Win32Registry registry;
  std::wstring key = L"Software\\ZEMTest\\" + uniqueName(L"run-");
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryStoreContract, Win32Env);

TEST(Win32RegistryTest, KeysUnderHardwareAreCreatedVolatile) {
  const std::wstring parent = L"HARDWARE\\DEVICEMAP\\" + uniqueName(L"ZEMTest-");
  const std::wstring child = parent + L"\\TOUCH";
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, child.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  Win32Registry registry;
  RegistryStore store(registry);
  ASSERT_TRUE(store.WriteString(Registry::localMachine, child, L"LockTouch", L"0,0,480,800"));
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, parent.c_str()), ERROR_SUCCESS);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, parent.c_str());
}

TEST(Win32RegistryTest, StringsKeepTheirExactByteCount) {
  // The API adds a terminator to the count when a NUL follows the data.
  Win32Env env;
  Registry::KeyHandle key = 0;
  ASSERT_TRUE(env.port().openKey(env.root(), env.base(), key));
  const std::uint8_t followedByNul[] = {'a', 0, 'b', 0, 0, 0};
  for (const std::uint32_t size : {4u, 1u}) {
    ASSERT_TRUE(env.port().setValue(key, L"Text", Registry::typeString, followedByNul, size));
    std::uint32_t stored = 0;
    ASSERT_TRUE(env.port().queryValue(key, L"Text", nullptr, nullptr, stored));
    EXPECT_EQ(stored, size);
  }
  env.port().closeKey(key);
}

}  // namespace
