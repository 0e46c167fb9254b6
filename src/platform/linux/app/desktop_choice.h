// The window system the program works with. One place decides, so that a
// desktop adapter joins the program here.
#pragma once

#include <functional>
#include <memory>

#include "hook/multipoint_sample.h"
#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"
#include "ports/registry_port.h"

// `registry` holds the desktop's settings and receives what it reports
// ("Angle"); null: the desktop's defaults.
std::unique_ptr<Desktop> openDesktop(Log& log, RegistryPort* registry = nullptr);

// Where the touches a played trace lets through go when no panel copy reaches
// applications (the window system's pointer); empty when nowhere.
std::function<void(const MultipointSample&, bool passed)> tracePointer();
