#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <limits>

#include "text/lower_case.h"
#include "text/utf16.h"

namespace {

bool knownRoot(Registry::Root root) {
  return root == Registry::currentUser || root == Registry::localMachine;
}

std::wstring folded(const std::wstring& name) { return Text::lowerCased(name); }

// The components of a sub-key path; nothing for a malformed one.
std::optional<std::vector<std::wstring>> splitPath(std::wstring path) {
  std::vector<std::wstring> components;
  if (path.empty()) return components;
  if (path.front() == L'\\') return std::nullopt;
  if (path.back() == L'\\') path.pop_back();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find(L'\\', start);
    const std::size_t length = (end == std::wstring::npos ? path.size() : end) - start;
    if (length == 0) return std::nullopt;
    components.push_back(path.substr(start, length));
    if (end == std::wstring::npos) return components;
    start = end + 1;
  }
}

std::wstring joined(const std::wstring& parent, const std::wstring& component) {
  return parent.empty() ? component : parent + L'\\' + component;
}

std::uint32_t littleEndian32(const std::vector<std::uint8_t>& bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

bool SimRegistry::openKey(Registry::Root root, const std::wstring& subKey,
                          Registry::KeyHandle& key) {
  if (takeFault(faults_.open)) return false;
  KeyId id;
  if (createKey(root, subKey, &id) == nullptr) return false;
  key = nextHandle_++;
  handles_.emplace(key, std::move(id));
  return true;
}

bool SimRegistry::queryValue(Registry::KeyHandle key, const std::wstring& valueName,
                             Registry::ValueType* type, std::uint8_t* data, std::uint32_t& size) {
  if (takeFault(faults_.query)) return false;
  const auto handle = handles_.find(key);
  if (handle == handles_.end()) return false;
  const Key& opened = keys_.at(handle->second);
  const auto value = opened.values.find(folded(valueName));
  if (value == opened.values.end()) return false;
  const std::vector<std::uint8_t>& bytes = value->second.stored.data;
  const auto byteCount = static_cast<std::uint32_t>(bytes.size());
  if (data != nullptr) {
    if (byteCount > size) {
      size = byteCount;
      return false;
    }
    std::copy(bytes.begin(), bytes.end(), data);
  }
  size = byteCount;
  if (type != nullptr) *type = value->second.stored.type;
  return true;
}

bool SimRegistry::setValue(Registry::KeyHandle key, const std::wstring& valueName,
                           Registry::ValueType type, const std::uint8_t* data, std::uint32_t size) {
  if (takeFault(faults_.set)) return false;
  const auto handle = handles_.find(key);
  if (handle == handles_.end() || (data == nullptr && size != 0)) return false;
  StoredValue value{type, std::vector<std::uint8_t>(data, data + size)};
  store(keys_.at(handle->second), handle->second.first, valueName, std::move(value));
  return true;
}

void SimRegistry::closeKey(Registry::KeyHandle key) { handles_.erase(key); }

bool SimRegistry::setDword(Registry::Root root, const std::wstring& subKey,
                           const std::wstring& valueName, std::uint32_t value) {
  return setRaw(
      root, subKey, valueName, Registry::typeDword,
      {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
       static_cast<std::uint8_t>((value >> 16) & 0xFF), static_cast<std::uint8_t>(value >> 24)});
}

bool SimRegistry::setString(Registry::Root root, const std::wstring& subKey,
                            const std::wstring& valueName, const std::wstring& text,
                            bool withTerminator) {
  std::vector<std::uint8_t> bytes = Text::toUtf16Bytes(text);
  if (withTerminator) bytes.insert(bytes.end(), 2, 0);
  return setRaw(root, subKey, valueName, Registry::typeString, std::move(bytes));
}

bool SimRegistry::setStringList(Registry::Root root, const std::wstring& subKey,
                                const std::wstring& valueName,
                                const std::vector<std::wstring>& entries) {
  std::vector<std::uint8_t> bytes;
  for (const std::wstring& entry : entries) {
    const std::vector<std::uint8_t> entryBytes = Text::toUtf16Bytes(entry);
    bytes.insert(bytes.end(), entryBytes.begin(), entryBytes.end());
    bytes.insert(bytes.end(), 2, 0);
  }
  bytes.insert(bytes.end(), 2, 0);
  return setRaw(root, subKey, valueName, Registry::typeMultiString, std::move(bytes));
}

bool SimRegistry::setRaw(Registry::Root root, const std::wstring& subKey,
                         const std::wstring& valueName, Registry::ValueType type,
                         std::vector<std::uint8_t> data) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  Key* key = createKey(root, subKey, nullptr);
  if (key == nullptr) return false;
  store(*key, root, valueName, StoredValue{type, std::move(data)});
  return true;
}

