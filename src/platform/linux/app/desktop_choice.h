// The window system the program works with. One place decides, so that a
// desktop adapter joins the program here.
#pragma once

#include <memory>

#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"
#include "ports/registry_port.h"

// `registry` holds the desktop's settings and receives what it reports
// ("Angle"); null: the desktop's defaults.
std::unique_ptr<Desktop> openDesktop(Log& log, RegistryPort* registry = nullptr);
