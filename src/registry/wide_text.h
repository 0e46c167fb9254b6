// The registry's text helpers now live in src/text/. This header keeps the
// older name for the files that still include it; new code includes
// "text/utf16.h" and "text/lower_case.h" and uses Text:: directly.
#pragma once

#include "text/lower_case.h"
#include "text/utf16.h"

namespace WideText {

using Text::fromUtf16Bytes;
using Text::lowerCased;
using Text::toLower;
using Text::toUtf16Bytes;
using Text::unitsBeforeNul;

}  // namespace WideText
