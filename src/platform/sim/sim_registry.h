// The simulated phone's registry: an in-memory store behind RegistryPort.
//
// It behaves like the real registry where the core relies on it: the two
// root keys, sub-key paths and value names compared without regard to case,
// keys created (with their parents) on open, values kept as raw bytes with a
// type tag and returned exactly as stored. A sub-key path must not start with
// a backslash nor contain an empty component; one trailing backslash is
// ignored. Key handles count up from 1 and are never reused.
//
// Tests and scenarios set and inspect values directly with the convenience
// operations below, observe every change, and inject failures into the port
// operations. Single-threaded, like the rest of the simulated phone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ports/registry_port.h"

class SimRegistry : public RegistryPort {
 public:
  SimRegistry();

  // Called after every change of a value: a successful setValue, a setX or a
  // deleteValue that removed something. `subKey` is the key's path in the
  // spelling in which it was first created, `valueName` as the change gave it.
  using Observer = std::function<void(Registry::Root root, const std::wstring& subKey,
                                      const std::wstring& valueName)>;

  struct StoredValue {
    Registry::ValueType type = 0;
    std::vector<std::uint8_t> data;
  };

  // Fault injection for the port operations (the conveniences never fail).
  // A positive count makes that many of the next calls fail; a negative one
  // makes every call fail until the count is set again.
  struct Faults {
    int open = 0;
    int query = 0;
    int set = 0;
  };

  bool openKey(Registry::Root root, const std::wstring& subKey, Registry::KeyHandle& key) override;
  bool queryValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType* type,
                  std::uint8_t* data, std::uint32_t& size) override;
  bool setValue(Registry::KeyHandle key, const std::wstring& valueName, Registry::ValueType type,
                const std::uint8_t* data, std::uint32_t size) override;
  void closeKey(Registry::KeyHandle key) override;

  // Conveniences: each creates the key when missing and is false only for an
  // unknown root or a malformed path.
  bool setDword(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                std::uint32_t value);
  // UTF-16 without terminator, as the program writes strings; with
  // `withTerminator` a NUL is stored too, as configuring tools do.
  bool setString(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                 const std::wstring& text, bool withTerminator = false);
  // Type 7: every entry followed by a NUL, then the final empty string.
  bool setStringList(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
                     const std::vector<std::wstring>& entries);
  bool setRaw(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName,
              Registry::ValueType type, std::vector<std::uint8_t> data);
  // True when a value was removed.
  bool deleteValue(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName);

  bool keyExists(Registry::Root root, const std::wstring& subKey) const;
  std::optional<StoredValue> valueRaw(Registry::Root root, const std::wstring& subKey,
                                      const std::wstring& valueName) const;
  // A value of exactly 4 bytes, whatever its type.
  std::optional<std::uint32_t> dwordValue(Registry::Root root, const std::wstring& subKey,
                                          const std::wstring& valueName) const;
  // A value's text up to its first NUL, whatever its type.
  std::optional<std::wstring> stringValue(Registry::Root root, const std::wstring& subKey,
                                          const std::wstring& valueName) const;

  // Returns an id for removeObserver.
  std::size_t addObserver(Observer observer);
  void removeObserver(std::size_t id);

  Faults& faults() { return faults_; }
  std::size_t openKeyCount() const { return handles_.size(); }

  // The comparison used for paths and value names; observers may use it too.
  static bool sameName(const std::wstring& a, const std::wstring& b);

 private:
  struct Value {
    std::wstring name;  // as first written
    StoredValue stored;
  };
  struct Key {
    std::wstring path;                     // as first created
    std::map<std::wstring, Value> values;  // by folded name
  };
  using KeyId = std::pair<Registry::Root, std::wstring>;  // root, folded path

  // Nothing for an unknown root or a malformed path.
  static std::optional<KeyId> keyId(Registry::Root root, const std::wstring& subKey);
  Key* createKey(Registry::Root root, const std::wstring& subKey, KeyId* id);
  const Value* findValue(Registry::Root root, const std::wstring& subKey,
                         const std::wstring& valueName) const;
  void store(Key& key, Registry::Root root, const std::wstring& valueName, StoredValue value);
  void notify(Registry::Root root, const std::wstring& subKey, const std::wstring& valueName);
  static bool takeFault(int& count);

  std::map<KeyId, Key> keys_;
  std::map<Registry::KeyHandle, KeyId> handles_;
  Registry::KeyHandle nextHandle_ = 1;
  std::vector<std::pair<std::size_t, Observer>> observers_;
  std::size_t nextObserverId_ = 1;
  Faults faults_;
};
