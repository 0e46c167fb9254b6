// Everything the main program asks of the platform, as one bundle of ports.
// The simulated phone and the Win32 adapters each provide one.
#pragma once

#include "ports/clock_port.h"
#include "ports/debug_port.h"
#include "ports/input_port.h"
#include "ports/led_port.h"
#include "ports/overlay_device_port.h"
#include "ports/process_port.h"
#include "ports/registry_port.h"
#include "ports/shell_port.h"
#include "ports/window_port.h"

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
