// The hook library's platform port on the simulated phone: windows and posts
// go to SimWindows, debug output is kept as a list of lines and, when a sink
// is set, also handed to it. Every post, and whether it was posted, goes to
// the post sink when one is set.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_windows.h"
#include "ports/hook_port.h"

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
  void setDebugSink(std::function<void(const wchar_t*)> sink) { debugSink_ = std::move(sink); }
  using PostSink = std::function<void(std::uint32_t message, WParam, LParam, bool posted)>;
  void setPostSink(PostSink sink) { postSink_ = std::move(sink); }

 private:
  SimWindows& windows_;
  std::vector<std::wstring> debugLines_;
  std::function<void(const wchar_t*)> debugSink_;
  PostSink postSink_;
};
