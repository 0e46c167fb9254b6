#include "platform/linux/app/linux_input.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace KeyTable {

namespace {

struct Row {
  std::uint8_t virtualKey;
  int linuxKey;
};

// The keys of the command words ("start" the Windows key, "lock" F22,
// "phone" F3, the arrows), of "back" (Backspace or F4), everything a
// "ControllerKeys" list is likely to name (the default list is the arrows,
// Enter, Clear and the number pad's 0 to 5) and the rest of a standard
// keyboard. Left and right variants of the modifiers share the left key
// where the generic code names no side.
constexpr Row rows[] = {
    {0x03, KEY_CANCEL},     {0x08, KEY_BACKSPACE},  {0x09, KEY_TAB},
    {0x0C, KEY_CLEAR},      {0x0D, KEY_ENTER},      {0x10, KEY_LEFTSHIFT},
    {0x11, KEY_LEFTCTRL},   {0x12, KEY_LEFTALT},    {0x13, KEY_PAUSE},
    {0x14, KEY_CAPSLOCK},   {0x1B, KEY_ESC},        {0x20, KEY_SPACE},
    {0x21, KEY_PAGEUP},     {0x22, KEY_PAGEDOWN},   {0x23, KEY_END},
    {0x24, KEY_HOME},       {0x25, KEY_LEFT},       {0x26, KEY_UP},
    {0x27, KEY_RIGHT},      {0x28, KEY_DOWN},       {0x29, KEY_SELECT},
    {0x2A, KEY_PRINT},      {0x2C, KEY_SYSRQ},      {0x2D, KEY_INSERT},
    {0x2E, KEY_DELETE},     {0x2F, KEY_HELP},       {0x30, KEY_0},
    {0x31, KEY_1},          {0x32, KEY_2},          {0x33, KEY_3},
    {0x34, KEY_4},          {0x35, KEY_5},          {0x36, KEY_6},
    {0x37, KEY_7},          {0x38, KEY_8},          {0x39, KEY_9},
    {0x41, KEY_A},          {0x42, KEY_B},          {0x43, KEY_C},
    {0x44, KEY_D},          {0x45, KEY_E},          {0x46, KEY_F},
    {0x47, KEY_G},          {0x48, KEY_H},          {0x49, KEY_I},
    {0x4A, KEY_J},          {0x4B, KEY_K},          {0x4C, KEY_L},
    {0x4D, KEY_M},          {0x4E, KEY_N},          {0x4F, KEY_O},
    {0x50, KEY_P},          {0x51, KEY_Q},          {0x52, KEY_R},
    {0x53, KEY_S},          {0x54, KEY_T},          {0x55, KEY_U},
    {0x56, KEY_V},          {0x57, KEY_W},          {0x58, KEY_X},
    {0x59, KEY_Y},          {0x5A, KEY_Z},          {0x5B, KEY_LEFTMETA},
    {0x5C, KEY_RIGHTMETA},  {0x5D, KEY_COMPOSE},    {0x5F, KEY_SLEEP},
    {0x60, KEY_KP0},        {0x61, KEY_KP1},        {0x62, KEY_KP2},
    {0x63, KEY_KP3},        {0x64, KEY_KP4},        {0x65, KEY_KP5},
    {0x66, KEY_KP6},        {0x67, KEY_KP7},        {0x68, KEY_KP8},
    {0x69, KEY_KP9},        {0x6A, KEY_KPASTERISK}, {0x6B, KEY_KPPLUS},
    {0x6C, KEY_KPCOMMA},    {0x6D, KEY_KPMINUS},    {0x6E, KEY_KPDOT},
    {0x6F, KEY_KPSLASH},    {0x70, KEY_F1},         {0x71, KEY_F2},
    {0x72, KEY_F3},         {0x73, KEY_F4},         {0x74, KEY_F5},
    {0x75, KEY_F6},         {0x76, KEY_F7},         {0x77, KEY_F8},
    {0x78, KEY_F9},         {0x79, KEY_F10},        {0x7A, KEY_F11},
    {0x7B, KEY_F12},        {0x7C, KEY_F13},        {0x7D, KEY_F14},
    {0x7E, KEY_F15},        {0x7F, KEY_F16},        {0x80, KEY_F17},
    {0x81, KEY_F18},        {0x82, KEY_F19},        {0x83, KEY_F20},
    {0x84, KEY_F21},        {0x85, KEY_F22},        {0x86, KEY_F23},
    {0x87, KEY_F24},        {0x90, KEY_NUMLOCK},    {0x91, KEY_SCROLLLOCK},
    {0xA0, KEY_LEFTSHIFT},  {0xA1, KEY_RIGHTSHIFT}, {0xA2, KEY_LEFTCTRL},
    {0xA3, KEY_RIGHTCTRL},  {0xA4, KEY_LEFTALT},    {0xA5, KEY_RIGHTALT},
    {0xA6, KEY_BACK},       {0xA7, KEY_FORWARD},    {0xA8, KEY_REFRESH},
    {0xA9, KEY_STOP},       {0xAA, KEY_SEARCH},     {0xAB, KEY_BOOKMARKS},
    {0xAC, KEY_HOMEPAGE},   {0xAD, KEY_MUTE},       {0xAE, KEY_VOLUMEDOWN},
    {0xAF, KEY_VOLUMEUP},   {0xB0, KEY_NEXTSONG},   {0xB1, KEY_PREVIOUSSONG},
    {0xB2, KEY_STOPCD},     {0xB3, KEY_PLAYPAUSE},  {0xB4, KEY_MAIL},
    {0xB5, KEY_MEDIA},      {0xB6, KEY_PROG1},      {0xB7, KEY_PROG2},
    {0xBA, KEY_SEMICOLON},  {0xBB, KEY_EQUAL},      {0xBC, KEY_COMMA},
    {0xBD, KEY_MINUS},      {0xBE, KEY_DOT},        {0xBF, KEY_SLASH},
    {0xC0, KEY_GRAVE},      {0xDB, KEY_LEFTBRACE},  {0xDC, KEY_BACKSLASH},
    {0xDD, KEY_RIGHTBRACE}, {0xDE, KEY_APOSTROPHE}, {0xE2, KEY_102ND},
    {0xF6, KEY_PROPS},      {0xFA, KEY_PLAY},       {0xFB, KEY_ZOOM},
};

}  // namespace

