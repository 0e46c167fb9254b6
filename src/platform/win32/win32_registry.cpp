#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

HKEY toHkey(Registry::KeyHandle key) { return reinterpret_cast<HKEY>(key); }

bool isStringType(Registry::ValueType type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

bool Win32Registry::openKey(Registry::Root root, const std::wstring& subKey,
                            Registry::KeyHandle& key) {
  return openWin32RegistryKey(root, subKey.c_str(), key);
}

bool Win32Registry::queryValue(Registry::KeyHandle key, const std::wstring& valueName,
                               Registry::ValueType* type, std::uint8_t* data, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD byteCount = size;
  if (data == nullptr) {
    if (RegQueryValueExW(toHkey(key), valueName.c_str(), nullptr, &valueType, nullptr,
                         &byteCount) != ERROR_SUCCESS) {
      return false;
    }
  } else {
    // The API leaves the buffer undefined when the value does not fit; a
    // scratch buffer keeps the caller's untouched then.
    std::vector<BYTE> scratch(std::max<DWORD>(byteCount, 1));
    const LONG status = RegQueryValueExW(toHkey(key), valueName.c_str(), nullptr, &valueType,
                                         scratch.data(), &byteCount);
    if (status != ERROR_SUCCESS) {
      if (status == ERROR_MORE_DATA) size = byteCount;
      return false;
    }
    std::copy(scratch.begin(), scratch.begin() + byteCount, data);
  }
  size = byteCount;
  if (type != nullptr) *type = valueType;
  return true;
}

bool Win32Registry::setValue(Registry::KeyHandle key, const std::wstring& valueName,
                             Registry::ValueType type, const std::uint8_t* data,
                             std::uint32_t size) {
  if (data == nullptr && size != 0) return false;
  // For string types the API reads the last counted character (for a 1-byte
  // count, the one before the data) and the character after the data, and
  // adds a terminator to the count when the latter is NUL. Non-NUL padding
  // on both sides keeps the byte count exact and the API inside the buffer.
  constexpr std::size_t pad = 2;
  std::vector<BYTE> padded(pad + size + pad, 0xFF);
  std::copy(data, data + size, padded.begin() + pad);
  const BYTE* bytes = isStringType(type) ? padded.data() + pad : data;
  if (bytes == nullptr) bytes = padded.data();  // an empty value
  return RegSetValueExW(toHkey(key), valueName.c_str(), 0, type, bytes, size) == ERROR_SUCCESS;
}

void Win32Registry::closeKey(Registry::KeyHandle key) {
  if (key != 0) RegCloseKey(toHkey(key));
}
