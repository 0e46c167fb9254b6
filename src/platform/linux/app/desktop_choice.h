// The window system the program works with. One place decides, so that a
// desktop adapter joins the program here.
#pragma once

#include <memory>

#include "platform/linux/app/log.h"
#include "platform/linux/desktop.h"

std::unique_ptr<Desktop> openDesktop(Log& log);
