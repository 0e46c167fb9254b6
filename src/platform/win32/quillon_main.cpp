// Entry points of Quillon.dll, the touch hook library that the device's touch
// driver loads into its own process (see hook/touch_forwarder.h for the
// lifecycle). The only export is gMultipointHook (quillon.def).
#include <windows.h>

#include <cstddef>
#include <cstdlib>

#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/win32/win32_hook_port.h"

namespace {
// Defined before gTouchForwarder in this one file, so they are built first.
Win32HookPort hookPort;
Win32HookRegistry registryPort;
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

// The library links without the C++ runtime. The one thing of it that the
// code refers to is the sized operator delete, in the deleting destructors
// that the ports' virtual destructors bring into the vtables; the library
// never allocates an object, so none of them ever runs.
void operator delete(void* /*object*/) noexcept { std::abort(); }
void operator delete(void* /*object*/, std::size_t /*size*/) noexcept { std::abort(); }
