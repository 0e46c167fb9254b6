#include "platform/linux/app/desktop_choice.h"

#include "platform/linux/app/null_desktop.h"

std::unique_ptr<Desktop> openDesktop(Log& log, RegistryPort*) {
  log.detail("window system: none; commands that need windows are unavailable");
  return std::make_unique<NullDesktop>(log);
}

std::function<void(const MultipointSample&, bool)> tracePointer() { return nullptr; }
