// The registry as the core needs it: keys opened with create semantics and
// named values of raw bytes with a type tag. Strings travel as UTF-16LE bytes.
//
// The simulated phone keeps an in-memory store behind this port; on Windows
// the adapter calls the registry API.
#pragma once

#include <cstdint>
#include <string>

namespace Registry {

using Root = std::uint32_t;  // the platform's predefined key values
inline constexpr Root currentUser = 0x80000001;
inline constexpr Root localMachine = 0x80000002;

using ValueType = std::uint32_t;
inline constexpr ValueType typeString = 1;
inline constexpr ValueType typeDword = 4;
inline constexpr ValueType typeMultiString = 7;

using KeyHandle = std::uintptr_t;  // 0 is never a valid open key

}  // namespace Registry

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;

  // Opens `subKey` under `root`, creating it (and any missing parents) when it
  // does not exist. False when the key can be neither opened nor created.
  virtual bool openKey(Registry::Root root, const std::wstring& subKey,
                       Registry::KeyHandle& key) = 0;

  // Queries a value of an open key. With `data` null only `size` is set to
  // the value's byte count. Otherwise `size` holds the buffer's capacity on
  // entry and the byte count on return; a value larger than the buffer fails,
  // writes nothing into `data` and sets `size` to the value's byte count.
  // The data are returned exactly as stored: no terminator is added to a
  // string. `type` may be null.
  virtual bool queryValue(Registry::KeyHandle key, const std::wstring& valueName,
                          Registry::ValueType* type, std::uint8_t* data, std::uint32_t& size) = 0;

  // Stores exactly `size` bytes under `valueName` with the type tag,
  // replacing any earlier value (a string gets no terminator added).
  virtual bool setValue(Registry::KeyHandle key, const std::wstring& valueName,
                        Registry::ValueType type, const std::uint8_t* data, std::uint32_t size) = 0;

  virtual void closeKey(Registry::KeyHandle key) = 0;

  // openKey and queryValue with NUL-terminated names, for callers that must
  // not allocate (the hook library reads "LockTouch" inside the loader's
  // notification). These defaults copy the names into strings; an adapter
  // used there overrides both and allocates nothing.
  virtual bool openKeyNamed(Registry::Root root, const wchar_t* subKey, Registry::KeyHandle& key) {
    return openKey(root, subKey, key);
  }
  virtual bool queryValueNamed(Registry::KeyHandle key, const wchar_t* valueName,
                               Registry::ValueType* type, std::uint8_t* data, std::uint32_t& size) {
    return queryValue(key, valueName, type, data, size);
  }
};
