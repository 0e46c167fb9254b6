#include "driver_host.h"

#include <string>
#include <utility>
#include <vector>

#include "ports/shared_registry.h"
#include "text/utf8.h"

namespace {

std::string describeError(DWORD code) { return "error " + std::to_string(code); }

// The switch as a 32-bit number; a missing or malformed value is off.
std::uint32_t readSwitch(HKEY key) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExW(key, TouchDriverRegistry::multiTouchDemo, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      size != sizeof(value)) {
    return 0;
  }
  return value;
}

bool readText(HKEY key, const wchar_t* name, std::wstring& text) {
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                       &bytes) != ERROR_SUCCESS) {
    return false;
  }
  buffer.resize(bytes / sizeof(wchar_t));
  while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
  text.assign(buffer.begin(), buffer.end());
  return true;
}

}  // namespace

TouchDriverHost::TouchDriverHost(std::wstring libraryPath, std::wstring windowTitle, HostLog& log)
    : libraryPath_(std::move(libraryPath)), windowTitle_(std::move(windowTitle)), log_(log) {}

TouchDriverHost::~TouchDriverHost() {
  if (watcher_.joinable()) {
    SetEvent(stop_);
    watcher_.join();
  }
  unload();
  if (key_ != nullptr) RegCloseKey(key_);
  if (changed_ != nullptr) CloseHandle(changed_);
  if (stop_ != nullptr) CloseHandle(stop_);
}

bool TouchDriverHost::start() {
  // HARDWARE is volatile: keys below it can only be created volatile.
  const LONG status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, TouchDriverRegistry::key, 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_NOTIFY, nullptr, &key_, nullptr);
  if (status != ERROR_SUCCESS) {
    key_ = nullptr;
    log_.line("cannot open HKLM\\" + Text::toUtf8(TouchDriverRegistry::key) + ": " +
              describeError(static_cast<DWORD>(status)));
    return false;
  }
  // The switch belongs to the driver: it exists, off, from the driver's start
  // (the main program only changes a switch that exists).
  if (RegQueryValueExW(key_, TouchDriverRegistry::multiTouchDemo, nullptr, nullptr, nullptr,
                       nullptr) == ERROR_FILE_NOT_FOUND) {
    const DWORD off = 0;
    if (RegSetValueExW(key_, TouchDriverRegistry::multiTouchDemo, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&off), sizeof(off)) != ERROR_SUCCESS) {
      log_.line("cannot create the switch");
    }
  }
  changed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (changed_ == nullptr || stop_ == nullptr) {
    log_.line("cannot create events: " + describeError(GetLastError()));
    return false;
  }
  // Armed before the first reading, so no change can slip between the two.
  if (RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_, TRUE) !=
      ERROR_SUCCESS) {
    log_.line("cannot watch the touch key");
    return false;
  }
  applySwitch();
  watcher_ = std::thread([this] { watch(); });
  return true;
}

void TouchDriverHost::watch() {
  const HANDLE events[] = {stop_, changed_};
  for (;;) {
    const DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0 + 1) return;  // stop, or the wait failed
    if (RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_, TRUE) !=
        ERROR_SUCCESS) {
      log_.line("cannot watch the touch key any longer");
      return;
    }
    applySwitch();
  }
}

void TouchDriverHost::applySwitch() {
  const std::uint32_t value = readSwitch(key_);
  std::wstring lockTouch;
  const bool lockTouchPresent = readText(key_, TouchDriverRegistry::lockTouch, lockTouch);
  if (!seenAny_ || value != lastSwitch_) log_.line("switch " + std::to_string(value));
  if (!seenAny_ || lockTouchPresent != lastLockTouchPresent_ || lockTouch != lastLockTouch_) {
    log_.line(lockTouchPresent ? "LockTouch \"" + Text::toUtf8(lockTouch) + "\""
                               : "LockTouch missing");
  }
  seenAny_ = true;
  lastSwitch_ = value;
  lastLockTouch_ = lockTouch;
  lastLockTouchPresent_ = lockTouchPresent;

  if (value != 0) {
    load();
  } else {
    unload();
  }
}

bool TouchDriverHost::windowExists() const {
  return !windowTitle_.empty() && FindWindowW(nullptr, windowTitle_.c_str()) != nullptr;
}

void TouchDriverHost::load() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (library_ != nullptr) return;
  const bool withWindow = windowExists();
  const HMODULE library = LoadLibraryW(libraryPath_.c_str());
  if (library == nullptr) {
    log_.line("cannot load " + Text::toUtf8(libraryPath_) + ": " + describeError(GetLastError()));
    return;
  }
  const auto hook = reinterpret_cast<HookFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "gMultipointHook")));
  if (hook == nullptr) {
    log_.line("no gMultipointHook in " + Text::toUtf8(libraryPath_));
    FreeLibrary(library);
    return;
  }
  library_ = library;
  hook_ = hook;
  loadedWithWindow_ = withWindow;
  log_.line("loaded " + Text::toUtf8(libraryPath_) +
            (windowTitle_.empty() ? ""
             : withWindow         ? " (window \"" + Text::toUtf8(windowTitle_) + "\" present)"
                                  : " (no window \"" + Text::toUtf8(windowTitle_) + "\")"));
}

void TouchDriverHost::unload() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (library_ == nullptr) return;
  FreeLibrary(library_);
  library_ = nullptr;
  hook_ = nullptr;
  loadedWithWindow_ = false;
  log_.line("unloaded");
}

bool TouchDriverHost::ready() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return library_ != nullptr && (windowTitle_.empty() || loadedWithWindow_);
}

MultipointSample TouchDriverHost::feed(const MultipointSample& sample, bool& hooked) {
  MultipointSample result = sample;
  const std::lock_guard<std::mutex> lock(mutex_);
  hooked = hook_ != nullptr;
  if (hooked) hook_(&result);
  return result;
}
