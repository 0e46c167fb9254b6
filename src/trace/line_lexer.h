// The lexer of the line-based text formats (touch traces and the scenarios
// that embed them): comments, words, double-quoted texts and numbers. A
// parser reads each line through a Cursor; what is wrong is thrown as a
// SyntaxError, which the parser turns into a problem of that line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Lexer {

struct SyntaxError {
  std::string message;
};

[[noreturn]] void fail(std::string message);

// `"text"`, for messages.
std::string quote(std::string_view text);

// Space, tab, vertical tab, form feed and carriage return (the rest of a
// CR LF line end).
constexpr bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view trimmed(std::string_view text);

// The line without its comment: `#` at the start or after white space and,
// when `quotes` is set, outside double quotes.
enum class Quotes { plain, respected };
std::string_view withoutComment(std::string_view line, Quotes quotes);

// Decimal, or hexadecimal after 0x; at most `max`. `what` names the number
// in the message.
std::uint64_t parseUnsigned(std::string_view token, std::uint64_t max, const char* what);
std::uint32_t parseU32(std::string_view token, const char* what);

// Reads the words of one line.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool atEnd();
  // The next character after white space, or '\0' at the end.
  char peek();
  // The next run of characters up to white space or one of `stops`.
  std::string_view word(std::string_view stops = {});
  std::string_view peekWord();
  // Takes the next word when it is `keyword`.
  bool accept(std::string_view keyword);
  // Takes the next character when it is `c`.
  bool acceptChar(char c);
  std::string_view requireWord(const char* what);
  // A double-quoted text; `""` inside stands for one quote, and backslashes
  // are ordinary characters.
  std::string quoted(const char* what);
  // The rest of the line without the white space around it.
  std::string_view rest();
  void requireEnd();

 private:
  void skipSpace();

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace Lexer
