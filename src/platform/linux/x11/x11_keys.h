// The virtual-key codes ZEM sends (command words, "back", the game-pad's
// buttons) as X keysyms, and the keyboard map that turns a keysym into a key
// press for XTest.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace X11Keys {

// The keysym of a virtual key, 0 when X has none for it. Letters give their
// lower-case keysym (the key, not the character), digits their digit.
std::uint32_t keysymFor(std::uint8_t virtualKey);

// How to type one keysym: its keycode and whether Shift must be held
// (the keysym sits in the shifted column of the key).
struct KeyStroke {
  std::uint8_t keycode = 0;
  bool shifted = false;
};

// The server's keyboard map: keysymsPerKeycode keysyms for every keycode
// from minKeycode on.
class KeyboardMap {
 public:
  KeyboardMap() = default;
  KeyboardMap(std::uint8_t minKeycode, std::uint8_t keysymsPerKeycode,
              std::vector<std::uint32_t> keysyms);

  // The first key that has the keysym unshifted, else the first that has it
  // shifted. False when no key has it.
  bool find(std::uint32_t keysym, KeyStroke& stroke) const;
  // A keycode without any keysym, for binding a missing keysym; 0 when
  // every key is in use.
  std::uint8_t spareKeycode() const;
  std::uint8_t keycodeOf(std::uint32_t keysym) const;  // 0 when none

 private:
  std::uint8_t minKeycode_ = 0;
  std::uint8_t perKeycode_ = 0;
  std::vector<std::uint32_t> keysyms_;
};

}  // namespace X11Keys
