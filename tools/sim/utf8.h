// UTF-8 <-> std::wstring for the scenario tools (UTF-16 where wchar_t has 16
// bits, UTF-32 where it has 32).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Utf8 {

// Nothing when `text` is not well-formed UTF-8 (overlong forms, surrogates
// and code points above U+10FFFF are refused).
std::optional<std::wstring> toWide(std::string_view text);

// Unpaired surrogates and characters that are no code point become U+FFFD.
std::string fromWide(const std::wstring& text);

}  // namespace Utf8
