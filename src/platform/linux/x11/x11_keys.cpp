#include "platform/linux/x11/x11_keys.h"

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

namespace X11Keys {

namespace {

struct KeyPair {
  std::uint8_t virtualKey;
  std::uint32_t keysym;
};

// Keys with a name; letters, digits and function keys are ranges below.
constexpr KeyPair namedKeys[] = {
    {0x08, XK_BackSpace},   {0x09, XK_Tab},          {0x0C, XK_Clear},
    {0x0D, XK_Return},      {0x10, XK_Shift_L},      {0x11, XK_Control_L},
    {0x12, XK_Alt_L},       {0x13, XK_Pause},        {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},      {0x20, XK_space},        {0x21, XK_Prior},
    {0x22, XK_Next},        {0x23, XK_End},          {0x24, XK_Home},
    {0x25, XK_Left},        {0x26, XK_Up},           {0x27, XK_Right},
    {0x28, XK_Down},        {0x29, XK_Select},       {0x2A, XK_Print},
    {0x2B, XK_Execute},     {0x2C, XK_Print},        {0x2D, XK_Insert},
    {0x2E, XK_Delete},      {0x2F, XK_Help},         {0x5B, XK_Super_L},
    {0x5C, XK_Super_R},     {0x5D, XK_Menu},         {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},      {0x6C, XK_KP_Separator}, {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},  {0x6F, XK_KP_Divide},    {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock}, {0xA0, XK_Shift_L},      {0xA1, XK_Shift_R},
    {0xA2, XK_Control_L},   {0xA3, XK_Control_R},    {0xA4, XK_Alt_L},
    {0xA5, XK_Alt_R},       {0xBA, XK_semicolon},    {0xBB, XK_equal},
    {0xBC, XK_comma},       {0xBD, XK_minus},        {0xBE, XK_period},
    {0xBF, XK_slash},       {0xC0, XK_grave},        {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},   {0xDD, XK_bracketright}, {0xDE, XK_apostrophe},
};

}  // namespace

std::uint32_t keysymFor(std::uint8_t virtualKey) {
  if (virtualKey >= 0x30 && virtualKey <= 0x39) return XK_0 + (virtualKey - 0x30u);
  if (virtualKey >= 0x41 && virtualKey <= 0x5A) return XK_a + (virtualKey - 0x41u);
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return XK_KP_0 + (virtualKey - 0x60u);
  if (virtualKey >= 0x70 && virtualKey <= 0x87) return XK_F1 + (virtualKey - 0x70u);
  for (const KeyPair& pair : namedKeys) {
    if (pair.virtualKey == virtualKey) return pair.keysym;
  }
  return 0;
}

KeyboardMap::KeyboardMap(std::uint8_t minKeycode, std::uint8_t keysymsPerKeycode,
                         std::vector<std::uint32_t> keysyms)
    : minKeycode_(minKeycode), perKeycode_(keysymsPerKeycode), keysyms_(std::move(keysyms)) {}

bool KeyboardMap::find(std::uint32_t keysym, KeyStroke& stroke) const {
  if (keysym == 0 || perKeycode_ == 0) return false;
  const std::size_t keys = keysyms_.size() / perKeycode_;
  for (std::size_t column = 0; column < 2 && column < perKeycode_; ++column) {
    for (std::size_t key = 0; key < keys; ++key) {
      const std::size_t code = minKeycode_ + key;
      if (code > 255) break;
      if (keysyms_[key * perKeycode_ + column] == keysym) {
        stroke = KeyStroke{static_cast<std::uint8_t>(code), column == 1};
        return true;
      }
    }
  }
  return false;
}

std::uint8_t KeyboardMap::keycodeOf(std::uint32_t keysym) const {
  KeyStroke stroke;
  return find(keysym, stroke) ? stroke.keycode : 0;
}

std::uint8_t KeyboardMap::spareKeycode() const {
  if (perKeycode_ == 0) return 0;
  const std::size_t keys = keysyms_.size() / perKeycode_;
  // From the top: the low keycodes are the ones real keyboards send.
  for (std::size_t key = keys; key-- > 0;) {
    const std::size_t code = minKeycode_ + key;
    if (code > 255 || code < 8) continue;
    bool empty = true;
    for (std::size_t column = 0; column < perKeycode_; ++column) {
      if (keysyms_[key * perKeycode_ + column] != 0) empty = false;
    }
    if (empty) return static_cast<std::uint8_t>(code);
  }
  return 0;
}

}  // namespace X11Keys
