#include "registry/wide_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::wstring decode(const Bytes& bytes) {
  return WideText::fromUtf16Bytes(bytes.data(), bytes.size());
}

TEST(WideTextTest, NonBmpCharactersBecomeSurrogatePairsAndBack) {
  const std::wstring text = L"a\U0001F600\U0010FFFF";
  const Bytes bytes{'a', 0, 0x3D, 0xD8, 0x00, 0xDE, 0xFF, 0xDB, 0xFF, 0xDF};
  EXPECT_EQ(WideText::toUtf16Bytes(text), bytes);
  EXPECT_EQ(decode(bytes), text);
}

TEST(WideTextTest, UnpairedSurrogatesPassThroughUnchanged) {
  const Bytes lone{0x00, 0xD8, 'x', 0, 0x00, 0xDC, 0x00, 0xD8};  // high, x, low, high
  const std::wstring text = decode(lone);
  ASSERT_EQ(text.size(), 4u);
  EXPECT_EQ(static_cast<std::uint32_t>(text[0]), 0xD800u);
  EXPECT_EQ(static_cast<std::uint32_t>(text[2]), 0xDC00u);
  EXPECT_EQ(WideText::toUtf16Bytes(text), lone);
}

TEST(WideTextTest, CharactersUtf16CannotCarryBecomeReplacement) {
  if constexpr (sizeof(wchar_t) == 4) {
    const std::wstring text{static_cast<wchar_t>(0x110000), static_cast<wchar_t>(-1)};
    EXPECT_EQ(WideText::toUtf16Bytes(text), (Bytes{0xFD, 0xFF, 0xFD, 0xFF}));
  } else {
    GTEST_SKIP() << "every 16-bit wchar_t is a UTF-16 unit";
  }
}

TEST(WideTextTest, LowerCasingUsesAFixedTable) {
  EXPECT_EQ(WideText::lowerCased(L"TMail.EXE @[`{ 09"), L"tmail.exe @[`{ 09");
  // Latin-1, Latin Extended-A, Greek, Cyrillic, Armenian, full-width.
  EXPECT_EQ(WideText::lowerCased(L"\u00C0\u00DE\u00D7\u00DF\u0100\u0141\u0178\u0130\u0131"),
            L"\u00E0\u00FE\u00D7\u00DF\u0101\u0142\u00FF\u0069\u0131");
  EXPECT_EQ(WideText::lowerCased(L"\u0386\u0391\u03A3\u03A9\u03C9\u0401\u0416\u042F\u0460\u04C0"),
            L"\u03AC\u03B1\u03C3\u03C9\u03C9\u0451\u0436\u044F\u0461\u04CF");
  EXPECT_EQ(WideText::lowerCased(L"\u0531\u1E9E\u1EA0\uFF21\uFF3A\U0001F600"),
            L"\u0561\u00DF\u1EA1\uFF41\uFF5A\U0001F600");
}

}  // namespace
