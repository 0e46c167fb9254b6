// Typed reading and writing of registry values, shared by the main program
// and the hook library. Every call names root, sub-key and value in full and
// opens and closes its own key, so the store holds nothing but its port.
//
// All operations return false on any failure; the output is then not to be
// used and callers keep their previous value. Reads open the key with create
// semantics too, so reading under a missing sub-key creates the (empty) key;
// a read never creates a value. The stored type is never checked on reading.
//
// ReadDword: any value of at most 4 bytes, as raw little-endian bytes; a
//   shorter one fills the low bytes and the rest are zero. Larger ones fail.
// ReadString: the text up to the first NUL and never past the data, read
//   through a buffer of 260 wide characters (520 bytes). A larger value fails
//   rather than giving a cut text. An odd last byte is ignored.
// WriteString: 2 bytes per UTF-16 unit, type 1, no terminator stored.
// ReadStringList: appends the entries of a NUL-separated list in stored order;
//   the first empty entry (or the end of the data) ends the list.
// The lower-case flag lower-cases the copy read (see text/lower_case.h), never the
// stored value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/registry_port.h"

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
