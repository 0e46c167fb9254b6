// The hook library's platform port over the Windows API: FindWindowW,
// PostMessageW, GetLastError and OutputDebugStringW. Nothing here allocates.
#pragma once

#include "ports/hook_port.h"

class Win32HookPort final : public HookPort {
 public:
  WindowHandle findWindow(const wchar_t* className, const wchar_t* title) override;
  bool postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                   LParam lParam) override;
  std::uint32_t lastError() override;
  void debugOutput(const wchar_t* text) override;
};
