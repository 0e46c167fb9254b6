// The system debug output (OutputDebugStringW).
#pragma once

#include "ports/debug_port.h"

class Win32Debug final : public DebugPort {
 public:
  void debugOutput(const std::wstring& text) override;
};
