#include "text/lower_case.h"

#include <cstdint>
#include <type_traits>

namespace Text {

namespace {

// One run of upper-case letters: every character from `first` to `last`
// (with `step` 2: every second one, starting at `first`) has its lower-case
// form `delta` code points away.
struct CaseRange {
  std::uint32_t first;
  std::uint32_t last;
  std::int32_t delta;
  std::uint32_t step;
};

constexpr CaseRange caseRanges[] = {
    {0x0041, 0x005A, 32, 1},       // Basic Latin A-Z
    {0x00C0, 0x00D6, 32, 1},       // Latin-1 (U+00D7 is the multiplication sign)
    {0x00D8, 0x00DE, 32, 1},       //
    {0x0100, 0x012F, 1, 2},        // Latin Extended-A pairs
    {0x0130, 0x0130, -0x00C7, 1},  // capital I with dot above -> i
    {0x0132, 0x0137, 1, 2},        //
    {0x0139, 0x0148, 1, 2},        //
    {0x014A, 0x0177, 1, 2},        //
    {0x0178, 0x0178, -0x0079, 1},  // capital Y with diaeresis -> U+00FF
    {0x0179, 0x017E, 1, 2},        //
    {0x0386, 0x0386, 38, 1},       // Greek with tonos
    {0x0388, 0x038A, 37, 1},       //
    {0x038C, 0x038C, 64, 1},       //
    {0x038E, 0x038F, 63, 1},       //
    {0x0391, 0x03A1, 32, 1},       // Greek Alpha-Rho
    {0x03A3, 0x03AB, 32, 1},       // Greek Sigma-Upsilon with dialytika
    {0x0400, 0x040F, 80, 1},       // Cyrillic Ie with grave - Dzhe
    {0x0410, 0x042F, 32, 1},       // Cyrillic A-Ya
    {0x0460, 0x0481, 1, 2},        // Cyrillic pairs
    {0x048A, 0x04BF, 1, 2},        //
    {0x04C0, 0x04C0, 15, 1},       // palochka
    {0x04C1, 0x04CE, 1, 2},        //
    {0x04D0, 0x052F, 1, 2},        //
    {0x0531, 0x0556, 48, 1},       // Armenian
    {0x1E00, 0x1E95, 1, 2},        // Latin Extended Additional pairs
    {0x1E9E, 0x1E9E, -0x1DBF, 1},  // capital sharp s -> U+00DF
    {0x1EA0, 0x1EFF, 1, 2},        //
    {0xFF21, 0xFF3A, 32, 1},       // full-width A-Z
};

// The character's bits as an unsigned number (a negative 32-bit wchar_t
// becomes a value far above U+10FFFF).
std::uint32_t codeOf(wchar_t c) { return static_cast<std::make_unsigned_t<wchar_t>>(c); }

}  // namespace

wchar_t toLower(wchar_t c) {
  const std::uint32_t code = codeOf(c);
  if (code < 0x41) return c;
  for (const CaseRange& range : caseRanges) {
    if (code < range.first) break;  // the table is sorted
    if (code <= range.last && (code - range.first) % range.step == 0) {
      return static_cast<wchar_t>(static_cast<std::int32_t>(code) + range.delta);
    }
  }
  return c;
}

std::wstring lowerCased(std::wstring text) {
  for (wchar_t& c : text) c = toLower(c);
  return text;
}

}  // namespace Text
