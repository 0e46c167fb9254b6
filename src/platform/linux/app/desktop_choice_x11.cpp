// The desktop of a build with the X11 adapter: the X server of $DISPLAY when
// one answers, else none.
#include <cstdlib>

#include "platform/linux/app/desktop_choice.h"
#include "platform/linux/app/null_desktop.h"
#include "platform/linux/x11/x11_desktop.h"
#include "platform/linux/x11/x11_pointer_relay.h"

std::unique_ptr<Desktop> openDesktop(Log& log, RegistryPort* registry) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    log.detail("window system: none; commands that need windows are unavailable");
    return std::make_unique<NullDesktop>(log);
  }
  std::string error;
  std::unique_ptr<X11Desktop> desktop =
      X11Desktop::open("", registry, error, [&log](const std::string& line) { log.info(line); });
  if (!desktop) {
    log.info("no X server: " + error + "; commands that need windows are unavailable");
    return std::make_unique<NullDesktop>(log);
  }
  log.detail("window system: " + desktop->name());
  return desktop;
}

std::function<void(const MultipointSample&, bool)> tracePointer() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  std::shared_ptr<X11PointerRelay> relay = X11PointerRelay::open(display);
  if (!relay) return nullptr;
  return [relay](const MultipointSample& sample, bool passed) { relay->relay(sample, passed); };
}
