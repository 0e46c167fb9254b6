#include "registry/registry_store.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "text/lower_case.h"
#include "text/utf16.h"

namespace {

// The read buffer of ReadString: 260 wide characters, terminator included.
constexpr std::uint32_t stringReadBytes = 260 * 2;

// Step 1 and 3 of every operation: the sub-key is opened (created when
// missing) on construction and closed on destruction whenever it was opened.
class OpenedKey {
 public:
  OpenedKey(RegistryPort& port, Registry::Root root, const std::wstring& subKey) : port_(port) {
    opened_ = port_.openKey(root, subKey, handle_);
  }
  ~OpenedKey() {
    if (opened_) port_.closeKey(handle_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  explicit operator bool() const { return opened_; }
  Registry::KeyHandle handle() const { return handle_; }

 private:
  RegistryPort& port_;
  Registry::KeyHandle handle_ = 0;
  bool opened_ = false;
};

}  // namespace

bool RegistryStore::ReadDword(Registry::Root root, const std::wstring& subKey,
                              const std::wstring& valueName, std::uint32_t& value) {
  const OpenedKey key(port_, root, subKey);
  if (!key) return false;
  // Any value of at most 4 bytes is taken as raw little-endian bytes; a
  // shorter one fills the low bytes and the rest are zero.
  std::uint8_t bytes[4] = {};
  std::uint32_t size = sizeof bytes;
  if (!port_.queryValue(key.handle(), valueName, nullptr, bytes, size)) return false;
  value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
          (static_cast<std::uint32_t>(bytes[2]) << 16) |
          (static_cast<std::uint32_t>(bytes[3]) << 24);
  return true;
}

bool RegistryStore::WriteDword(Registry::Root root, const std::wstring& subKey,
                               const std::wstring& valueName, std::uint32_t value) {
  const OpenedKey key(port_, root, subKey);
  if (!key) return false;
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
      static_cast<std::uint8_t>((value >> 16) & 0xFF), static_cast<std::uint8_t>(value >> 24)};
  return port_.setValue(key.handle(), valueName, Registry::typeDword, bytes, sizeof bytes);
}

bool RegistryStore::ReadString(Registry::Root root, const std::wstring& subKey,
                               const std::wstring& valueName, std::wstring& value, bool lowerCase) {
  const OpenedKey key(port_, root, subKey);
  if (!key) return false;
  std::uint32_t size = 0;
  if (!port_.queryValue(key.handle(), valueName, nullptr, nullptr, size)) return false;
  // A value larger than the buffer fails here: a cut text would be wrong data.
  std::uint8_t buffer[stringReadBytes];
  size = stringReadBytes;
  if (!port_.queryValue(key.handle(), valueName, nullptr, buffer, size)) return false;
  size = std::min(size, stringReadBytes);
  const std::size_t units = Text::unitsBeforeNul(buffer, size);
  value = Text::fromUtf16Bytes(buffer, 2 * units);
  if (lowerCase) value = Text::lowerCased(std::move(value));
  return true;
}

bool RegistryStore::WriteString(Registry::Root root, const std::wstring& subKey,
                                const std::wstring& valueName, const std::wstring& value) {
  const std::vector<std::uint8_t> bytes = Text::toUtf16Bytes(value);
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return false;
  const OpenedKey key(port_, root, subKey);
  if (!key) return false;
  return port_.setValue(key.handle(), valueName, Registry::typeString, bytes.data(),
                        static_cast<std::uint32_t>(bytes.size()));
}

bool RegistryStore::ReadStringList(Registry::Root root, const std::wstring& subKey,
                                   const std::wstring& valueName, std::vector<std::wstring>& values,
                                   bool lowerCase) {
  const OpenedKey key(port_, root, subKey);
  if (!key) return false;
  std::uint32_t size = 0;
  if (!port_.queryValue(key.handle(), valueName, nullptr, nullptr, size)) return false;
  if (size == 0) return true;  // no data: an empty list
  std::vector<std::uint8_t> buffer(size);
  if (!port_.queryValue(key.handle(), valueName, nullptr, buffer.data(), size)) return false;
  size = std::min(size, static_cast<std::uint32_t>(buffer.size()));

  // Entries end at a NUL or, for a list without its final terminator, at the
  // end of the data; the first empty entry ends the list.
  const std::size_t units = size / 2;
  std::size_t position = 0;
  while (position < units) {
    const std::uint8_t* entry = buffer.data() + 2 * position;
    const std::size_t length = Text::unitsBeforeNul(entry, 2 * (units - position));
    if (length == 0) break;
    std::wstring text = Text::fromUtf16Bytes(entry, 2 * length);
    values.push_back(lowerCase ? Text::lowerCased(std::move(text)) : std::move(text));
    position += length + 1;
  }
  return true;
}
