// Event nodes found without udev: by the device's name in sysfs, and whether
// another process holds a grab on one.
#pragma once

#include <chrono>
#include <string>

// The node (/dev/input/eventN) of the first device whose name starts with
// `namePrefix`, waiting up to `wait` for it to appear; empty if none did.
std::string findEventNode(const std::string& namePrefix, std::chrono::milliseconds wait);

// True when another reader holds the node's grab (our grab gets EBUSY);
// a grab we get is released at once.
bool grabbedElsewhere(const std::string& node);

// Waits up to `wait` for grabbedElsewhere(node) to become `grabbed`.
bool waitForGrab(const std::string& node, bool grabbed, std::chrono::milliseconds wait);
