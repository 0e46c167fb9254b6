// What the Linux program needs of a window system: the other applications'
// top-level windows (the second half of the window port), messages to them,
// key injection, the display's rotation, the on-screen keyboard's state and a
// place to show pictures.
//
// Lifecycle: the program creates one desktop before its message loop starts.
// The loop watches eventFd() (when it is not -1) and calls processEvents()
// whenever it becomes readable, on the loop's thread; every other call also
// comes from that thread. Without a window system the program uses
// NullDesktop: every query answers "nothing there" and every action fails,
// and the program says once that the command is unavailable.
//
// Window handles are the desktop's own numbers (an X11 window id, say); the
// program's own hidden windows use handles from a range the desktop never
// returns (see LinuxWindowPort), so the two never meet.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ports/input_port.h"
#include "ports/overlay_device_port.h"
#include "ports/window_port.h"

class Desktop {
 public:
  virtual ~Desktop() = default;

  // A short name for log lines ("X11 :0", "none").
  virtual std::string name() const = 0;

  // --- events ---
  // A descriptor that becomes readable when processEvents() has work, or -1.
  virtual int eventFd() const = 0;
  virtual void processEvents() = 0;

  // --- the other applications' top-level windows ---
  virtual WindowHandle findWindow(const std::wstring& className, const std::wstring& title) = 0;
  virtual WindowHandle findWindowByTitle(const std::wstring& title) = 0;
  virtual WindowHandle foregroundWindow() = 0;
  virtual bool setForegroundWindow(WindowHandle window) = 0;
  virtual bool activateWindow(WindowHandle window) = 0;
  virtual bool windowProcessId(WindowHandle window, std::uint32_t& processId) = 0;
  virtual bool isWindowVisible(WindowHandle window) = 0;
  virtual std::wstring windowText(WindowHandle window, std::size_t maxChars) = 0;
  // Top-level application windows in z-order, top first.
  virtual bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) = 0;
  // A message posted to another application's window: the close message asks
  // the window to close (the window manager's polite close); others are
  // dropped. False when the window does not exist or the request failed.
  virtual bool postToWindow(WindowHandle window, std::uint32_t message, WParam wParam,
                            LParam lParam) = 0;
  // Shows the desktop (the "home" command); false when there is none.
  virtual bool showDesktop() = 0;

  // --- input and display ---
  // Keys for the front application. False when this desktop cannot inject
  // keys (the program then uses its virtual keyboard device).
  virtual bool keyEvent(std::uint8_t virtualKey, bool down) = 0;
  // The platform's result code: 0 when the rotation was made.
  virtual std::int32_t changeOrientation(const OrientationRequest& request) = 0;
  // True while an on-screen keyboard is shown.
  virtual bool onScreenKeyboardShown() = 0;

  // The overlay device that shows pictures on this desktop.
  virtual OverlayDevicePort& overlayDevice() = 0;
};
