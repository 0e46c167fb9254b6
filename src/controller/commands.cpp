#include "controller/commands.h"

#include "controller/controller.h"

CommandKey::CommandKey(InputPort& input, std::uint8_t keyCode, std::uint8_t scanCode)
    : input_(input), keyCode_(keyCode), scanCode_(scanCode) {}

bool CommandKey::activate(bool pressed) {
  if (pressed == active_) return false;
  input_.keyEvent(keyCode_, scanCode_, pressed ? KeyFlags::down : KeyFlags::up, 0);
  active_ = pressed;
  return true;
}

CommandExit::CommandExit(Controller& controller) : controller_(controller) {}

// Acts when the finger leaves the button, not when it touches it.
bool CommandExit::activate(bool pressed) {
  if (pressed == active_) return false;
  active_ = pressed;
  if (!pressed) controller_.hide();
  return true;
}

CommandRotate::CommandRotate(Controller& controller) : controller_(controller) {}

// Acts on the release, like the exit button.
bool CommandRotate::activate(bool pressed) {
  if (pressed == active_) return false;
  active_ = pressed;
  if (!pressed) controller_.rotateLayout();
  return true;
}
