// The simulated phone: one deterministic, single-threaded, in-process phone
// behind every port of the main program (platform()), with its touch driver
// hosting the hook library, a virtual clock with a scheduler of external
// events, and an event log of everything observable.
//
// At start the phone has the system's "Angle" = 0 under HKLM
// "System\GDI\Rotation", the touch driver's switch "MultiTouchDemo" = 1 under
// HKLM "HARDWARE\DEVICEMAP\TOUCH" (so the driver has the hook library loaded,
// without a main window to post to), and a running process for the program
// itself (the process of its own windows). SimPhoneConfig changes these.
//
// Texts of the event log (category "event" unless stated otherwise). They
// are matched exactly by scenarios; keep them stable.
//
// Every registry change, through the port or the conveniences (HKCU or HKLM,
// the key path as first created, the value name as written):
//   registry HKCU\Software\ZEM\ShowOverlay = 2000
//       a 32-bit value (type 4, 4 bytes), in decimal
//   registry HKLM\HARDWARE\DEVICEMAP\TOUCH\LockTouch = "0,0,480,800"
//       a string (type 1), up to its first NUL
//   registry HKCU\Software\ZEM\BlackListClose = ["\windows\a.exe", "b.exe"]
//       a string list (type 7)
//   registry HKCU\Software\ZEM\SwipeUp = <type 3, 6 bytes>
//       any other type or size
//   registry HKCU\Software\ZEM\SwipeUp deleted
// Keys, followed by " -> <title of the foreground window>" when there is one:
//   key down 38        key up 38        key down 8 scan 142
// Shell and windows:
//   launch "<file>" "<parameters>"      launch "<file>" failed
//   foreground "<title>"                whenever the front window changes
//   foreground none                     when no visible window is left
//   activate "<title>"
//   close request to "<title>"          then: "<title>" closes
//   message 0x0100 to "<title>"         any other message to another
//                                       application's window (category
//                                       "touch" for the two touch messages)
// Display, overlay, LEDs, touch driver:
//   display orientation 270
//   overlay shows picture 171 at (120,280)-(360,520)
//       plus " keyed" when black is transparent (source colour key)
//   overlay hidden
//   led 1 on           led 1 off        led 1 blink
//   touch driver loads Quillon          touch driver unloads Quillon
// The program's main thread and its message loop:
//   sleep 1000                          every sleep of the main thread
//   end of scenario                     the loop ran out of things to do
// Category "touch", one per panel sample, in the driver's quarter pixels:
//   touch 2 (400,800) (600,800) -> pen input
//   touch 1 (400,800) -> withheld
//   touch 0 -> withheld
// and one per message the hook library posts (wParam, lParam in hex; plus
// " (failed)" when the post failed):
//   hook posts touch 0x00C8812C 0x00C88064
//   hook posts touch end
// Category "debug": the debug output of the program and of the hook library,
// as written, without a trailing line break.
//
// Not logged: shell notifications being set up, the shell's start-up,
// activation and setting-change routines, messages to the program's own
// windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "hook/multipoint_sample.h"
#include "platform/sim/event_log.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_context.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_input.h"
#include "platform/sim/sim_overlay_device.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_touch_driver.h"
#include "platform/sim/sim_windows.h"
#include "ports/platform.h"

struct SimPhoneConfig {
  std::uint32_t ledCount = 2;
  SimOverlayDevice::Config overlay;
  std::optional<std::uint32_t> multiTouchDemo = 1;  // nothing: the value is absent
  std::optional<std::uint32_t> angle = 0;           // nothing: the value is absent
  std::wstring programExe = L"ZEM.exe";
  std::wstring programPath = L"\\Program Files\\ZEM\\ZEM.exe";
};

class SimPhone {
 public:
  SimPhone();
  explicit SimPhone(const SimPhoneConfig& config);
  ~SimPhone();

  SimPhone(const SimPhone&) = delete;
  SimPhone& operator=(const SimPhone&) = delete;

  Platform& platform() { return platform_; }

  SimClock& clock() { return context_.clock; }
  EventLog& log() { return context_.log; }
  SimFaults& faults() { return context_.faults; }
  SimContext& context() { return context_; }
  SimRegistry& registry() { return registry_; }
  SimWindows& windows() { return windows_; }
  SimProcesses& processes() { return processes_; }
  SimShell& shell() { return shell_; }
  SimInput& input() { return input_; }
  SimLeds& leds() { return leds_; }
  SimOverlayDevice& overlayDevice() { return overlay_; }
  SimDebug& debug() { return debug_; }
  SimTouchDriver& touchDriver() { return touchDriver_; }

  // The process of the program's own windows.
  std::uint32_t programProcessId() const { return programProcessId_; }

  // --- setting up a scenario ---
  // A program that the shell can start by this path.
  void addProgram(const std::wstring& path, const std::wstring& className,
                  const std::wstring& title);
  // A running application: its process and its top-level window.
  WindowHandle addApp(const std::wstring& exeFile, const std::wstring& modulePath,
                      const std::wstring& className, const std::wstring& title,
                      bool visible = true);
  bool setForeground(WindowHandle window);
  // Writes "Angle" (which notifies, and turns the screen size).
  void setAngle(std::uint32_t degrees);
  void setKeyboardShown(bool shown);
  // Posts Ctrl+Q (see SimWindows) to the window of class and title "ZEM".
  // False when there is none.
  bool pressCtrlQ();
  // One panel sample through the touch driver; true when it went on to pen
  // input.
  bool touch(const MultipointSample& sample);

 private:
  void logRegistryChange(Registry::Root root, const std::wstring& subKey,
                         const std::wstring& valueName);
  void turnScreen();
  SimTouchDriver::Events driverEvents();

  SimContext context_;
  SimRegistry registry_;
  SimProcesses processes_;
  SimWindows windows_;
  SimShell shell_;
  SimInput input_;
  SimLeds leds_;
  SimOverlayDevice overlay_;
  SimDebug debug_;
  std::uint32_t programProcessId_ = 0;
  std::size_t logObserver_ = 0;
  std::size_t screenObserver_ = 0;
  SimTouchDriver touchDriver_;  // after the observers above: it logs its first load
  Platform platform_;
};
