// ZEM.exe, the main program on desktop Windows: the Win32 ports and the
// application object in static storage, the ports first, so that the
// application is built after them and destroyed before them.
#include <windows.h>

#include "app/gesture_app.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_debug.h"
#include "platform/win32/win32_input.h"
#include "platform/win32/win32_leds.h"
#include "platform/win32/win32_overlay_device.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_windows.h"
#include "ports/platform.h"

namespace {

Win32Registry registryPort;
Win32Windows windowPort;
Win32Shell shellPort;
Win32Input inputPort(registryPort);
Win32Processes processPort;
Win32Clock clockPort;
Win32Debug debugPort;
Win32Leds ledPort(debugPort);
Win32OverlayDevice overlayDevicePort(GetModuleHandleW(nullptr));

Platform platform{registryPort, windowPort, shellPort,         inputPort, processPort,
                  clockPort,    ledPort,    overlayDevicePort, debugPort};

GestureApp app(platform);

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*showCommand*/) {
  windowPort.setInstance(instance);
  // Coordinates are physical pixels: the system must not scale the program.
  SetProcessDPIAware();
  return app.run();
}
