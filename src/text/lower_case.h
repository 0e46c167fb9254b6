// Lower-casing that is locale-independent and identical on every platform: a
// fixed table covering ASCII, Latin-1, Latin Extended-A, Latin Extended
// Additional, Greek, Cyrillic, Armenian and the full-width Latin letters.
// Every other character, and every character outside the Basic Multilingual
// Plane, stays as it is. Program paths, command words and registry names are
// compared in this form.
#pragma once

#include <string>

namespace Text {

wchar_t toLower(wchar_t c);
std::wstring lowerCased(std::wstring text);

}  // namespace Text
