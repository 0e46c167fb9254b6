#include "platform/linux/app/reg_document.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

#include "text/lower_case.h"
#include "text/utf16.h"
#include "text/utf8.h"

namespace {

constexpr const char* fileHeader = "Windows Registry Editor Version 5.00";
constexpr std::size_t hexLineWidth = 80;  // characters, as the registry editor wraps

struct RootName {
  const char* name;
  Registry::Root root;
};
constexpr RootName roots[] = {
    {"HKEY_CURRENT_USER", Registry::currentUser},
    {"HKEY_LOCAL_MACHINE", Registry::localMachine},
    {"HKEY_CLASSES_ROOT", 0x80000000},
    {"HKEY_USERS", 0x80000003},
    {"HKEY_CURRENT_CONFIG", 0x80000005},
};

struct ParseError {
  std::string what;
};

std::string withoutCr(const std::string& line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// Lines written by ZEM end as the file's lines do.
std::vector<std::string> ended(std::vector<std::string> lines, bool crlf) {
  if (crlf) {
    for (std::string& line : lines) line += '\r';
  }
  return lines;
}

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::wstring wide(const std::u32string& text) { return std::wstring(text.begin(), text.end()); }

// "[HKEY_...\path]" without the brackets and the deletion mark.
RegKeyName parseKeyName(const std::string& text) {
  const std::size_t slash = text.find('\\');
  const std::string rootText = upper(text.substr(0, slash));
  const RootName* root = nullptr;
  for (const RootName& candidate : roots) {
    if (rootText == candidate.name) root = &candidate;
  }
  if (root == nullptr) throw ParseError{"unknown root key '" + text.substr(0, slash) + "'"};
  RegKeyName key;
  key.root = root->root;
  if (slash != std::string::npos) key.subKey = Text::fromUtf8Lossy(text.substr(slash + 1));
  if (!RegDocument::validPath(key.subKey)) throw ParseError{"malformed key path '" + text + "'"};
  return key;
}

// A quoted text starting at text[pos] == '"'; pos ends after the quote.
std::u32string parseQuoted(const std::string& text, std::size_t& pos) {
  std::string raw;
  for (++pos; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '"') {
      ++pos;
      // The whole file was checked already.
      return Text::utf8ToUtf32(raw).value_or(std::u32string());
    }
    if (c == '\\') {
      if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"')) {
        throw ParseError{"a backslash in quotes must be doubled (\\\\) or escape a quote (\\\")"};
      }
      ++pos;
    }
    raw.push_back(text[pos]);
  }
  throw ParseError{"missing closing quote"};
}

void expectEnd(const std::string& text, std::size_t pos, const char* after) {
  if (!trimmed(text.substr(pos)).empty()) {
    throw ParseError{std::string("unexpected text after ") + after};
  }
}

// Comma-separated hex bytes; a trailing backslash continues on the next
// line (`more` is set).
void parseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes, bool& more) {
  std::string rest = trimmed(text);
  more = !rest.empty() && rest.back() == '\\';
  if (more) rest = trimmed(rest.substr(0, rest.size() - 1));
  std::size_t pos = 0;
  while (pos < rest.size()) {
    const std::size_t comma = rest.find(',', pos);
    const std::string item = trimmed(rest.substr(pos, comma - pos));
    if (item.empty() && comma == std::string::npos) break;  // "01,02," ends the line
    if (item.empty() || item.size() > 2 || hexDigit(item[0]) < 0 ||
        (item.size() == 2 && hexDigit(item[1]) < 0)) {
      throw ParseError{"expected hex bytes like 0a,ff, found '" + item + "'"};
    }
    int value = hexDigit(item[0]);
    if (item.size() == 2) value = value * 16 + hexDigit(item[1]);
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
}

std::string escapedQuoted(const std::u32string& text) {
  std::string out = "\"";
  for (const char32_t c : text) {
    if (c == U'\\' || c == U'"') out.push_back('\\');
    out += Text::utf32ToUtf8(std::u32string_view(&c, 1));
  }
  out.push_back('"');
  return out;
}

// The text of a string value when the quoted form carries its bytes exactly.
std::optional<std::u32string> plainText(const RegValue& value) {
  if (value.type != Registry::typeString || value.data.size() % 2 != 0) return std::nullopt;
  std::optional<std::u32string> text =
      Text::utf16BytesToUtf32(value.data.data(), value.data.size());
  if (!text) return std::nullopt;
  for (const char32_t c : *text) {
    if (c == 0 || c == U'\r' || c == U'\n') return std::nullopt;
  }
  return text;
}

}  // namespace

