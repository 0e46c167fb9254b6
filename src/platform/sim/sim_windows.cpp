#include "platform/sim/sim_windows.h"

#include <utility>

namespace {
// Spacing of successive handles; any non-zero step serves.
constexpr SimWindows::Handle handleStep = 0x10;
}  // namespace

SimWindows::Handle SimWindows::create(const std::wstring& className, const std::wstring& title) {
  const Handle handle = nextHandle_;
  nextHandle_ += handleStep;
  windows_[handle] = Window{className, title, {}};
  return handle;
}

bool SimWindows::destroy(Handle window) { return windows_.erase(window) != 0; }

bool SimWindows::exists(Handle window) const { return windows_.count(window) != 0; }

SimWindows::Handle SimWindows::find(const std::wstring& className,
                                    const std::wstring& title) const {
  // Handles grow with creation order, so the map's order is creation order.
  for (const auto& [handle, w] : windows_) {
    if (w.className == className && w.title == title) return handle;
  }
  return 0;
}

bool SimWindows::post(Handle window, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) {
    lastError_ = errorInvalidWindowHandle;
    return false;
  }
  it->second.queue.push_back(Message{message, wParam, lParam});
  return true;
}

std::vector<SimWindows::Message> SimWindows::messages(Handle window) const {
  const auto it = windows_.find(window);
  return it == windows_.end() ? std::vector<Message>() : it->second.queue;
}

std::vector<SimWindows::Message> SimWindows::takeMessages(Handle window) {
  const auto it = windows_.find(window);
  if (it == windows_.end()) return {};
  return std::exchange(it->second.queue, {});
}
