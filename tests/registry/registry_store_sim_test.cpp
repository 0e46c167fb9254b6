#include "platform/sim/sim_registry.h"
#include "registry_store_contract.h"

namespace {

struct SimEnv {
  RegistryPort& port() { return registry; }
  Registry::Root root() const { return Registry::currentUser; }
  std::wstring base() const { return L"Software\\ZEMTest"; }
  bool keyExists(const std::wstring& subKey) { return registry.keyExists(root(), subKey); }
  SimRegistry registry;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, RegistryStoreContract, SimEnv);

const std::wstring zemKey = L"Software\\ZEM";
constexpr Registry::Root user = Registry::currentUser;
constexpr Registry::Root machine = Registry::localMachine;

TEST(RegistryStoreFrameTest, EveryOpenedKeyIsClosedAndFailuresReportFalse) {
  SimRegistry registry;
  RegistryStore store(registry);
  registry.setDword(user, zemKey, L"ShowOverlay", 2000);
  std::uint32_t value = 0;
  std::wstring text;
  std::vector<std::wstring> list;
  registry.faults().open = 1;
  EXPECT_FALSE(store.WriteString(user, zemKey, L"Tap", L"home"));
  registry.faults().query = 3;  // the first query of each read
  EXPECT_FALSE(store.ReadDword(user, zemKey, L"ShowOverlay", value));
  EXPECT_FALSE(store.ReadString(user, zemKey, L"ShowOverlay", text, false));
  EXPECT_FALSE(store.ReadStringList(user, zemKey, L"ShowOverlay", list, false));
  registry.faults().set = 1;
  EXPECT_FALSE(store.WriteDword(user, zemKey, L"ShowOverlay", 0));
  EXPECT_EQ(registry.dwordValue(user, zemKey, L"ShowOverlay"), 2000u);
  EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST(SimRegistryTest, KeysAndValuesBehaveLikeTheRealRegistry) {
  SimRegistry registry;
  std::vector<std::wstring> changes;
  const std::size_t id = registry.addObserver(
      [&](Registry::Root root, const std::wstring& key, const std::wstring& name) {
        changes.push_back(key + L"|" + name);  // an observer may change the registry
        if (name == L"MultiTouchDemo") registry.setDword(root, key, L"Attached", 1);
      });
  Registry::KeyHandle key = 0;
  ASSERT_TRUE(registry.openKey(machine, L"HARDWARE\\DeviceMap\\TOUCH", key));
  const std::uint8_t one[4] = {1, 0, 0, 0};
  ASSERT_TRUE(registry.setValue(key, L"MultiTouchDemo", Registry::typeDword, one, 4));
  registry.closeKey(key);
  // Paths and names ignore case and keep their first spelling; a trailing \ is ignored.
  EXPECT_TRUE(registry.deleteValue(machine, L"hardware\\DEVICEMAP\\touch\\", L"MULTITOUCHDEMO"));
  registry.removeObserver(id);
  registry.setDword(user, zemKey, L"ShowOverlay", 1);
  EXPECT_EQ(changes, (std::vector<std::wstring>{L"HARDWARE\\DeviceMap\\TOUCH|MultiTouchDemo",
                                                L"HARDWARE\\DeviceMap\\TOUCH|Attached",
                                                L"HARDWARE\\DeviceMap\\TOUCH|MULTITOUCHDEMO"}));
  EXPECT_FALSE(registry.openKey(0x80000000, L"Software", key));
  EXPECT_FALSE(registry.openKey(user, L"Software\\\\ZEM", key));
  EXPECT_EQ(registry.openKeyCount(), 0u);
}

}  // namespace
