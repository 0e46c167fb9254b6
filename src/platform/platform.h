// Everything the main program asks of the platform, as one bundle of ports.
// The simulated phone and the Win32 adapters each provide one.
#pragma once

#include "platform/clock_port.h"
#include "platform/debug_port.h"
#include "platform/input_port.h"
#include "platform/led_port.h"
#include "platform/overlay_device_port.h"
#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "platform/window_port.h"

struct Platform {
  RegistryPort& registry;
  WindowPort& windows;
  ShellPort& shell;
  InputPort& input;
  ProcessPort& processes;
  ClockPort& clock;
  LedPort& leds;
  OverlayDevicePort& overlayDevice;
  DebugPort& debug;
};
