// The hook library's platform port on the simulated phone: windows and posts
// go to SimWindows, debug output is kept as a list of lines.
#pragma once

#include <string>
#include <vector>

#include "platform/hook_port.h"
#include "platform/sim/sim_windows.h"

class SimHookPort : public HookPort {
 public:
  explicit SimHookPort(SimWindows& windows) : windows_(windows) {}

  WindowHandle findWindow(const wchar_t* className, const wchar_t* title) override;
  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  std::uint32_t lastError() override;
  void debugOutput(const wchar_t* text) override;

  const std::vector<std::wstring>& debugLines() const { return debugLines_; }
  std::vector<std::wstring> takeDebugLines();

 private:
  SimWindows& windows_;
  std::vector<std::wstring> debugLines_;
};
