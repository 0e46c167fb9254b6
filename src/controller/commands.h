// What a game-pad area does when a finger enters or leaves it. Each command
// remembers whether it is pressed and acts only on a change.
#pragma once

#include <cstdint>

#include "ports/input_port.h"

class Controller;

class Command {
 public:
  Command() = default;
  virtual ~Command() = default;

  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // Presses or releases; true only when `active` changed.
  virtual bool activate(bool pressed) = 0;

  bool active() const { return active_; }
  // Forgets a press without acting on it (the pad was hidden under it).
  void clearPressed() { active_ = false; }

 protected:
  bool active_ = false;
};

// Injects its key: down on the press, up on the release.
class CommandKey : public Command {
 public:
  CommandKey(InputPort& input, std::uint8_t keyCode, std::uint8_t scanCode);
  bool activate(bool pressed) override;

  std::uint8_t keyCode() const { return keyCode_; }
  std::uint8_t scanCode() const { return scanCode_; }

 private:
  InputPort& input_;
  std::uint8_t keyCode_;
  std::uint8_t scanCode_;
};

// Hides the game-pad when released.
class CommandExit : public Command {
 public:
  explicit CommandExit(Controller& controller);
  bool activate(bool pressed) override;

 private:
  Controller& controller_;
};

// Steps to the next layout when released.
class CommandRotate : public Command {
 public:
  explicit CommandRotate(Controller& controller);
  bool activate(bool pressed) override;

 private:
  Controller& controller_;
};
