#include "platform/sim/sim_hook_port.h"

#include <utility>

HookPort::WindowHandle SimHookPort::findWindow(const wchar_t* className, const wchar_t* title) {
  return windows_.find(className, title);
}

bool SimHookPort::postMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                              LParam lParam) {
  const bool posted = windows_.post(window, message, wParam, lParam);
  if (postSink_) postSink_(message, wParam, lParam, posted);
  return posted;
}

std::uint32_t SimHookPort::lastError() { return windows_.lastError(); }

void SimHookPort::debugOutput(const wchar_t* text) {
  debugLines_.emplace_back(text);
  if (debugSink_) debugSink_(text);
}

std::vector<std::wstring> SimHookPort::takeDebugLines() { return std::exchange(debugLines_, {}); }
