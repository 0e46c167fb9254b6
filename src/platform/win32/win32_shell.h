// The shell port on desktop Windows.
//
// The phone shell's initialisation, activation and setting-change routines
// have no counterpart here and do nothing.
//
// Registry-change notifications: each registration gets a worker thread that
// watches its key with RegNotifyChangeKeyValue (a value of the key was set or
// deleted) and compares the watched value's type and bytes with the last
// ones seen; only when they differ (the value changed, appeared or went) does
// it post the message to the window, with the user data in lParam and 0 in
// wParam. The key is opened as Win32Registry opens keys (created when
// missing); if the key itself is deleted it is created again. Registration
// returns once the watch is live, so no later change is missed. The workers
// end with the adapter.
//
// The on-screen keyboard: desktop Windows has none of the phone's kind; the
// touch keyboard counts as shown while its window (class "IPTip_Main_Window")
// is visible and enabled.
//
// Execution: ShellExecuteExW with the request's verb, file, parameters and
// show command. Failures stay silent (no error dialog), as everything in the
// program does; an empty file name names nothing and fails.
#pragma once

#include <windows.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_registry.h"
#include "ports/shell_port.h"

class Win32Shell final : public ShellPort {
 public:
  Win32Shell();
  ~Win32Shell() override;

  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  void initialize() override {}
  void handleActivate(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}
  void handleSettingChange(WindowHandle, WParam, LParam, ShellActivationInfo&) override {}

  bool notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                            const std::wstring& valueName, WindowHandle window,
                            std::uint32_t message, std::uint32_t userData) override;
  // Fails unless the record's size field is 48, as the phone's does.
  bool querySip(SipInfo& info) override;
  bool execute(const ShellExecuteRequest& request) override;

 private:
  Win32Registry registry_;
  UniqueHandle stop_;  // manual-reset: set when the workers are to end
  std::mutex mutex_;
  std::vector<std::thread> watchers_;
};