std::wstring RegDocument::fold(const RegKeyName& key) {
  return std::to_wstring(key.root) + L":" + Text::lowerCased(key.subKey);
}

bool RegDocument::validPath(const std::wstring& subKey) {
  if (subKey.empty()) return true;
  if (subKey.front() == L'\\' || subKey.back() == L'\\') return false;
  return subKey.find(L"\\\\") == std::wstring::npos;
}

std::string RegDocument::keyText(const RegKeyName& key) {
  std::string text = "HKEY_UNKNOWN";
  for (const RootName& root : roots) {
    if (root.root == key.root) text = root.name;
  }
  if (!key.subKey.empty()) text += "\\" + Text::toUtf8(key.subKey);
  return text;
}

std::optional<RegDocument> RegDocument::parse(const std::string& bytes, Error& error) {
  RegDocument document;
  std::string text;
  error = Error{};
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    document.encoding_ = Encoding::utf16Bom;
    const std::optional<std::u32string> points =
        bytes.size() % 2 != 0
            ? std::nullopt
            : Text::utf16BytesToUtf32(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2,
                                      bytes.size() - 2);
    if (!points) {
      error = Error{1, "malformed UTF-16 text"};
      return std::nullopt;
    }
    text = Text::utf32ToUtf8(*points);
  } else {
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
      document.encoding_ = Encoding::utf8Bom;
      text = bytes.substr(3);
    } else {
      text = bytes;
    }
    std::size_t bad = 0;
    if (!Text::utf8ToUtf32(text, &bad)) {
      std::size_t line = 1;
      for (std::size_t i = 0; i < bad; ++i)
        if (text[i] == '\n') ++line;
      error = Error{line, "not UTF-8 text (save the file as UTF-8 or UTF-16)"};
      return std::nullopt;
    }
  }

  // Physical lines without their '\n'; a '\r' before it stays with the line
  // (as read), and is left out only for parsing.
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool terminated = end != std::string::npos;
    if (!terminated) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') document.crlf_ = true;
    lines.push_back(std::move(line));
    document.finalNewline_ = terminated;
    start = end + 1;
  }

  bool headerSeen = false;
  const std::wstring* currentKey = nullptr;  // null: outside a section or in a deleted one
  bool inDeletedSection = false;
  std::wstring currentKeyStorage;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t lineNumber = i + 1;
    Entry entry;
    entry.lines.push_back(lines[i]);
    const std::string line = trimmed(withoutCr(lines[i]));
    try {
      if (line.empty() || line[0] == ';') {
        entry.kind = Kind::other;
      } else if (!headerSeen) {
        if (line != fileHeader) {
          throw ParseError{std::string("the first line must be \"") + fileHeader + "\""};
        }
        headerSeen = true;
        entry.kind = Kind::header;
      } else if (line[0] == '[') {
        if (line.back() != ']') throw ParseError{"a key line must end with ']'"};
        std::string inner = line.substr(1, line.size() - 2);
        const bool deletion = !inner.empty() && inner[0] == '-';
        if (deletion) inner.erase(0, 1);
        const RegKeyName key = parseKeyName(inner);
        const std::wstring folded = fold(key);
        entry.key = folded;
        if (deletion) {
          entry.kind = Kind::deletedSection;
          // The key and every key below it.
          const std::wstring below = folded + L"\\";
          for (auto it = document.keys_.begin(); it != document.keys_.end();) {
            if (it->first == folded || it->first.compare(0, below.size(), below) == 0) {
              document.values_.erase(it->first);
              it = document.keys_.erase(it);
            } else {
              ++it;
            }
          }
          currentKey = nullptr;
          inDeletedSection = true;
        } else {
          entry.kind = Kind::section;
          document.keys_.emplace(folded, key);
          document.values_[folded];
          currentKeyStorage = folded;
          currentKey = &currentKeyStorage;
          inDeletedSection = false;
        }
      } else if (line[0] == '"' || line[0] == '@') {
        if (currentKey == nullptr && !inDeletedSection) {
          throw ParseError{"a value outside a [key] section"};
        }
        std::size_t pos = 0;
        std::u32string name;
        if (line[0] == '@') {
          pos = 1;
        } else {
          name = parseQuoted(line, pos);
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') throw ParseError{"expected '=' after the name"};
        ++pos;
        const std::string data = trimmed(line.substr(pos));
        std::optional<RegValue> value;
        if (data == "-") {
          value = std::nullopt;
        } else if (!data.empty() && data[0] == '"') {
          std::size_t textPos = 0;
          const std::u32string textValue = parseQuoted(data, textPos);
          expectEnd(data, textPos, "the closing quote");
          value = RegValue{Registry::typeString, Text::utf32ToUtf16Bytes(textValue)};
        } else if (startsWith(data, "dword:")) {
          const std::string digits = data.substr(6);
          std::uint32_t number = 0;
          if (digits.empty() || digits.size() > 8) {
            throw ParseError{"dword: needs 1 to 8 hex digits"};
          }
          for (const char c : digits) {
            if (hexDigit(c) < 0) throw ParseError{"dword: needs 1 to 8 hex digits"};
            number = number * 16 + static_cast<std::uint32_t>(hexDigit(c));
          }
          value = RegValue{
              Registry::typeDword,
              {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
               static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}};
        } else if (startsWith(data, "hex")) {
          Registry::ValueType type = 3;
          std::size_t colon = 3;
          if (data.size() > 3 && data[3] == '(') {
            const std::size_t close = data.find(')');
            const std::string digits = close == std::string::npos ? "" : data.substr(4, close - 4);
            if (digits.empty() || digits.size() > 8) throw ParseError{"hex(n): needs a hex type"};
            type = 0;
            for (const char c : digits) {
              if (hexDigit(c) < 0) throw ParseError{"hex(n): needs a hex type"};
              type = type * 16 + static_cast<std::uint32_t>(hexDigit(c));
            }
            colon = close + 1;
          }
          if (colon >= data.size() || data[colon] != ':')
            throw ParseError{"expected ':' after hex"};
          RegValue hexValue{type, {}};
          bool more = false;
          parseHexBytes(data.substr(colon + 1), hexValue.data, more);
          while (more) {
            if (i + 1 >= lines.size()) {
              throw ParseError{"the hex data ends with '\\' but no line follows"};
            }
            ++i;
            entry.lines.push_back(lines[i]);
            try {
              parseHexBytes(withoutCr(lines[i]), hexValue.data, more);
            } catch (const ParseError& inner) {
              error = Error{i + 1, inner.what};
              return std::nullopt;
            }
          }
          value = std::move(hexValue);
        } else {
          throw ParseError{"expected \"text\", dword:, hex: or - after '='"};
        }
        entry.kind = Kind::value;
        if (currentKey != nullptr) {
          entry.key = *currentKey;
          entry.name = Text::lowerCased(wide(name));
          auto& values = document.values_[*currentKey];
          if (value) {
            values[entry.name] = *value;
          } else {
            values.erase(entry.name);
          }
          document.names_[*currentKey + L"|" + entry.name] = wide(name);
        }
      } else {
        throw ParseError{"expected [key], \"name\"=value or a ; comment"};
      }
    } catch (const ParseError& failure) {
      error = Error{lineNumber, failure.what};
      return std::nullopt;
    }
    document.entries_.push_back(std::move(entry));
  }
  return document;
}

