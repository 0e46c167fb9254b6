// The main window as the other processes find it (class and title), and the
// resources of ZEM.exe that make it: the string table that holds its title
// and class, the icon, and the accelerator table with its one command.
//
// The resource compiler reads this file too (resources/zem.rc), so the ids
// are plain definitions; the C++ names below are views of them.
#pragma once

#define ZEM_MAIN_WINDOW_NAME "ZEM" /* the main window's class and title */
#define ZEM_TITLE_STRING_ID 1      /* string: the main window's title */
#define ZEM_CLASS_STRING_ID 2      /* string: the main window's class */
#define ZEM_ICON_ID 101
#define ZEM_ACCELERATOR_TABLE_ID 2
#define ZEM_CLOSE_COMMAND_ID 40000 /* Ctrl+Q */

#ifndef RC_INVOKED

#include <cstdint>

namespace MainWindow {

inline constexpr const wchar_t* className = L"" ZEM_MAIN_WINDOW_NAME;
inline constexpr const wchar_t* title = L"" ZEM_MAIN_WINDOW_NAME;

inline constexpr std::uint32_t titleStringId = ZEM_TITLE_STRING_ID;
inline constexpr std::uint32_t classStringId = ZEM_CLASS_STRING_ID;
inline constexpr std::uint32_t iconId = ZEM_ICON_ID;
inline constexpr std::uint32_t acceleratorTableId = ZEM_ACCELERATOR_TABLE_ID;
inline constexpr std::uint32_t closeCommandId = ZEM_CLOSE_COMMAND_ID;

}  // namespace MainWindow

#endif
