// The C library's own reading of comma-separated "%d" fields, as the
// reference for the project's scanners of "LockTouch" and "ControllerKeys".
//
// The C function's result is defined only while every number fits an int, so
// the reference answers only for texts of ASCII characters whose digit runs
// stay within nine significant digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace ScanfReference {

inline bool comparable(const std::wstring& text) {
  std::size_t digits = 0;
  bool leading = true;
  for (const wchar_t c : text) {
    if (c < 0 || c > 0x7F) return false;
    if (c >= L'0' && c <= L'9') {
      if (leading && c == L'0') continue;
      leading = false;
      if (++digits > 9) return false;
    } else {
      digits = 0;
      leading = true;
    }
  }
  return true;
}

// The fields that "%d,%d,..." (`count` of them) reads from the text, in
// order, or nothing when the text is not comparable.
inline std::optional<std::vector<int>> fields(const std::wstring& text, std::size_t count) {
  if (!comparable(text) || count == 0 || count > 12) return std::nullopt;
  std::wstring format = L"%d";
  for (std::size_t i = 1; i < count; ++i) format += L",%d";
  int v[12] = {};
  const int n = std::swscanf(text.c_str(), format.c_str(), &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                             &v[6], &v[7], &v[8], &v[9], &v[10], &v[11]);
  // n is EOF (-1) when the text ends before the first field.
  return std::vector<int>(v, v + (n > 0 ? n : 0));
}

}  // namespace ScanfReference
