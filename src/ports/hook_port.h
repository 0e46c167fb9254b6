// What the hook library needs of the platform besides the registry: find the
// main window once at load time, post to it without waiting, the calling
// thread's last error code, and the system debug output.
//
// The hook path calls postMessage, lastError and debugOutput for every change
// of finger position, so adapters must not allocate, lock or wait there
// beyond what the platform's own calls do.
#pragma once

#include <cstdint>

// Codes of lastError() (the Windows codes, which every adapter reports).
inline constexpr std::uint32_t errorInvalidWindowHandle = 1400;  // the window no longer exists
inline constexpr std::uint32_t errorNotEnoughQuota = 1816;       // the window's queue is full

class HookPort {
 public:
  using WindowHandle = std::uintptr_t;  // 0 is never a window
  using WParam = std::uintptr_t;
  using LParam = std::intptr_t;

  virtual ~HookPort() = default;

  // The top-level window with exactly this class name and title, or 0.
  virtual WindowHandle findWindow(const wchar_t* className, const wchar_t* title) = 0;

  // Queues the message for the window's thread and returns at once. False
  // when the platform reports failure (a zero result); lastError() then tells
  // why.
  virtual bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                           LParam lParam) = 0;

  // The error of the last failed post. errorInvalidWindowHandle means the
  // window no longer exists: the hook library then posts nothing more while
  // it stays loaded. Other codes (such as errorNotEnoughQuota) leave it
  // posting.
  virtual std::uint32_t lastError() = 0;

  // One line of text, NUL-terminated, written as it stands (no newline added).
  virtual void debugOutput(const wchar_t* text) = 0;
};