int linuxKey(std::uint8_t virtualKey) {
  for (const Row& row : rows) {
    if (row.virtualKey == virtualKey) return row.linuxKey;
  }
  return 0;
}

std::vector<int> allLinuxKeys() {
  std::vector<int> keys;
  for (const Row& row : rows) keys.push_back(row.linuxKey);
  return keys;
}

}  // namespace KeyTable

// --- the virtual keyboard ---

struct UinputKeyboard::Device {
  libevdev_uinput* uinput = nullptr;
};

std::unique_ptr<UinputKeyboard> UinputKeyboard::create(std::string& error) {
  libevdev* description = libevdev_new();
  if (description == nullptr) {
    error = "out of memory";
    return nullptr;
  }
  libevdev_set_name(description, "ZEM virtual keyboard");
  libevdev_set_id_bustype(description, BUS_VIRTUAL);
  libevdev_enable_event_type(description, EV_KEY);
  for (const int code : KeyTable::allLinuxKeys()) {
    libevdev_enable_event_code(description, EV_KEY, static_cast<unsigned>(code), nullptr);
  }
  libevdev_uinput* uinput = nullptr;
  const int result =
      libevdev_uinput_create_from_device(description, LIBEVDEV_UINPUT_OPEN_MANAGED, &uinput);
  libevdev_free(description);
  if (result != 0) {
    error = std::string("/dev/uinput: ") + std::strerror(-result);
    return nullptr;
  }
  std::unique_ptr<UinputKeyboard> keyboard(new UinputKeyboard());
  keyboard->device_ = new Device{uinput};
  return keyboard;
}

UinputKeyboard::~UinputKeyboard() {
  if (device_ != nullptr) libevdev_uinput_destroy(device_->uinput);
  delete device_;
}

bool UinputKeyboard::key(int linuxKey, bool down) {
  return libevdev_uinput_write_event(device_->uinput, EV_KEY, static_cast<unsigned>(linuxKey),
                                     down ? 1 : 0) == 0 &&
         libevdev_uinput_write_event(device_->uinput, EV_SYN, SYN_REPORT, 0) == 0;
}

std::string UinputKeyboard::node() const {
  const char* node = libevdev_uinput_get_devnode(device_->uinput);
  return node != nullptr ? node : "";
}

// --- the input port ---

void LinuxInput::keyEvent(std::uint8_t virtualKey, std::uint8_t, std::uint32_t flags,
                          std::uintptr_t) {
  const bool down = (flags & KeyFlags::up) == 0;
  if (desktop_.keyEvent(virtualKey, down)) return;
  const int key = KeyTable::linuxKey(virtualKey);
  char code[8];
  std::snprintf(code, sizeof code, "0x%02x", virtualKey);
  if (key == 0) {
    log_.once(std::string("key ") + code, std::string("key ") + code + " (" +
                                              std::to_string(virtualKey) +
                                              ") has no Linux key: dropped");
    return;
  }
  if (keyboard_ == nullptr) {
    log_.once("no keyboard",
              "keys unavailable: no window system takes them and there is no "
              "virtual keyboard (/dev/uinput)");
    return;
  }
  if (!keyboard_->key(key, down)) log_.once("keyboard write", "virtual keyboard: write failed");
}
