// The Win32 adapter against the real registry API (Wine in the cross build).
// Everything happens in private keys that are deleted afterwards.
#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "registry_store_contract.h"

namespace {

std::wstring uniqueName(const wchar_t* prefix) {
  static int counter = 0;
  return prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

bool keyExistsUnder(HKEY root, const std::wstring& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class Win32Env {
 public:
  Win32Env() : base_(L"Software\\ZEMTest\\" + uniqueName(L"run-")) {}
  ~Win32Env() {
    RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, base_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZEMTest");  // only when empty
  }
  Win32Env(const Win32Env&) = delete;
  Win32Env& operator=(const Win32Env&) = delete;

  RegistryPort& port() { return registry_; }
  Registry::Root root() const { return Registry::currentUser; }
  std::wstring base() const { return base_; }
  bool keyExists(const std::wstring& subKey) { return keyExistsUnder(HKEY_CURRENT_USER, subKey); }

 private:
  Win32Registry registry_;
  std::wstring base_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryStoreContract, Win32Env);

const std::wstring deviceMap = L"HARDWARE\\DEVICEMAP";

TEST(Win32RegistryTest, KeysUnderHardwareAreCreatedVolatile) {
  const std::wstring parent = deviceMap + L"\\" + uniqueName(L"ZEMTest-");
  const std::wstring child = parent + L"\\TOUCH";
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, child.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &key, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);

  Win32Registry registry;
  RegistryStore store(registry);
  ASSERT_TRUE(store.WriteString(Registry::localMachine, child, L"LockTouch", L"0,0,480,800"));
  EXPECT_TRUE(keyExistsUnder(HKEY_LOCAL_MACHINE, child));
  std::wstring text;
  EXPECT_TRUE(store.ReadString(Registry::localMachine, child, L"LockTouch", text, false));
  EXPECT_EQ(text, L"0,0,480,800");
  EXPECT_EQ(RegDeleteTreeW(HKEY_LOCAL_MACHINE, parent.c_str()), ERROR_SUCCESS);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, parent.c_str());
}

TEST(Win32RegistryTest, TouchDriverKeyTakesValues) {
  // Another program may use "MultiTouchDemo" and "LockTouch" in the same
  // prefix at the same time: this test uses a value name of its own.
  const std::wstring touch = deviceMap + L"\\TOUCH";
  const std::wstring name = uniqueName(L"ZEMTest-");
  Win32Registry registry;
  RegistryStore store(registry);
  ASSERT_TRUE(store.WriteDword(Registry::localMachine, touch, name, 5));
  std::uint32_t value = 0;
  EXPECT_TRUE(store.ReadDword(Registry::localMachine, touch, name, value));
  EXPECT_EQ(value, 5u);
  EXPECT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, touch.c_str(), name.c_str()), ERROR_SUCCESS);
}

TEST(Win32RegistryTest, StringsKeepTheirExactByteCount) {
  // The API extends a string's count by a terminator that follows the data;
  // the adapter must store exactly what it is given.
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