std::vector<std::string> RegDocument::valueLines(const std::wstring& name, const RegValue& value) {
  std::u32string name32(name.begin(), name.end());
  std::string head = name.empty() ? "@=" : escapedQuoted(name32) + "=";
  if (const auto text = plainText(value)) return {head + escapedQuoted(*text)};
  if (value.type == Registry::typeDword && value.data.size() == 4) {
    char digits[16];
    std::uint32_t number = 0;
    for (std::size_t i = 4; i-- > 0;) number = (number << 8) | value.data[i];
    std::snprintf(digits, sizeof digits, "%08x", number);
    return {head + "dword:" + digits};
  }
  char typeText[24];
  if (value.type == 3) {
    std::snprintf(typeText, sizeof typeText, "hex:");
  } else {
    std::snprintf(typeText, sizeof typeText, "hex(%x):", value.type);
  }
  std::vector<std::string> lines{head + typeText};
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
    const bool last = i + 1 == value.data.size();
    // Room for "xx," and a continuation backslash.
    if (lines.back().size() + 4 > hexLineWidth - 1) {
      lines.back() += "\\";
      lines.emplace_back("  ");
    }
    lines.back() += byte;
    if (!last) lines.back() += ",";
  }
  return lines;
}

std::string RegDocument::serialize() const {
  std::string text;
  const char* end = "\n";
  std::size_t count = 0;
  std::size_t total = 0;
  for (const Entry& entry : entries_) total += entry.lines.size();
  for (const Entry& entry : entries_) {
    for (const std::string& line : entry.lines) {
      text += line;
      ++count;
      if (count < total || finalNewline_) text += end;
    }
  }
  switch (encoding_) {
    case Encoding::utf8:
      return text;
    case Encoding::utf8Bom:
      return "\xEF\xBB\xBF" + text;
    case Encoding::utf16Bom: {
      const std::vector<std::uint8_t> units =
          Text::utf32ToUtf16Bytes(Text::utf8ToUtf32(text).value_or(std::u32string()));
      return "\xFF\xFE" + std::string(units.begin(), units.end());
    }
  }
  return text;
}

