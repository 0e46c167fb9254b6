// JSON text for the tools' machine-readable output.
#pragma once

#include <string>
#include <string_view>

namespace Text {

// A quoted JSON string. Quotes, backslashes and control characters are
// escaped; bytes that are not well-formed UTF-8 become U+FFFD, so the output
// is always valid JSON whatever the input.
std::string jsonString(std::string_view utf8);

}  // namespace Text
