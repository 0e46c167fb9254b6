#include "scenario_parser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "trace/touch_trace.h"
#include "utf8.h"

namespace Scenario {
namespace {

struct ParseFailure {
  std::string message;
};

[[noreturn]] void fail(std::string message) { throw ParseFailure{std::move(message)}; }

std::string quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The line without its comment: `#` at the start or after white space,
// outside double quotes.
std::string_view withoutComment(std::string_view line) {
  bool inQuotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      inQuotes = !inQuotes;
    } else if (line[i] == '#' && !inQuotes && (i == 0 || isSpace(line[i - 1]))) {
      return line.substr(0, i);
    }
  }
  return line;
}

std::wstring wide(std::string_view utf8) {
  // Lines are checked for well-formed UTF-8 before they are parsed, and every
  // piece taken from one ends at an ASCII character or the line's end.
  return Utf8::toWide(utf8).value_or(std::wstring());
}

// Reads the words of one line.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool atEnd() {
    skipSpace();
    return pos_ >= text_.size();
  }
  char peek() {
    skipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  // The next run of characters up to white space or one of `stops`.
  std::string_view word(std::string_view stops = {}) {
    skipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSpace(text_[pos_]) &&
           stops.find(text_[pos_]) == std::string_view::npos) {
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }
  std::string_view peekWord() {
    const std::size_t saved = pos_;
    const std::string_view w = word();
    pos_ = saved;
    return w;
  }
  bool accept(std::string_view keyword) {
    if (peekWord() != keyword) return false;
    word();
    return true;
  }
  bool acceptChar(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  std::string_view requireWord(const char* what) {
    const std::string_view w = word();
    if (w.empty()) fail(std::string("missing ") + what);
    return w;
  }
  // A double-quoted text; `""` inside stands for one quote.
  std::string quoted(const char* what) {
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
  std::string_view rest() {
    skipSpace();
    std::string_view r = text_.substr(pos_);
    while (!r.empty() && isSpace(r.back())) r.remove_suffix(1);
    return r;
  }
  void requireEnd() {
    if (!atEnd()) fail("unexpected " + quote(rest()));
  }

 private:
  void skipSpace() {
    while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Decimal, or hexadecimal after 0x; at most `max`.
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
  return static_cast<std::uint32_t>(
      parseUnsigned(token, std::numeric_limits<std::uint32_t>::max(), what));
}

// A 32-bit registry number: unsigned, or negative decimal for its two's
// complement (so that -1 stands for 0xFFFFFFFF).
std::uint32_t parseDword(std::string_view token) {
  if (!token.empty() && token[0] == '-') {
    const std::uint64_t magnitude = parseUnsigned(token.substr(1), 0x80000000u, "number");
    return static_cast<std::uint32_t>(0x100000000ull - magnitude) & 0xFFFFFFFFu;
  }
  return parseU32(token, "number");
}

Registry::Root parseRoot(std::string_view name) {
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
  if (upper == "HKCU" || upper == "HKEY_CURRENT_USER") return Registry::currentUser;
  if (upper == "HKLM" || upper == "HKEY_LOCAL_MACHINE") return Registry::localMachine;
  fail("unknown registry root " + quote(name) + " (HKCU or HKLM)");
}

struct KeyAndName {
  Registry::Root root = 0;
  std::wstring subKey;
  std::wstring valueName;
};

// KEY NAME, where KEY is ROOT\sub\key and either may be quoted.
KeyAndName parseKeyAndName(Cursor& cursor) {
  const std::string key =
      cursor.peek() == '"' ? cursor.quoted("registry key") : std::string(cursor.word());
  if (key.empty()) fail("missing registry key");
  const std::size_t slash = key.find('\\');
  if (slash == std::string::npos) fail("registry key " + quote(key) + " needs a sub-key");
  KeyAndName result;
  result.root = parseRoot(std::string_view(key).substr(0, slash));
  const std::string subKey = key.substr(slash + 1);
  if (subKey.empty() || subKey.front() == '\\' || subKey.back() == '\\' ||
      subKey.find("\\\\") != std::string::npos) {
    fail("registry key " + quote(key) + " has an empty part");
  }
  result.subKey = wide(subKey);
  if (cursor.peek() == '"') {
    result.valueName = wide(cursor.quoted("value name"));
  } else {
    const std::string_view name = cursor.word("=");
    if (name.empty()) fail("missing value name");
    result.valueName = wide(name);
  }
  return result;
}

// hex(TYPE):01,02,...
RegistryValue parseRaw(std::string_view text) {
  const std::size_t close = text.find(')');
  if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
    fail("bad raw value " + quote(text) + " (write hex(TYPE):01,02,...)");
  }
  RegistryValue value;
  value.kind = RegistryValue::Kind::raw;
  value.rawType = parseU32(text.substr(4, close - 4), "value type");
  std::string_view bytes = trimmed(text.substr(close + 2));
  while (!bytes.empty()) {
    const std::size_t comma = bytes.find(',');
    const std::string_view byte = trimmed(bytes.substr(0, comma));
    if (byte.empty() || byte.size() > 2 || !isHexDigit(byte[0]) || !isHexDigit(byte.back())) {
      fail("bad byte " + quote(byte) + " in a raw value (two hex digits each)");
    }
    value.bytes.push_back(static_cast<std::uint8_t>(std::stoul(std::string(byte), nullptr, 16)));
    if (comma == std::string_view::npos) break;
    bytes.remove_prefix(comma + 1);
    if (trimmed(bytes).empty()) fail("a raw value ends in a comma");
  }
  return value;
}

RegistryValue parseValue(Cursor& cursor) {
  RegistryValue value;
  const char first = cursor.peek();
  if (first == '"') {
    value.kind = RegistryValue::Kind::string;
    value.text = wide(cursor.quoted("string value"));
  } else if (first == '[') {
    cursor.acceptChar('[');
    value.kind = RegistryValue::Kind::stringList;
    if (!cursor.acceptChar(']')) {
      do {
        value.list.push_back(wide(cursor.quoted("list entry")));
      } while (cursor.acceptChar(','));
      if (!cursor.acceptChar(']')) fail("a string list needs its closing ]");
    }
  } else if (cursor.peekWord().substr(0, 4) == "hex(") {
    value = parseRaw(cursor.rest());
    return value;  // the raw value runs to the end of the line
  } else if (first == '\0') {
    fail("missing value after =");
  } else {
    value.kind = RegistryValue::Kind::dword;
    value.number = parseDword(cursor.word());
  }
  cursor.requireEnd();
  return value;
}

class Parser {
 public:
  ParseResult parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
      ++line_;
      std::size_t end = text.find('\n');
      if (end == std::string_view::npos) end = text.size();
      std::string_view current = text.substr(0, end);
      text.remove_prefix(std::min(end + 1, text.size()));
      if (!current.empty() && current.back() == '\r') current.remove_suffix(1);
      try {
        parseLine(current);
      } catch (const ParseFailure& failure) {
        result_.errors.push_back({line_, failure.message});
      }
    }
    if (!started_) result_.errors.push_back({line_, "no start line"});
    result_.scenario.endTimeMs = now_;
    return std::move(result_);
  }

 private:
  void parseLine(std::string_view text) {
    if (!Utf8::toWide(text)) fail("the line is not valid UTF-8");
    Cursor cursor(withoutComment(text));
    if (cursor.atEnd()) return;
    const std::string command(cursor.word());

    if (command == "expect") {
      parseExpect(cursor);
    } else if (command == "registry") {
      parseRegistry(cursor);
    } else if (command == "delete") {
      const KeyAndName key = parseKeyAndName(cursor);
      cursor.requireEnd();
      add(DeleteRegistryValue{key.root, key.subKey, key.valueName});
    } else if (command == "foreground") {
      parseForeground(cursor);
    } else if (command == "keyboard") {
      const std::string_view state = cursor.word();
      if (state != "shown" && state != "hidden") fail("write keyboard shown or keyboard hidden");
      cursor.requireEnd();
      add(SetKeyboard{state == "shown"});
    } else if (command == "fail") {
      parseFault(cursor);
    } else if (!started_) {
      parseSetupLine(command, cursor);
    } else {
      parseTimelineLine(command, cursor);
    }
  }

  void parseSetupLine(const std::string& command, Cursor& cursor) {
    if (command == "start") {
      cursor.requireEnd();
      started_ = true;
      startLine_ = line_;
    } else if (command == "app") {
      AddApp app;
      app.exeFile = wide(cursor.quoted("executable name"));
      app.modulePath = wide(cursor.quoted("program path"));
      parseWindow(cursor, app.className, app.title, &app.visible);
      appTitles_.push_back(app.title);
      appExes_.push_back(app.exeFile);
      add(std::move(app));
    } else if (command == "window") {
      AddWindow window;
      window.exeFile = wide(cursor.quoted("executable name"));
      if (std::find(appExes_.begin(), appExes_.end(), window.exeFile) == appExes_.end()) {
        fail("no app line before has the executable " + quote(Utf8::fromWide(window.exeFile)));
      }
      parseWindow(cursor, window.className, window.title, &window.visible);
      appTitles_.push_back(window.title);
      add(std::move(window));
    } else if (command == "program") {
      AddProgram program;
      program.path = wide(cursor.quoted("program path"));
      parseWindow(cursor, program.className, program.title, nullptr);
      programTitles_.push_back(program.title);
      add(std::move(program));
    } else if (command == "angle") {
      const auto degrees = parseU32(cursor.requireWord("angle"), "angle");
      cursor.requireEnd();
      add(SetAngle{degrees});
    } else if (command == "leds") {
      const auto count = parseU32(cursor.requireWord("LED count"), "LED count");
      cursor.requireEnd();
      add(SetLedCount{count});
    } else if (command == "overlay") {
      parseOverlay(cursor);
    } else if (isTimelineCommand(command)) {
      fail(quote(command) + " belongs after start");
    } else {
      fail("unknown command " + quote(command));
    }
  }

  void parseTimelineLine(const std::string& command, Cursor& cursor) {
    if (Trace::TraceBuilder::isTraceCommand(command)) {
      parseTraceLine(command, cursor);
    } else if (command == "rotate") {
      const auto degrees = parseU32(cursor.requireWord("angle"), "angle");
      cursor.requireEnd();
      add(SetAngle{degrees});
    } else if (command == "second-instance") {
      cursor.requireEnd();
      add(StartSecondInstance{});
    } else if (command == "ctrl+q") {
      cursor.requireEnd();
      add(PressCtrlQ{});
    } else if (command == "thread-attach" || command == "thread-detach") {
      cursor.requireEnd();
      add(DriverThread{command == "thread-attach"});
    } else if (command == "notify") {
      const auto identifier = parseU32(cursor.requireWord("setting identifier"), "identifier");
      cursor.requireEnd();
      add(NotifySetting{identifier});
    } else if (command == "start") {
      fail("a second start line (the first is line " + std::to_string(startLine_) + ")");
    } else if (isSetupCommand(command)) {
      fail(quote(command) + " belongs before start");
    } else {
      fail("unknown command " + quote(command));
    }
  }

  static bool isTimelineCommand(const std::string& command) {
    return Trace::TraceBuilder::isTraceCommand(command) || command == "rotate" ||
           command == "second-instance" || command == "ctrl+q" || command == "thread-attach" ||
           command == "thread-detach" || command == "notify";
  }
  static bool isSetupCommand(const std::string& command) {
    return command == "app" || command == "window" || command == "program" || command == "angle" ||
           command == "leds" || command == "overlay";
  }

  void parseExpect(Cursor& cursor) {
    Expectation expectation;
    expectation.line = line_;
    if (cursor.peekWord() == "exit") {
      cursor.word();
      const std::string_view code = cursor.requireWord("exit code");
      cursor.requireEnd();
      if (result_.scenario.exitCode) {
        fail("a second expect exit (the first is line " +
             std::to_string(result_.scenario.exitCode->line) + ")");
      }
      std::int32_t value = 0;
      if (!code.empty() && code[0] == '-') {
        value = -static_cast<std::int32_t>(parseUnsigned(code.substr(1), 0x7FFFFFFF, "exit code"));
      } else {
        value = static_cast<std::int32_t>(parseUnsigned(code, 0x7FFFFFFF, "exit code"));
      }
      result_.scenario.exitCode = ExitExpectation{line_, value};
      return;
    }
    if (cursor.peekWord() == "no") {
      cursor.word();
      expectation.absent = true;
    }
    expectation.text = std::string(cursor.rest());
    if (expectation.text.empty()) fail("expect needs the text of an event");
    result_.scenario.expectations.push_back(std::move(expectation));
  }

  void parseRegistry(Cursor& cursor) {
    KeyAndName key = parseKeyAndName(cursor);
    if (!cursor.acceptChar('=')) fail("missing = after the value name");
    RegistryValue value = parseValue(cursor);
    add(SetRegistryValue{key.root, std::move(key.subKey), std::move(key.valueName),
                         std::move(value)});
  }

  void parseForeground(Cursor& cursor) {
    const std::wstring title = wide(cursor.quoted("window title"));
    cursor.requireEnd();
    const auto known = [&title](const std::vector<std::wstring>& titles) {
      return std::find(titles.begin(), titles.end(), title) != titles.end();
    };
    // Before start only running apps have windows; later a started program
    // may have one too.
    if (!known(appTitles_) && (!started_ || !known(programTitles_))) {
      fail(std::string("no ") + (started_ ? "app or program" : "app") + " has the title " +
           quote(Utf8::fromWide(title)));
    }
    add(SetForeground{title});
  }

  void parseFault(Cursor& cursor) {
    InjectFault fault;
    fault.name = std::string(cursor.requireWord("fault name"));
    const std::string_view count = cursor.requireWord("count (or always)");
    cursor.requireEnd();
    fault.count =
        count == "always"
            ? -1
            : static_cast<int>(parseUnsigned(
                  count, static_cast<std::uint64_t>(std::numeric_limits<int>::max()), "count"));
    add(std::move(fault));
  }

  // class "C" title "T" [hidden], in any order.
  static void parseWindow(Cursor& cursor, std::wstring& className, std::wstring& title,
                          bool* visible) {
    bool haveClass = false;
    bool haveTitle = false;
    while (!cursor.atEnd()) {
      const std::string_view keyword = cursor.word();
      if (keyword == "class" && !haveClass) {
        className = wide(cursor.quoted("class name"));
        haveClass = true;
      } else if (keyword == "title" && !haveTitle) {
        title = wide(cursor.quoted("window title"));
        haveTitle = true;
      } else if (keyword == "hidden" && visible != nullptr && *visible) {
        *visible = false;
      } else {
        fail("unexpected " + quote(keyword));
      }
    }
    if (!haveClass) fail("missing class \"...\"");
    if (!haveTitle) fail("missing title \"...\"");
  }

  void parseOverlay(Cursor& cursor) {
    SetOverlayCaps caps;
    if (cursor.atEnd()) fail("missing overlay setting");
    while (!cursor.atEnd()) {
      const std::string_view option = cursor.word();
      if (option == "unsupported") {
        caps.unsupported = true;
      } else if (option == "no-colorkey") {
        caps.noColorKey = true;
      } else if (option == "stretch") {
        caps.minStretch = parseU32(cursor.requireWord("stretch"), "stretch");
      } else if (option == "align-source") {
        caps.alignSource = parseU32(cursor.requireWord("alignment"), "alignment");
      } else if (option == "align-dest") {
        caps.alignDest = parseU32(cursor.requireWord("alignment"), "alignment");
      } else {
        fail("unknown overlay setting " + quote(option));
      }
    }
    add(caps);
  }

  // wait, sample, stroke and tap: the touch trace's lines.
  void parseTraceLine(const std::string& command, Cursor& cursor) {
    trace_.setNow(now_);
    std::string problem = trace_.add(command, cursor.rest(), line_);
    if (!problem.empty()) fail(std::move(problem));
    for (const Trace::TimedSample& timed : trace_.takeSamples()) {
      result_.scenario.timeline.push_back(Step{line_, timed.timeMs, FeedSample{timed.sample}});
    }
    now_ = trace_.now();
  }

  void add(Action action) {
    Step step{line_, started_ ? now_ : 0, std::move(action)};
    (started_ ? result_.scenario.timeline : result_.scenario.setup).push_back(std::move(step));
  }

  ParseResult result_;
  int line_ = 0;
  bool started_ = false;
  int startLine_ = 0;
  std::uint64_t now_ = 0;
  Trace::TraceBuilder trace_{"scenario"};
  std::vector<std::wstring> appTitles_;
  std::vector<std::wstring> appExes_;
  std::vector<std::wstring> programTitles_;
};

}  // namespace

ParseResult parseScenario(std::string_view text) { return Parser().parse(text); }

}  // namespace Scenario
