// The simulated phone's top-level windows: a handle, a class name and a title
// each, and a queue of the messages posted to it. Windows are found by exact
// class name and title. Posting to a window that does not exist (never
// created, or destroyed) fails with ERROR_INVALID_WINDOW_HANDLE as the
// calling thread's last error; a successful post leaves the last error as it
// was, as on the real platform.
//
// Handles count up and are never reused, so a destroyed window's handle stays
// invalid. Single-threaded, like the rest of the simulated phone.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SimWindows {
 public:
  using Handle = std::uintptr_t;  // 0 is never a window

  static constexpr std::uint32_t errorInvalidWindowHandle = 1400;

  struct Message {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;

    friend bool operator==(const Message& a, const Message& b) {
      return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
    }
  };

  Handle create(const std::wstring& className, const std::wstring& title);
  // False when there is no such window.
  bool destroy(Handle window);
  bool exists(Handle window) const;

  // The first window created of those with this class name and title, or 0.
  Handle find(const std::wstring& className, const std::wstring& title) const;

  bool post(Handle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  // The messages posted to a window and not yet taken, oldest first; empty
  // for a window that does not exist.
  std::vector<Message> messages(Handle window) const;
  std::vector<Message> takeMessages(Handle window);

  std::uint32_t lastError() const { return lastError_; }
  void setLastError(std::uint32_t error) { lastError_ = error; }

 private:
  struct Window {
    std::wstring className;
    std::wstring title;
    std::vector<Message> queue;
  };

  std::map<Handle, Window> windows_;  // live windows only
  Handle nextHandle_ = 0x10010;
  std::uint32_t lastError_ = 0;
};
