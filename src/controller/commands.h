// What a game-pad area does when a finger enters or leaves it. Each command
// remembers whether it is pressed and acts only on a change.
#pragma once

#include <cstdint>

#include "ports/debug_port.h"
#include "ports/input_port.h"

class Controller;

class Command {
 public:
  explicit Command(DebugPort& debug) : debug_(debug) {}
  virtual ~Command() = default;

  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // Presses or releases; true only when `active` changed.
  virtual bool activate(bool pressed);
  // One diagnostic line on the debug output.
  virtual void describe(bool pressed);

  bool active() const { return active_; }
  // Forgets a press without acting on it (the pad was hidden under it).
  void clearPressed() { active_ = false; }

 protected:
  DebugPort& debug_;
  bool active_ = false;
};

// Injects its key: down on the press, up on the release.
class CommandKey : public Command {
 public:
  CommandKey(DebugPort& debug, InputPort& input, std::uint8_t keyCode, std::uint8_t scanCode);
  bool activate(bool pressed) override;
  void describe(bool pressed) override;

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
  CommandExit(DebugPort& debug, Controller& controller);
  bool activate(bool pressed) override;
  void describe(bool pressed) override;

 private:
  Controller& controller_;
};

// Steps to the next layout when released.
class CommandRotate : public Command {
 public:
  CommandRotate(DebugPort& debug, Controller& controller);
  bool activate(bool pressed) override;
  void describe(bool pressed) override;

 private:
  Controller& controller_;
};
