#include "platform/linux/app/reg_document.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "linux_test_support.h"
#include "text/utf16.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const RegKeyName zemKey{Registry::currentUser, L"Software\\ZEM"};

RegDocument parsed(const std::string& text) {
  RegDocument::Error error;
  auto document = RegDocument::parse(text, error);
  EXPECT_TRUE(document.has_value()) << error.line << ": " << error.what;
  return document ? *document : RegDocument();
}

Bytes utf16(const std::u32string& text) { return Text::utf32ToUtf16Bytes(text); }

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A write changes only its own entry (the name keeps the file's spelling, a
// list loses its continuation line); new values join their section, new keys
// come last.
TEST(RegDocumentTest, SetRewritesOnlyItsEntryAndNewValuesJoinTheirSection) {
  RegDocument document = parsed(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
      "\"A\"=\"1\"\n\"List\"=hex(7):61,00,\\\n  00,00,00,00\n; trailing comment\n\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"B\"=\"2\"\n");
  document.set(zemKey, L"a", RegValue{Registry::typeString, utf16(U"one")});
  document.set(zemKey, L"LIST",
               RegValue{Registry::typeMultiString, utf16(std::u32string(U"b\0\0", 3))});
  document.set(zemKey, L"C", RegValue{Registry::typeString, utf16(U"3")});
  document.set(RegKeyName{Registry::localMachine, L"System\\GDI\\Rotation"}, L"Angle",
               RegValue{Registry::typeDword, {0x0E, 0x01, 0, 0}});
  EXPECT_EQ(document.serialize(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
            "\"A\"=\"one\"\n\"List\"=hex(7):62,00,00,00,00,00\n\"C\"=\"3\"\n; trailing comment\n\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\n\"B\"=\"2\"\n\n"
            "[HKEY_LOCAL_MACHINE\\System\\GDI\\Rotation]\n\"Angle\"=dword:0000010e\n");

  // The shipped file reads, and back byte for byte.
  const std::string shipped = readFile(std::string(ZEM_TEST_DATA_DIR) + "/../../resources/ZEM.reg");
  EXPECT_EQ(parsed(shipped).serialize(), shipped);

  // Found by fuzzing: a last line of a lone CR and no final line end.
  RegDocument lastLineCr = parsed("Windows Registry Editor Version 5.00\r\n\r");
  lastLineCr.set(zemKey, L"ShowOverlay", RegValue{Registry::typeDword, {0, 0, 0, 0}});
  EXPECT_NE(parsed(lastLineCr.serialize()).find(zemKey, L"ShowOverlay"), nullptr);

  RegDocument empty;
  empty.set(zemKey, L"ShowOverlay", RegValue{Registry::typeDword, {0, 0, 0, 0}});
  EXPECT_EQ(empty.serialize(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\ZEM]\n"
            "\"ShowOverlay\"=dword:00000000\n");
}

TEST(RegDocumentTest, EveryValueWrittenReadsBackWithTheSameBytes) {
  Bytes longList;
  for (int i = 0; i < 100; ++i) longList.push_back(static_cast<std::uint8_t>(i));
  const RegValue values[] = {
      {Registry::typeString, utf16(U"C:\\Program Files\\\"quoted\" \U0001F600 \u00e4")},
      {Registry::typeString, utf16(std::u32string(U"with terminator\0", 16))},
      {Registry::typeString, utf16(U"two\nlines")},
      {Registry::typeString, {0x00, 0xD8}},  // an unpaired surrogate
      {Registry::typeString, {'o', 0, 'd'}},
      {Registry::typeString, {}},
      {Registry::typeDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {Registry::typeDword, {0x34, 0x12}},
      {Registry::typeMultiString, longList},
      {3, {}},
      {11, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const RegValue& value : values) {
    RegDocument document;
    document.set(zemKey, L"Name \"with\" \\", value);
    const RegDocument again = parsed(document.serialize());
    ASSERT_NE(again.find(zemKey, L"name \"WITH\" \\"), nullptr) << document.serialize();
    EXPECT_EQ(*again.find(zemKey, L"Name \"with\" \\"), value) << document.serialize();
    for (const std::string& line : lines(document.serialize())) EXPECT_LE(line.size(), 80u);
  }
}

TEST(RegDocumentTest, Utf16AndBomFilesKeepTheirEncodingAndLineEnds) {
  const auto utf16File = [](const std::u32string& text) {
    const Bytes units = Text::utf32ToUtf16Bytes(text);
    return "\xFF\xFE" + std::string(units.begin(), units.end());
  };
  const std::u32string start =
      U"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
      U"; \u00fcber\r\n\"Square\"=";
  RegDocument document = parsed(utf16File(start + U"\"C:\\\\Programme\\\\Rechner.exe\"\r\n"));
  EXPECT_EQ(*document.find(zemKey, L"Square"),
            (RegValue{Registry::typeString, utf16(U"C:\\Programme\\Rechner.exe")}));
  document.set(zemKey, L"Square", RegValue{Registry::typeString, utf16(U"x")});
  EXPECT_EQ(document.serialize(), utf16File(start + U"\"x\"\r\n"));

  const std::string bom = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n";
  EXPECT_EQ(parsed(bom).serialize(), bom);

  // Mixed ends (a file edited on both systems) stay as they were, line by line.
  const std::string mixed =
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
      "\"A\"=\"1\"\n\"B\"=\"2\"\r\n\"C\"=\"3\"";
  RegDocument edited = parsed(mixed);
  edited.set(zemKey, L"B", RegValue{Registry::typeString, utf16(U"two")});
  edited.set(zemKey, L"D", RegValue{Registry::typeString, utf16(U"4")});
  EXPECT_EQ(edited.serialize(),
            "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
            "\"A\"=\"1\"\n\"B\"=\"two\"\r\n\"C\"=\"3\"\n\"D\"=\"4\"\r\n");
}

TEST(RegDocumentTest, LaterEntriesWinAndDeletionsApplyInOrder) {
  const RegDocument document = parsed(
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\Software\\ZEM]\n\"A\"=\"1\"\n\"a\"=\"2\"\n\"B\"=\"1\"\n\"B\"=-\n"
      "[hkey_current_user\\software\\zem\\Sub]\n\"C\"=\"1\"\n"
      "[-HKEY_CURRENT_USER\\Software\\ZEM\\sub]\n\"D\"=\"ignored\"\n"
      "[HKEY_CURRENT_USER\\Software\\ZEM]\n@=dword:2a\n");
  EXPECT_EQ(*document.find(zemKey, L"A"), (RegValue{Registry::typeString, utf16(U"2")}));
  EXPECT_EQ(document.find(zemKey, L"B"), nullptr);
  EXPECT_FALSE(document.hasKey(RegKeyName{Registry::currentUser, L"Software\\ZEM\\Sub"}));
  EXPECT_EQ(*document.find(zemKey, L""), (RegValue{Registry::typeDword, {42, 0, 0, 0}}));
}

TEST(RegDocumentTest, AFileThatDoesNotParseNamesItsLine) {
  const std::string header = "Windows Registry Editor Version 5.00\n";
  const struct {
    std::string text;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"REGEDIT4\n", 1, "first line"},
      {"\n\n[HKEY_CURRENT_USER\\Software]\n", 3, "first line"},
      {header + "\"A\"=\"1\"\n", 2, "outside a [key]"},
      {header + "[HKEY_NOWHERE\\Software]\n", 2, "unknown root key"},
      {header + "[HKEY_CURRENT_USER\\Software\\\\ZEM]\n", 2, "malformed key path"},
      {header + "[HKEY_CURRENT_USER\\Software\n", 2, "end with ']'"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:123456789\n", 3, "1 to 8 hex"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=\"C:\\Windows\"\n", 3, "backslash"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=\"open\n", 3, "closing quote"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=\"x\" y\n", 3, "after the closing quote"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=hex(7):00,\\\n  0g\n", 4, "hex bytes"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=hex:01,\\\n", 3, "no line follows"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=hex(z):01\n", 3, "hex type"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\" \"B\"\n", 3, "expected '='"},
      {header + "[HKEY_CURRENT_USER\\Software]\n\"A\"=yes\n", 3, "after '='"},
      {header + "[HKEY_CURRENT_USER\\Software]\nShowOverlay=1\n", 3, "expected [key]"},
      {header + "; caf\xE9\n", 2, "not UTF-8"},
      {"\xFF\xFE\x41", 1, "UTF-16"},
  };
  for (const auto& c : cases) {
    RegDocument::Error error;
    EXPECT_FALSE(RegDocument::parse(c.text, error).has_value()) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.what.find(c.what), std::string::npos) << c.text << " -> " << error.what;
  }
}

}  // namespace
