// Typed reading and writing of registry values, shared by the main program
// and the hook library. Every call names root, sub-key and value in full and
// opens and closes its own key, so the store holds nothing but its port.
//
// All operations return false on any failure; the output is then not to be
// used and callers keep their previous value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_port.h"

class RegistryStore {
 public:
  explicit RegistryStore(RegistryPort& port) : port_(port) {}

  bool ReadDword(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                 std::uint32_t& value);
  bool WriteDword(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                  std::uint32_t value);
  bool ReadString(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                  std::wstring& value, bool lowerCase);
  bool WriteString(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                   const std::wstring& value);
  bool ReadStringList(Registry::Root root, const std::wstring& subKey,
                      const std::wstring& valueName, std::vector<std::wstring>& values,
                      bool lowerCase);

 private:
  RegistryPort& port_;
};
