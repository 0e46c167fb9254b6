#include "controller/commands.h"

#include <string>

#include "controller/controller.h"

namespace {

std::wstring number(int value) { return std::to_wstring(value); }

}  // namespace

bool Command::activate(bool /*pressed*/) { return false; }

void Command::describe(bool /*pressed*/) {}

CommandKey::CommandKey(DebugPort& debug, InputPort& input, std::uint8_t keyCode,
                       std::uint8_t scanCode)
    : Command(debug), input_(input), keyCode_(keyCode), scanCode_(scanCode) {}

bool CommandKey::activate(bool pressed) {
  if (pressed == active_) return false;
  input_.keyEvent(keyCode_, scanCode_, pressed ? KeyFlags::down : KeyFlags::up, 0);
  active_ = pressed;
  return true;
}

void CommandKey::describe(bool pressed) {
  debug_.debugOutput(L"CommandKey: " + number(keyCode_) + L" " + number(scanCode_) + L" " +
                     number(pressed ? 1 : 0) + L"\n");
}

CommandExit::CommandExit(DebugPort& debug, Controller& controller)
    : Command(debug), controller_(controller) {}

// Acts when the finger leaves the button, not when it touches it.
bool CommandExit::activate(bool pressed) {
  if (pressed == active_) return false;
  active_ = pressed;
  if (!pressed) controller_.hide();
  return true;
}

void CommandExit::describe(bool pressed) {
  debug_.debugOutput(L"CommandExit: " + number(pressed ? 1 : 0) + L"\n");
}

CommandRotate::CommandRotate(DebugPort& debug, Controller& controller)
    : Command(debug), controller_(controller) {}

// Acts on the release, like the exit button.
bool CommandRotate::activate(bool pressed) {
  if (pressed == active_) return false;
  active_ = pressed;
  if (!pressed) controller_.rotateLayout();
  return true;
}

void CommandRotate::describe(bool pressed) {
  debug_.debugOutput(L"CommandRotate: " + number(pressed ? 1 : 0) + L"\n");
}
