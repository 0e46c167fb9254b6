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

// Failing opens and queries, values of every size and every opened key
// closed: the registry fuzz target (fuzz/registry_fuzzer.cpp), on every input.

}  // namespace
