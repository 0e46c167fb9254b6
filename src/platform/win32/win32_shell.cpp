#include "platform/win32/win32_shell.h"

#include <objbase.h>
#include <shellapi.h>

#include <cstdint>
#include <future>
#include <system_error>
#include <utility>

namespace {

constexpr DWORD retryMs = 1000;  // after the key could not be watched
constexpr const wchar_t* touchKeyboardClass = L"IPTip_Main_Window";

// A value as last seen: absent, or its type and bytes.
struct ValueState {
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> bytes;

  friend bool operator==(const ValueState& a, const ValueState& b) {
    return a.present == b.present && a.type == b.type && a.bytes == b.bytes;
  }
  friend bool operator!=(const ValueState& a, const ValueState& b) { return !(a == b); }
};

ValueState readValue(HKEY key, const std::wstring& name) {
  ValueState state;
  DWORD size = 0;
  LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &state.type, nullptr, &size);
  // The value may grow between the two calls.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    state.bytes.resize(size);
    status = RegQueryValueExW(key, name.c_str(), nullptr, &state.type,
                              state.bytes.empty() ? nullptr : state.bytes.data(), &size);
    if (status == ERROR_SUCCESS) {
      state.bytes.resize(size);
      state.present = true;
      return state;
    }
  }
  return ValueState{};
}

struct Watch {
  Registry::Root root = 0;
  std::wstring subKey;
  std::wstring valueName;
  HWND window = nullptr;
  UINT message = 0;
  LPARAM userData = 0;
};

class Watcher {
 public:
  Watcher(Watch watch, Win32Registry& registry, HANDLE stop)
      : watch_(std::move(watch)), registry_(registry), stop_(stop) {}
  ~Watcher() { closeKey(); }

  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  // Tells through `live` whether the watch could be set up, then watches
  // until the stop event is set.
  void run(std::promise<bool>& live) {
    if (!openAndArm()) {
      live.set_value(false);
      return;
    }
    last_ = readValue(key_, watch_.valueName);
    live.set_value(true);

    const HANDLE events[] = {stop_, changed_.get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
      // Armed again before reading, so a change right after the read is seen.
      const bool armed = arm() || openAndArm();
      ValueState now = key_ != nullptr ? readValue(key_, watch_.valueName) : ValueState{};
      if (now != last_) {
        last_ = std::move(now);
        PostMessageW(watch_.window, watch_.message, 0, watch_.userData);
      }
      if (!armed) {
        // Try again later (until then nothing signals the event).
        if (WaitForSingleObject(stop_, retryMs) == WAIT_OBJECT_0) break;
        SetEvent(changed_.get());
      }
    }
  }

 private:
  bool arm() {
    return key_ != nullptr && RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET,
                                                      changed_.get(), TRUE) == ERROR_SUCCESS;
  }

  // (Re)opens the key, creating it when missing, for example after the
  // key itself was deleted.
  bool openAndArm() {
    closeKey();
    if (!changed_) changed_ = UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Registry::KeyHandle key = 0;
    if (!changed_ || !registry_.openKey(watch_.root, watch_.subKey, key)) return false;
    key_ = reinterpret_cast<HKEY>(key);
    return arm();
  }

  void closeKey() {
    if (key_ != nullptr) RegCloseKey(std::exchange(key_, nullptr));
  }

  Watch watch_;
  Win32Registry& registry_;
  HANDLE stop_;
  UniqueHandle changed_;  // auto-reset
  HKEY key_ = nullptr;
  ValueState last_;
};

// The shell may hand the execution to extensions that need COM on the
// calling thread; it stays initialised for the thread's life.
void initializeComOnce() {
  thread_local const HRESULT initialized =
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  static_cast<void>(initialized);
}

}  // namespace

Win32Shell::Win32Shell() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Win32Shell::~Win32Shell() {
  if (stop_) SetEvent(stop_.get());
  for (std::thread& watcher : watchers_) watcher.join();
}

bool Win32Shell::notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                                      const std::wstring& valueName, WindowHandle window,
                                      std::uint32_t message, std::uint32_t userData) {
  if (!stop_) return false;
  Watch watch{root,      subKey,
              valueName, reinterpret_cast<HWND>(window),
              message,   static_cast<LPARAM>(userData)};
  std::promise<bool> live;
  std::future<bool> result = live.get_future();
  std::thread worker;
  try {
    worker = std::thread([this, watch = std::move(watch), live = std::move(live)]() mutable {
      try {
        Watcher watcher(std::move(watch), registry_, stop_.get());
        watcher.run(live);
      } catch (...) {
        // The watch ends. Unless it was live already, the caller learns it
        // from the promise, which breaks when it goes unset.
      }
    });
  } catch (const std::system_error&) {
    return false;  // no thread to watch with
  }
  bool watching = false;
  try {
    watching = result.get();
  } catch (const std::future_error&) {
    watching = false;
  }
  if (!watching) {
    worker.join();
    return false;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  watchers_.push_back(std::move(worker));
  return true;
}

bool Win32Shell::querySip(SipInfo& info) {
  if (info.size != sizeof(SipInfo)) return false;
  const HWND keyboard = FindWindowW(touchKeyboardClass, nullptr);
  const auto style =
      keyboard != nullptr ? static_cast<DWORD>(GetWindowLongW(keyboard, GWL_STYLE)) : 0;
  const bool shown = keyboard != nullptr && IsWindowVisible(keyboard) != FALSE &&
                     (style & static_cast<DWORD>(WS_DISABLED)) == 0;
  info.flags = shown ? 1u : 0u;
  return true;
}

bool Win32Shell::execute(const ShellExecuteRequest& request) {
  if (request.file.empty()) return false;
  initializeComOnce();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error dialog: the program runs unseen and nobody would answer it.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = request.verb.empty() ? nullptr : request.verb.c_str();
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters.empty() ? nullptr : request.parameters.c_str();
  info.nShow = request.showCommand;
  return ShellExecuteExW(&info) != FALSE;
}
