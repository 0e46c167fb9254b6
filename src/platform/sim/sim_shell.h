// The simulated phone's shell: its start-up, activation and setting-change
// routines (counted, nothing else), registry-change notifications, the
// on-screen keyboard state and the "open" execution of programs.
//
// A notification posts its message, with the user data in lParam, to its
// window after every change of exactly that root, key and value (names
// compared as the registry compares them). Notifications last as long as
// the shell.
//
// Only registered programs (addProgram) can be started, by their path
// (compared without regard to case) with the verb "open" or none. Starting
// one makes a process (executable name = the path's last component) with a
// visible window of the program's class and title and brings it to the
// front; every launch starts a new process.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim_context.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "ports/shell_port.h"

class SimShell : public ShellPort {
 public:
  SimShell(SimContext& context, SimRegistry& registry, SimWindows& windows, SimProcesses& processes)
      : context_(context), registry_(registry), windows_(windows), processes_(processes) {}
  ~SimShell() override;

  SimShell(const SimShell&) = delete;
  SimShell& operator=(const SimShell&) = delete;

  void addProgram(const std::wstring& path, const std::wstring& className,
                  const std::wstring& title);
  void setKeyboardShown(bool shown) { keyboardShown_ = shown; }
  bool keyboardShown() const { return keyboardShown_; }

  std::size_t initializeCount() const { return initializeCount_; }
  std::size_t activateCount() const { return activateCount_; }
  std::size_t settingChangeCount() const { return settingChangeCount_; }
  std::size_t notificationCount() const { return observers_.size(); }

  // --- ShellPort ---
  void initialize() override { ++initializeCount_; }
  void handleActivate(WindowHandle, WParam, LParam, ShellActivationInfo&) override {
    ++activateCount_;
  }
  void handleSettingChange(WindowHandle, WParam, LParam, ShellActivationInfo&) override {
    ++settingChangeCount_;
  }
  bool notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                            const std::wstring& valueName, WindowHandle window,
                            std::uint32_t message, std::uint32_t userData) override;
  // Fails unless the record's size field is 48, as the platform's does.
  bool querySip(SipInfo& info) override;
  bool execute(const ShellExecuteRequest& request) override;

 private:
  struct Program {
    std::wstring path;
    std::wstring className;
    std::wstring title;
  };

  SimContext& context_;
  SimRegistry& registry_;
  SimWindows& windows_;
  SimProcesses& processes_;
  std::map<std::wstring, Program> programs_;  // by lower-cased path
  std::vector<std::size_t> observers_;
  bool keyboardShown_ = false;
  std::size_t initializeCount_ = 0;
  std::size_t activateCount_ = 0;
  std::size_t settingChangeCount_ = 0;
};
