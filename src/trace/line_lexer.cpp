#include "trace/line_lexer.h"

#include <utility>

namespace Lexer {

void fail(std::string message) { throw SyntaxError{std::move(message)}; }

std::string quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view withoutComment(std::string_view line, Quotes quotes) {
  bool inQuotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"' && quotes == Quotes::respected) {
      inQuotes = !inQuotes;
    } else if (line[i] == '#' && !inQuotes && (i == 0 || isSpace(line[i - 1]))) {
      return line.substr(0, i);
    }
  }
  return line;
}

std::uint64_t parseUnsigned(std::string_view token, std::uint64_t max, const char* what) {
  const std::string shown = std::string(what) + " " + quote(token);
  unsigned base = 10;
  std::string_view digits = token;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty()) fail("bad " + shown);
  std::uint64_t value = 0;
  for (const char c : digits) {
    unsigned digit = 0;
    if (isDigit(c)) {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      fail("bad " + shown);
    }
    if (value > (max - digit) / base)
      fail(shown + " is too large (at most " + std::to_string(max) + ")");
    value = value * base + digit;
  }
  return value;
}

std::uint32_t parseU32(std::string_view token, const char* what) {
  return static_cast<std::uint32_t>(parseUnsigned(token, UINT32_MAX, what));
}

bool Cursor::atEnd() {
  skipSpace();
  return pos_ >= text_.size();
}

char Cursor::peek() {
  skipSpace();
  return pos_ < text_.size() ? text_[pos_] : '\0';
}

std::string_view Cursor::word(std::string_view stops) {
  skipSpace();
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !isSpace(text_[pos_]) &&
         stops.find(text_[pos_]) == std::string_view::npos) {
    ++pos_;
  }
  return text_.substr(start, pos_ - start);
}

std::string_view Cursor::peekWord() {
  const std::size_t saved = pos_;
  const std::string_view w = word();
  pos_ = saved;
  return w;
}

bool Cursor::accept(std::string_view keyword) {
  if (peekWord() != keyword) return false;
  word();
  return true;
}

bool Cursor::acceptChar(char c) {
  if (peek() != c) return false;
  ++pos_;
  return true;
}

std::string_view Cursor::requireWord(const char* what) {
  const std::string_view w = word();
  if (w.empty()) fail(std::string("missing ") + what);
  return w;
}

std::string Cursor::quoted(const char* what) {
  if (!acceptChar('"')) {
    if (atEnd()) fail(std::string("missing ") + what);
    fail(std::string(what) + " must be in double quotes, not " + quote(peekWord()));
  }
  std::string text;
  while (pos_ < text_.size()) {
    const char c = text_[pos_++];
    if (c != '"') {
      text.push_back(c);
    } else if (pos_ < text_.size() && text_[pos_] == '"') {
      text.push_back('"');
      ++pos_;
    } else {
      return text;
    }
  }
  fail(std::string(what) + " lacks its closing quote");
}

std::string_view Cursor::rest() {
  skipSpace();
  std::string_view r = text_.substr(pos_);
  while (!r.empty() && isSpace(r.back())) r.remove_suffix(1);
  return r;
}

void Cursor::requireEnd() {
  if (!atEnd()) fail("unexpected " + quote(rest()));
}

void Cursor::skipSpace() {
  while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
}

}  // namespace Lexer
