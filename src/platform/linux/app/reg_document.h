// A settings file in the registry editor's text format, as ZEM.reg is
// written: the header line "Windows Registry Editor Version 5.00", [key]
// sections, and one value per entry:
//
//   "name"="text"            type 1, stored as UTF-16LE without terminator
//   "name"=dword:0000002a    type 4, 4 bytes (1 to 8 hex digits)
//   "name"=hex:01,02         type 3; hex(n):... any type n (hex(7) lists)
//   @=...                    the key's unnamed value
//   "name"=-   [-key]        deletions, applied in file order
//
// Hex data may continue on the next lines after a trailing backslash.
// Blank lines and lines starting with ';' are comments. Key paths and value
// names are compared without regard to case; a later entry wins over an
// earlier one. The file may be UTF-8 (with or without a BOM) or UTF-16LE
// with a BOM.
//
// The document keeps every line as read. set() rewrites only the entry of
// that value (or adds one to the key's section, or a new section at the
// end), and serialize() gives back the same encoding, BOM and line endings,
// so comments, order and every other value stay as the user wrote them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/registry_port.h"

struct RegValue {
  Registry::ValueType type = 0;
  std::vector<std::uint8_t> data;

  friend bool operator==(const RegValue& a, const RegValue& b) {
    return a.type == b.type && a.data == b.data;
  }
  friend bool operator!=(const RegValue& a, const RegValue& b) { return !(a == b); }
};

// A key's full name: its root and the path below it.
struct RegKeyName {
  Registry::Root root = 0;
  std::wstring subKey;  // "Software\ZEM": no leading, trailing or double backslash
};

class RegDocument {
 public:
  struct Error {
    std::size_t line = 0;  // 1-based
    std::string what;
  };

  // An empty document; serialize() gives "" until a value is set.
  RegDocument() = default;

  // The document of a file's bytes, or nothing with the first error.
  static std::optional<RegDocument> parse(const std::string& bytes, Error& error);

  std::string serialize() const;

  // Case-insensitive key for maps: the root and the folded path.
  static std::wstring fold(const RegKeyName& key);
  // True when `subKey` is a well-formed path (see RegKeyName).
  static bool validPath(const std::wstring& subKey);
  // "HKEY_CURRENT_USER\Software\ZEM".
  static std::string keyText(const RegKeyName& key);

  bool hasKey(const RegKeyName& key) const;
  // Makes the key exist in memory; its section is written with its first value.
  void createKey(const RegKeyName& key);
  const RegValue* find(const RegKeyName& key, const std::wstring& valueName) const;
  // Stores the value and rewrites the text of its entry only.
  void set(const RegKeyName& key, const std::wstring& valueName, const RegValue& value);

  // Every value, by folded key and folded name (for comparisons).
  using Values = std::map<std::wstring, std::map<std::wstring, RegValue>>;
  const Values& values() const { return values_; }

 private:
  enum class Encoding { utf8, utf8Bom, utf16Bom };
  enum class Kind { other, header, section, deletedSection, value };

  // One logical entry: its physical lines (several for continued hex data).
  struct Entry {
    Kind kind = Kind::other;
    std::vector<std::string> lines;
    std::wstring key;   // folded key of a section or a value
    std::wstring name;  // folded value name
  };

  static std::vector<std::string> valueLines(const std::wstring& name, const RegValue& value);

  std::vector<Entry> entries_;
  Values values_;
  std::map<std::wstring, RegKeyName> keys_;     // by folded key, as first spelled
  std::map<std::wstring, std::wstring> names_;  // value names as spelled, by "key|name"
  Encoding encoding_ = Encoding::utf8;
  bool crlf_ = false;
  bool finalNewline_ = true;
};
