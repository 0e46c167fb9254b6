// RegistryStore's read of a string into a fixed buffer. A file of its own:
// the hook library compiles it without the C++ runtime, which the store's
// other operations need.
#include <cstddef>
#include <cstdint>

#include "registry/registry_store.h"

namespace {

// The same read limit as ReadString: 260 wide characters, terminator included.
constexpr std::uint32_t textReadBytes = 260 * 2;

}  // namespace

bool RegistryStore::ReadString(Registry::Root root, const wchar_t* subKey, const wchar_t* valueName,
                               wchar_t* text, std::size_t capacity) noexcept {
  if (text == nullptr || capacity == 0) return false;
  Registry::KeyHandle key = 0;
  if (!port_.openKeyNamed(root, subKey, key)) return false;
  std::uint8_t bytes[textReadBytes];
  std::uint32_t size = 0;
  bool read = port_.queryValueNamed(key, valueName, nullptr, nullptr, size);
  if (read) {
    size = textReadBytes;
    read = port_.queryValueNamed(key, valueName, nullptr, bytes, size);
  }
  port_.closeKey(key);
  if (!read) return false;

  // Up to the first NUL, never past the data returned nor past the buffer.
  const std::size_t units = (size < textReadBytes ? size : textReadBytes) / 2;
  std::size_t length = 0;
  while (length < units) {
    const auto unit = static_cast<wchar_t>(bytes[2 * length] | (bytes[2 * length + 1] << 8));
    if (unit == L'\0') break;
    if (length + 1 >= capacity) return false;  // no room for it and the terminator
    text[length++] = unit;
  }
  text[length] = L'\0';
  return true;
}
