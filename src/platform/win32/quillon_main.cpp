// Entry points of Quillon.dll, the touch hook library that the device's touch
// driver loads into its own process (see hook/touch_forwarder.h for the
// lifecycle). The only export is gMultipointHook (quillon.def).
#include <windows.h>

#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/win32/win32_hook_port.h"
#include "platform/win32/win32_registry.h"

namespace {
// Defined before gTouchForwarder in this one file, so they are built first.
Win32HookPort hookPort;
Win32Registry registryPort;
}  // namespace

// Built while the library loads, before DllMain sees the process attach: it
// looks for the main window here, once.
TouchForwarder gTouchForwarder(hookPort, registryPort);

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
  gTouchForwarder.entryNotification(reason);
  return TRUE;
}

// Called by the touch driver for every sample. Never throws; a null record is
// ignored.
extern "C" void gMultipointHook(MultipointSample* sample) noexcept {
  if (sample != nullptr) gTouchForwarder.hook(*sample);
}
