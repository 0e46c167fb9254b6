// The system debug output.
#pragma once

#include <string>

class DebugPort {
 public:
  virtual ~DebugPort() = default;

  // One text, written as it stands (no newline added).
  virtual void debugOutput(const std::wstring& text) = 0;
};
