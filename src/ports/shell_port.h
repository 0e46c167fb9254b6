// The phone shell's services: its initialisation, activation and
// setting-change routines, registry-change notifications delivered as window
// messages, the on-screen keyboard state and the "open" execution of a
// program.
#pragma once

#include <cstdint>
#include <string>

#include "ports/registry_port.h"
#include "ports/window_port.h"

// The on-screen keyboard state record (48 bytes): size, then flags, whose
// bit 0 is set while the keyboard is shown.
struct SipInfo {
  std::uint32_t size = 0;
  std::uint32_t flags = 0;
  std::uint8_t rest[40] = {};
};
static_assert(sizeof(SipInfo) == 48, "the keyboard record is 48 bytes");

// The shell's activation record (12 bytes): its size first.
struct ShellActivationInfo {
  std::uint32_t size = 0;
  std::uint32_t reserved[2] = {};
};
static_assert(sizeof(ShellActivationInfo) == 12, "the activation record is 12 bytes");

struct ShellExecuteRequest {
  std::wstring verb;  // "open"
  std::wstring file;
  std::wstring parameters;
  std::int32_t showCommand = 5;  // show normally
};

class ShellPort {
 public:
  virtual ~ShellPort() = default;

  virtual void initialize() = 0;
  virtual void handleActivate(WindowHandle window, WParam wParam, LParam lParam,
                              ShellActivationInfo& info) = 0;
  virtual void handleSettingChange(WindowHandle window, WParam wParam, LParam lParam,
                                   ShellActivationInfo& info) = 0;

  // Every later change of the value posts `message` to `window` with
  // `userData` in lParam. False when the notification cannot be set up.
  virtual bool notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                                    const std::wstring& valueName, WindowHandle window,
                                    std::uint32_t message, std::uint32_t userData) = 0;

  // Fills the record (whose size field the caller set); false on failure.
  virtual bool querySip(SipInfo& info) = 0;

  // True when the program (or document) was started.
  virtual bool execute(const ShellExecuteRequest& request) = 0;
};