bool RegDocument::hasKey(const RegKeyName& key) const { return keys_.count(fold(key)) != 0; }

void RegDocument::createKey(const RegKeyName& key) {
  const std::wstring folded = fold(key);
  keys_.emplace(folded, key);
  values_[folded];
}

const RegValue* RegDocument::find(const RegKeyName& key, const std::wstring& valueName) const {
  const auto values = values_.find(fold(key));
  if (values == values_.end()) return nullptr;
  const auto value = values->second.find(Text::lowerCased(valueName));
  return value == values->second.end() ? nullptr : &value->second;
}

void RegDocument::set(const RegKeyName& key, const std::wstring& valueName, const RegValue& value) {
  const std::wstring folded = fold(key);
  const std::wstring name = Text::lowerCased(valueName);
  keys_.emplace(folded, key);
  values_[folded][name] = value;

  // Entries before the key's last deletion ([-key] of it or a parent) no
  // longer count.
  std::size_t firstLive = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    if (entry.kind == Kind::deletedSection &&
        (entry.key == folded || folded.compare(0, entry.key.size() + 1, entry.key + L"\\") == 0)) {
      firstLive = i + 1;
    }
  }

  // The entry in force (the last one) is rewritten in place, in the
  // spelling the file gave the name.
  const auto spelled = names_.find(folded + L"|" + name);
  const std::wstring shownName = spelled != names_.end() ? spelled->second : valueName;
  for (std::size_t i = entries_.size(); i-- > firstLive;) {
    Entry& entry = entries_[i];
    if (entry.kind == Kind::value && entry.key == folded && entry.name == name) {
      const bool crlf = !entry.lines.front().empty() && entry.lines.front().back() == '\r';
      entry.lines = ended(valueLines(shownName, value), crlf);
      return;
    }
  }
  Entry entry;
  entry.kind = Kind::value;
  entry.key = folded;
  entry.name = name;
  entry.lines = ended(valueLines(valueName, value), crlf_);
  names_[folded + L"|" + name] = valueName;

  // After the last value of the key's last section.
  std::optional<std::size_t> insertAt;
  bool inKey = false;
  for (std::size_t i = firstLive; i < entries_.size(); ++i) {
    const Entry& candidate = entries_[i];
    if (candidate.kind == Kind::section || candidate.kind == Kind::deletedSection) {
      inKey = candidate.kind == Kind::section && candidate.key == folded;
      if (inKey) insertAt = i + 1;
    } else if (candidate.kind == Kind::value && inKey) {
      insertAt = i + 1;
    }
  }
  if (insertAt) {
    // A line added at the very end ends as the others do.
    if (*insertAt == entries_.size()) finalNewline_ = true;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(*insertAt), std::move(entry));
    return;
  }

  // A new section at the end.
  const bool hasHeader = !entries_.empty() && [this] {
    for (const Entry& e : entries_) {
      if (e.kind == Kind::header) return true;
    }
    return false;
  }();
  if (!hasHeader) {
    Entry header;
    header.kind = Kind::header;
    header.lines = ended({fileHeader}, crlf_);
    entries_.insert(entries_.begin(), std::move(header));
  }
  if (!finalNewline_) {
    // The last line gets its end before anything follows it.
    std::string& last = entries_.back().lines.back();
    if (crlf_ && (last.empty() || last.back() != '\r')) last += '\r';
    finalNewline_ = true;
  }
  if (!withoutCr(entries_.back().lines.back()).empty()) {
    entries_.push_back(Entry{Kind::other, ended({""}, crlf_), {}, {}});
  }
  Entry section;
  section.kind = Kind::section;
  section.key = folded;
  section.lines = ended({"[" + keyText(keys_.at(folded)) + "]"}, crlf_);
  entries_.push_back(std::move(section));
  entries_.push_back(std::move(entry));
}
