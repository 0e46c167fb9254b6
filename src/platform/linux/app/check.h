// `zem --check`: what the program would use and what is missing, for the
// user who installs it. Prints the touchscreen the touch source finds (or
// why none), its axis ranges and slots, the input nodes the user may not
// read, /dev/uinput (the panel's copy and the virtual keyboard), the
// settings file and the runtime folder. The result is 0 when a touchscreen
// and /dev/uinput are usable, 1 otherwise.
#pragma once

#include <ostream>
#include <string>

#include "platform/linux/app/program_paths.h"
#include "platform/linux/app/touch_wiring.h"

// `desktopName` is the window system the program would use ("none").
int runCheck(const TouchOptions& touch, const ProgramPaths& paths, const std::string& desktopName,
             std::ostream& out);
