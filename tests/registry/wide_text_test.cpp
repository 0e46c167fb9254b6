#include "registry/wide_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WideTextTest, Utf16BytesKeepEveryCharacter) {
  const auto unit = [](int code) { return static_cast<wchar_t>(code); };
  const std::pair<std::wstring, Bytes> cases[] = {
      {L"a\U0001F600\U0010FFFF", {'a', 0, 0x3D, 0xD8, 0x00, 0xDE, 0xFF, 0xDB, 0xFF, 0xDF}},
      // Unpaired surrogates pass through: high, x, low, high.
      {{unit(0xD800), L'x', unit(0xDC00), unit(0xD800)}, {0, 0xD8, 'x', 0, 0, 0xDC, 0, 0xD8}}};
  for (const auto& [text, bytes] : cases) {
    EXPECT_EQ(WideText::toUtf16Bytes(text), bytes);
    EXPECT_EQ(WideText::fromUtf16Bytes(bytes.data(), bytes.size()), text);
  }
  if constexpr (sizeof(wchar_t) == 4) {  // what UTF-16 cannot carry becomes U+FFFD
    const std::wstring text{static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
    EXPECT_EQ(WideText::toUtf16Bytes(text), (Bytes{0xFD, 0xFF, 0xFD, 0xFF}));
  }
}

TEST(WideTextTest, LowerCasingUsesAFixedTable) {
  // ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, Armenian, Latin Extended
  // Additional, full-width; everything else stays.
  EXPECT_EQ(WideText::lowerCased(L"TMail.EXE @[`{ 09\u00C0\u00DE\u00D7\u00DF\u0100\u0141\u0178"
                                 L"\u0130\u0131\u0386\u0391\u03A3\u03A9\u03C9\u0401\u0416\u042F"
                                 L"\u0460\u04C0\u0531\u1E9E\u1EA0\uFF21\uFF3A\U0001F600"),
            L"tmail.exe @[`{ 09\u00E0\u00FE\u00D7\u00DF\u0101\u0142\u00FF\u0069\u0131\u03AC"
            L"\u03B1\u03C3\u03C9\u03C9\u0451\u0436\u044F\u0461\u04CF\u0561\u00DF\u1EA1\uFF41"
            L"\uFF5A\U0001F600");
}

}  // namespace
