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

}  // namespace
