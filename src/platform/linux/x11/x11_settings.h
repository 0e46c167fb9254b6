// The X11 desktop's own settings, under the program's key beside the others.
// They are read when used, so a change takes effect at the next use.
//
//   "KeyboardWindows"  string list  window classes (WM_CLASS, either part) of
//                                   on-screen keyboards; default onboard and
//                                   matchbox-keyboard
//   "LockCommand"      string       run for "lock"; default
//                                   "loginctl lock-session"
//   "StartCommand"     string       run for "start"; default none
//   "PhoneCommand"     string       run for "phone"; default none
//
// A command is a shell command line (/bin/sh -c). An empty one, or "start"
// and "phone" without one, leaves the word's key to go to the front window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RegistryPort;

namespace X11Settings {

inline constexpr const wchar_t* keyboardWindows = L"KeyboardWindows";
inline constexpr const wchar_t* lockCommand = L"LockCommand";
inline constexpr const wchar_t* startCommand = L"StartCommand";
inline constexpr const wchar_t* phoneCommand = L"PhoneCommand";

inline constexpr const char* defaultLockCommand = "loginctl lock-session";

// The keys the command words "start", "lock" and "phone" inject.
inline constexpr std::uint8_t startKey = 0x5B;
inline constexpr std::uint8_t lockKey = 0x85;
inline constexpr std::uint8_t phoneKey = 0x72;

// The window classes of on-screen keyboards, lower case.
std::vector<std::string> keyboardClasses(RegistryPort* registry);

// The command for the word whose key this is (UTF-8); empty when the key
// is to be sent as it is.
std::string commandForKey(RegistryPort* registry, std::uint8_t virtualKey);

std::wstring fromLatin1(const std::string& text);

}  // namespace X11Settings
