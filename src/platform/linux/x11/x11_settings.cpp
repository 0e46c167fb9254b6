#include "platform/linux/x11/x11_settings.h"

#include "app/app_settings.h"
#include "registry/registry_store.h"
#include "text/utf8.h"

namespace X11Settings {

std::vector<std::string> keyboardClasses(RegistryPort* registry) {
  std::vector<std::wstring> names;
  if (registry == nullptr ||
      !RegistryStore(*registry).ReadStringList(AppSettings::programRoot, AppSettings::programKey,
                                               keyboardWindows, names, true)) {
    return {"onboard", "matchbox-keyboard"};
  }
  std::vector<std::string> classes;
  classes.reserve(names.size());
  for (const std::wstring& name : names) classes.push_back(Text::toUtf8(name));
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
  return Text::toUtf8(command);
}

std::wstring fromLatin1(const std::string& text) {
  std::wstring out;
  for (const char c : text) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

}  // namespace X11Settings
