// `zem --check`: what the program would use and what is missing, for the
// user who installs it. Prints the touchscreen found (or each reason none
// was), its axis ranges and slots, the virtual devices' /dev/uinput, the
// settings file and the runtime folder. The result is 0 when a touchscreen
// and /dev/uinput are usable, 1 otherwise.
#pragma once

#include <ostream>
#include <string>

#include "platform/linux/app/program_paths.h"

// `desktopName` is the window system the program would use ("none").
int runCheck(const std::string& devicePath, const ProgramPaths& paths,
             const std::string& desktopName, std::ostream& out);
