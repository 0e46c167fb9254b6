// The hook's platform calls for the benchmarks: the main window is always
// there, every post succeeds and is counted, debug output goes nowhere.
#pragma once

#include <cstdint>

#include "ports/hook_port.h"

class CountingPort : public HookPort {
 public:
  WindowHandle findWindow(const wchar_t*, const wchar_t*) override { return 0x10010; }
  bool postMessage(WindowHandle, std::uint32_t, WParam, LParam) override {
    ++posts;
    return true;
  }
  std::uint32_t lastError() override { return 0; }
  void debugOutput(const wchar_t*) override {}

  std::int64_t posts = 0;
};
