// What the game-pad needs of the application that owns it: its mode flag,
// the overlay for its picture, the pass-through rectangle ("LockTouch"),
// the vibrator, and the touch driver's re-arm.
#pragma once

#include <string>

class OverlayDisplay;
class Vibrator;

class ControllerHost {
 public:
  virtual void setControllerMode(bool shown) = 0;
  virtual OverlayDisplay& overlayDisplay() = 0;
  virtual Vibrator& vibratorDevice() = 0;
  virtual void RearmTouchDriver(bool apply) = 0;
  // Writes "LockTouch" under the touch driver's key.
  virtual void WriteLockTouch(const std::wstring& text) = 0;

 protected:
  ~ControllerHost() = default;
};
