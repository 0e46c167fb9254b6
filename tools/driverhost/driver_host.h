// A touch driver for desktop Windows, as the touch hook library expects one:
//
//   - it watches the switch "MultiTouchDemo" under HKEY_LOCAL_MACHINE
//     "HARDWARE\DEVICEMAP\TOUCH" on a thread of its own (creating the volatile
//     key, and the switch as 0, when they are missing); a non-zero switch loads the library, 0
//     unloads it, so a re-arm (0, then non-zero) attaches the library afresh;
//   - feed() runs one sample through gMultipointHook while the library is
//     loaded, and the caller passes the sample on as pointer input only when
//     the hook left its count non-zero. Without the library every sample
//     passes unchanged, as from a driver with no hook.
//
// The watcher sees a re-arm when it reads the switch as 0 between two
// non-zero readings; the main program keeps the switch at 0 for a second,
// far longer than the watcher needs to wake up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "hook/multipoint_sample.h"
#include "host_log.h"

class TouchDriverHost {
 public:
  // `windowTitle`: a top-level window that ready() waits for (empty: none).
  TouchDriverHost(std::wstring libraryPath, std::wstring windowTitle, HostLog& log);
  ~TouchDriverHost();  // stops watching and unloads the library
  TouchDriverHost(const TouchDriverHost&) = delete;
  TouchDriverHost& operator=(const TouchDriverHost&) = delete;

  // Opens (or creates) the driver's key, applies the switch and starts
  // watching it. False, with a line in the log, when the key cannot be opened.
  bool start();

  // The library is loaded and, when a window title was given, was loaded
  // while that window existed (so the library found the main window).
  bool ready();

  // One sample through the hook; the result is the sample as the hook left
  // it (unchanged when no library is loaded). Sets `hooked` accordingly.
  MultipointSample feed(const MultipointSample& sample, bool& hooked);

 private:
  using HookFunction = void (*)(MultipointSample*);

  void watch();
  void applySwitch();
  void load();
  void unload();
  bool windowExists() const;

  const std::wstring libraryPath_;
  const std::wstring windowTitle_;
  HostLog& log_;
  HKEY key_ = nullptr;
  HANDLE changed_ = nullptr;
  HANDLE stop_ = nullptr;
  std::thread watcher_;

  // Guards the library state: a hook call never overlaps an unload.
  std::mutex mutex_;
  HMODULE library_ = nullptr;
  HookFunction hook_ = nullptr;
  bool loadedWithWindow_ = false;

  // Last values seen by the watcher, for the log.
  bool seenAny_ = false;
  std::uint32_t lastSwitch_ = 0;
  std::wstring lastLockTouch_;
  bool lastLockTouchPresent_ = false;
};
