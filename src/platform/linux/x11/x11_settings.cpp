#include "platform/linux/x11/x11_settings.h"

#include <type_traits>

#include "app/app_settings.h"
#include "registry/registry_store.h"
#include "registry/wide_text.h"

namespace X11Settings {

namespace {

// The character's bits as an unsigned number.
std::uint32_t codeOf(wchar_t c) { return static_cast<std::make_unsigned_t<wchar_t>>(c); }

}  // namespace

std::vector<std::string> keyboardClasses(RegistryPort* registry) {
  std::vector<std::wstring> names;
  if (registry == nullptr ||
      !RegistryStore(*registry).ReadStringList(AppSettings::programRoot, AppSettings::programKey,
                                               keyboardWindows, names, true)) {
    return {"onboard", "matchbox-keyboard"};
  }
  std::vector<std::string> classes;
  classes.reserve(names.size());
  for (const std::wstring& name : names) classes.push_back(toUtf8(name));
  return classes;
}

std::string commandForKey(RegistryPort* registry, std::uint8_t virtualKey) {
  const wchar_t* name = nullptr;
  std::string fallback;
  switch (virtualKey) {
    case lockKey:
      name = lockCommand;
      fallback = defaultLockCommand;
      break;
    case startKey:
      name = startCommand;
      break;
    case phoneKey:
      name = phoneCommand;
      break;
    default:
      return std::string();
  }
  std::wstring command;
  if (registry == nullptr ||
      !RegistryStore(*registry).ReadString(AppSettings::programRoot, AppSettings::programKey, name,
                                           command, false)) {
    return fallback;
  }
  return toUtf8(command);
}

std::string toUtf8(const std::wstring& text) {
  std::string out;
  for (const wchar_t unit : text) {
    std::uint32_t c = codeOf(unit);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::wstring fromUtf8(const std::string& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t c = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      c = lead & 0x1Fu;
      least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      c = lead & 0x0Fu;
      least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      c = lead & 0x07u;
      least = 0x10000;
    }
    bool valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
      } else {
        c = (c << 6) | (next & 0x3Fu);
      }
    }
    if (valid && length > 1 && (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        i += length;
        continue;
      }
    }
    out += static_cast<wchar_t>(c);
    i += length;
  }
  return out;
}

std::wstring fromLatin1(const std::string& text) {
  std::wstring out;
  for (const char c : text) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

}  // namespace X11Settings