bool SimRegistry::deleteValue(Registry::Root root, const std::wstring& subKey,
                              const std::wstring& valueName) {
  const auto id = keyId(root, subKey);
  if (!id) return false;
  const auto key = keys_.find(*id);
  if (key == keys_.end() || key->second.values.erase(folded(valueName)) == 0) return false;
  notify(root, key->second.path, valueName);
  return true;
}

SimRegistry::SimRegistry() {
  keys_[{Registry::currentUser, std::wstring()}];
  keys_[{Registry::localMachine, std::wstring()}];
}

bool SimRegistry::keyExists(Registry::Root root, const std::wstring& subKey) const {
  const auto id = keyId(root, subKey);
  return id && keys_.count(*id) != 0;
}

std::optional<SimRegistry::StoredValue> SimRegistry::valueRaw(Registry::Root root,
                                                              const std::wstring& subKey,
                                                              const std::wstring& valueName) const {
  const Value* value = findValue(root, subKey, valueName);
  if (value == nullptr) return std::nullopt;
  return value->stored;
}

std::optional<std::uint32_t> SimRegistry::dwordValue(Registry::Root root,
                                                     const std::wstring& subKey,
                                                     const std::wstring& valueName) const {
  const Value* value = findValue(root, subKey, valueName);
  if (value == nullptr || value->stored.data.size() != 4) return std::nullopt;
  return littleEndian32(value->stored.data);
}

std::optional<std::wstring> SimRegistry::stringValue(Registry::Root root,
                                                     const std::wstring& subKey,
                                                     const std::wstring& valueName) const {
  const Value* value = findValue(root, subKey, valueName);
  if (value == nullptr) return std::nullopt;
  const std::vector<std::uint8_t>& bytes = value->stored.data;
  return Text::fromUtf16Bytes(bytes.data(), 2 * Text::unitsBeforeNul(bytes.data(), bytes.size()));
}

std::size_t SimRegistry::addObserver(Observer observer) {
  observers_.emplace_back(nextObserverId_, std::move(observer));
  return nextObserverId_++;
}

void SimRegistry::removeObserver(std::size_t id) {
  for (auto it = observers_.begin(); it != observers_.end(); ++it) {
    if (it->first == id) {
      observers_.erase(it);
      return;
    }
  }
}

bool SimRegistry::sameName(const std::wstring& a, const std::wstring& b) {
  return folded(a) == folded(b);
}

SimRegistry::Key* SimRegistry::createKey(Registry::Root root, const std::wstring& subKey,
                                         KeyId* id) {
  if (!knownRoot(root)) return nullptr;
  const auto components = splitPath(subKey);
  if (!components) return nullptr;
  KeyId current{root, std::wstring()};
  Key* key = &keys_.at(current);  // the root key itself
  for (const std::wstring& component : *components) {
    current.second = joined(current.second, folded(component));
    const auto found = keys_.find(current);
    if (found != keys_.end()) {
      key = &found->second;
    } else {
      key = &keys_.emplace(current, Key{joined(key->path, component), {}}).first->second;
    }
  }
  if (id != nullptr) *id = std::move(current);
  return key;
}

std::optional<SimRegistry::KeyId> SimRegistry::keyId(Registry::Root root,
                                                     const std::wstring& subKey) {
  if (!knownRoot(root)) return std::nullopt;
  const auto components = splitPath(subKey);
  if (!components) return std::nullopt;
  std::wstring path;
  for (const std::wstring& component : *components) path = joined(path, folded(component));
  return KeyId{root, std::move(path)};
}

const SimRegistry::Value* SimRegistry::findValue(Registry::Root root, const std::wstring& subKey,
                                                 const std::wstring& valueName) const {
  const auto id = keyId(root, subKey);
  if (!id) return nullptr;
  const auto key = keys_.find(*id);
  if (key == keys_.end()) return nullptr;
  const auto value = key->second.values.find(folded(valueName));
  return value == key->second.values.end() ? nullptr : &value->second;
}

void SimRegistry::store(Key& key, Registry::Root root, const std::wstring& valueName,
                        StoredValue value) {
  // Like the real registry, a value keeps the spelling of its name when it
  // is overwritten under another case.
  Value& slot = key.values.try_emplace(folded(valueName), Value{valueName, {}}).first->second;
  slot.stored = std::move(value);
  notify(root, key.path, valueName);
}

void SimRegistry::notify(Registry::Root root, const std::wstring& subKey,
                         const std::wstring& valueName) {
  // A copy: an observer may add or remove observers, or change values.
  const auto observers = observers_;
  for (const auto& entry : observers) entry.second(root, subKey, valueName);
}

bool SimRegistry::takeFault(int& count) {
  if (count == 0) return false;
  if (count > 0) --count;
  return true;
}
