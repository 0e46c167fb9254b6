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

TEST(RegistryStoreFrameTest, EveryOpenedKeyIsClosedAndFailuresReportFalse) {
  SimRegistry registry;
  RegistryStore store(registry);
  registry.setDword(user, zemKey, L"ShowOverlay", 2000);
  std::uint32_t value = 0;
  std::wstring text;
  std::vector<std::wstring> list;

  registry.faults().open = -1;
  EXPECT_FALSE(store.ReadDword(user, zemKey, L"ShowOverlay", value));
  EXPECT_FALSE(store.WriteString(user, zemKey, L"Tap", L"home"));
  registry.faults().open = 0;

  registry.faults().query = 1;  // the size query of each read
  EXPECT_FALSE(store.ReadDword(user, zemKey, L"ShowOverlay", value));
  registry.faults().query = 1;
  EXPECT_FALSE(store.ReadString(user, zemKey, L"ShowOverlay", text, false));
  registry.faults().query = 1;
  EXPECT_FALSE(store.ReadStringList(user, zemKey, L"ShowOverlay", list, false));
  registry.faults().set = 1;
  EXPECT_FALSE(store.WriteDword(user, zemKey, L"ShowOverlay", 0));
  EXPECT_EQ(registry.dwordValue(user, zemKey, L"ShowOverlay"), 2000u);
  EXPECT_EQ(registry.openKeyCount(), 0u);

  ASSERT_TRUE(store.ReadDword(user, zemKey, L"ShowOverlay", value));
  EXPECT_EQ(value, 2000u);
  EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST(SimRegistryTest, PathsAndNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  SimRegistry registry;
  std::vector<std::wstring> changes;
  registry.addObserver([&](Registry::Root, const std::wstring& key, const std::wstring& name) {
    changes.push_back(key + L"|" + name);
  });
  Registry::KeyHandle first = 0;
  ASSERT_TRUE(registry.openKey(Registry::localMachine, L"HARDWARE\\DeviceMap\\TOUCH", first));
  EXPECT_TRUE(registry.keyExists(Registry::localMachine, L"hardware\\devicemap"));
  EXPECT_FALSE(registry.keyExists(Registry::currentUser, L"HARDWARE"));
  const std::uint8_t one[4] = {1, 0, 0, 0};
  ASSERT_TRUE(registry.setValue(first, L"MultiTouchDemo", Registry::typeDword, one, 4));
  registry.closeKey(first);

  Registry::KeyHandle second = 0;
  ASSERT_TRUE(registry.openKey(Registry::localMachine, L"hardware\\DEVICEMAP\\touch\\", second));
  EXPECT_NE(second, first);
  EXPECT_NE(second, 0u);
  std::uint8_t data[8] = {};
  std::uint32_t size = 3;
  Registry::ValueType type = 0;
  EXPECT_FALSE(registry.queryValue(second, L"multitouchdemo", &type, data, size));
  EXPECT_EQ(size, 4u);  // too small: the needed size, no data
  EXPECT_EQ(data[0], 0);
  size = sizeof data;
  ASSERT_TRUE(registry.queryValue(second, L"multitouchdemo", &type, data, size));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, Registry::typeDword);
  EXPECT_EQ(data[0], 1);
  registry.closeKey(second);
  registry.closeKey(second);  // closing twice or an unknown handle is harmless
  registry.closeKey(12345);

  EXPECT_TRUE(registry.deleteValue(Registry::localMachine, L"Hardware\\DeviceMap\\Touch",
                                   L"MULTITOUCHDEMO"));
  EXPECT_FALSE(registry.deleteValue(Registry::localMachine, L"Hardware\\DeviceMap\\Touch",
                                    L"MULTITOUCHDEMO"));
  EXPECT_EQ(changes, (std::vector<std::wstring>{L"HARDWARE\\DeviceMap\\TOUCH|MultiTouchDemo",
                                                L"HARDWARE\\DeviceMap\\TOUCH|MULTITOUCHDEMO"}));
  EXPECT_TRUE(SimRegistry::sameName(L"LockTouch", L"LOCKTOUCH"));
}

TEST(SimRegistryTest, RejectsUnknownRootsAndMalformedPaths) {
  SimRegistry registry;
  Registry::KeyHandle key = 0;
  EXPECT_FALSE(registry.openKey(0x80000000, L"Software", key));
  EXPECT_FALSE(registry.openKey(user, L"\\Software", key));
  EXPECT_FALSE(registry.openKey(user, L"Software\\\\ZEM", key));
  EXPECT_FALSE(registry.setDword(0x80000003, L"Software", L"x", 1));
  EXPECT_TRUE(registry.openKey(user, L"", key));  // the root key itself
  registry.closeKey(key);
  EXPECT_EQ(registry.openKeyCount(), 0u);
}

TEST(SimRegistryTest, ConveniencesStoreTheLayoutsOfProgramAndTools) {
  SimRegistry registry;
  using Bytes = std::vector<std::uint8_t>;
  registry.setString(user, zemKey, L"Plain", L"ok");
  registry.setString(user, zemKey, L"Tool", L"ok", true);
  registry.setStringList(user, zemKey, L"List", {L"a", L"b"});
  EXPECT_EQ(registry.valueRaw(user, zemKey, L"Plain")->data, (Bytes{'o', 0, 'k', 0}));
  EXPECT_EQ(registry.valueRaw(user, zemKey, L"Tool")->data, (Bytes{'o', 0, 'k', 0, 0, 0}));
  EXPECT_EQ(registry.valueRaw(user, zemKey, L"List")->type, Registry::typeMultiString);
  EXPECT_EQ(registry.valueRaw(user, zemKey, L"List")->data,
            (Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
  EXPECT_EQ(registry.stringValue(user, zemKey, L"Tool"), L"ok");
  EXPECT_FALSE(registry.dwordValue(user, zemKey, L"Tool").has_value());
}

TEST(SimRegistryTest, ObserversMayChangeTheRegistryAndCanBeRemoved) {
  SimRegistry registry;
  int calls = 0;
  const std::size_t id = registry.addObserver(
      [&](Registry::Root root, const std::wstring& key, const std::wstring& name) {
        ++calls;
        if (name == L"MultiTouchDemo") registry.setDword(root, key, L"Attached", 1);
      });
  registry.setDword(Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH", L"MultiTouchDemo", 1);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(registry.dwordValue(Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH", L"Attached"),
            1u);
  registry.removeObserver(id);
  registry.setDword(user, zemKey, L"ShowOverlay", 1);
  EXPECT_EQ(calls, 2);
}

}  // namespace
