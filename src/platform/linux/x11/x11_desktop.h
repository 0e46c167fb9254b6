// The desktop of an X server, through xcb: the other applications' windows
// as the window manager (EWMH) lists them, keys through XTest, pictures in
// an override-redirect window (X11OverlayDevice), rotation with RandR and
// the on-screen keyboard's window.
//
// Lifecycle: open() connects (nothing when no X server answers); the
// program watches eventFd() and calls processEvents(), which follows
// rotations into "Angle", keeps a shown picture on top and reaps the
// commands it started. When the server goes away every query answers
// "nothing there", every action fails, and this is said once. Without a
// window manager, or when it goes away, the windows are found and handled
// through the X server alone (the top-level windows, the input focus, the
// close protocol), and this is said once too.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/desktop.h"
#include "platform/linux/x11/x11_keys.h"
#include "platform/linux/x11/x11_overlay_device.h"

class RegistryPort;

class X11Desktop final : public Desktop {
 public:
  using Log = std::function<void(const std::string&)>;

  // Connects to `display` (empty: $DISPLAY). Null, with the reason in
  // `error`, when no X server answers. `registry` holds the settings (see
  // x11_settings.h) and receives "Angle"; it may be null (defaults, no
  // angle). `log` receives the one-time notes (default: standard error).
  static std::unique_ptr<X11Desktop> open(const std::string& display, RegistryPort* registry,
                                          std::string& error, Log log = nullptr);
  ~X11Desktop() override;
  X11Desktop(const X11Desktop&) = delete;
  X11Desktop& operator=(const X11Desktop&) = delete;

  std::string name() const override;
  int eventFd() const override;
  void processEvents() override;

  WindowHandle findWindow(const std::wstring& className, const std::wstring& title) override;
  WindowHandle findWindowByTitle(const std::wstring& title) override;
  WindowHandle foregroundWindow() override;
  bool setForegroundWindow(WindowHandle window) override;
  bool activateWindow(WindowHandle window) override;
  bool windowProcessId(WindowHandle window, std::uint32_t& processId) override;
  bool isWindowVisible(WindowHandle window) override;
  std::wstring windowText(WindowHandle window, std::size_t maxChars) override;
  bool enumerateWindows(const std::function<bool(WindowHandle)>& visit) override;
  bool postToWindow(WindowHandle window, std::uint32_t message, WParam wParam,
                    LParam lParam) override;
  bool showDesktop() override;

  bool keyEvent(std::uint8_t virtualKey, bool down) override;
  std::int32_t changeOrientation(const OrientationRequest& request) override;
  bool onScreenKeyboardShown() override;

  OverlayDevicePort& overlayDevice() override { return overlay_; }
  X11OverlayDevice& x11Overlay() { return overlay_; }

  // The screen's rotation in degrees (0, 90, 180, 270), -1 when unknown.
  std::int32_t rotationDegrees();
  bool connected() const { return connection_ != nullptr; }

 private:
  X11Desktop(xcb_connection_t* connection, int screenNumber, std::string display,
             RegistryPort* registry, Log log);

  // Handles what is pending at the end of every call.
  struct Drain {
    X11Desktop& desktop;
    ~Drain();
  };

  bool alive();
  void handleEvents(bool readSocket);
  bool windowManagerPresent();
  bool showingDesktopSupported();
  std::vector<xcb_window_t> clientWindows();    // top first
  std::vector<xcb_window_t> serverTopLevels();  // without a window manager, top first
  bool isApplicationWindow(xcb_window_t window);
  bool windowExists(xcb_window_t window);
  bool windowClass(xcb_window_t window, std::string& instance, std::string& className);
  std::wstring title(xcb_window_t window);
  xcb_window_t topLevelOf(xcb_window_t window);
  bool sendDeleteWindow(xcb_window_t window);
  bool hasKeyboardClass(xcb_window_t window, const std::vector<std::string>& classes);
  void loadKeyboardMap();
  bool pressKey(std::uint32_t keysym, bool down);
  void followRotation(std::uint16_t rotation);
  void runCommand(const std::string& command);
  void reapCommands();
  void lost();

  xcb_connection_t* connection_;
  xcb_screen_t* screen_;
  xcb_ewmh_connection_t ewmh_{};
  int screenNumber_;
  std::string display_;
  RegistryPort* registry_;
  Log log_;
  X11OverlayDevice overlay_;
  xcb_atom_t deleteWindowAtom_ = XCB_ATOM_NONE;
  std::uint8_t randrEventBase_ = 0;
  bool randr_ = false;
  bool xtest_ = false;
  X11Keys::KeyboardMap keyboard_;
  std::vector<std::pair<std::uint32_t, std::uint8_t>> boundKeysyms_;  // on spare keycodes
  std::int32_t lastAngle_ = -1;
  bool saidNoWindowManager_ = false;
  std::vector<int> commands_;  // started and not yet reaped
};
