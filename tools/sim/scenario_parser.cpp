#include "scenario_parser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "text/utf8.h"
#include "trace/line_lexer.h"
#include "trace/touch_trace.h"

namespace Scenario {
namespace {

using Lexer::Cursor;
using Lexer::fail;
using Lexer::parseU32;
using Lexer::parseUnsigned;
using Lexer::quote;
using Lexer::trimmed;

std::wstring wide(std::string_view utf8) {
  // Lines are checked for well-formed UTF-8 before they are parsed, and every
  // piece taken from one ends at an ASCII character or the line's end.
  return Text::fromUtf8(utf8).value_or(std::wstring());
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
    if (byte.empty() || byte.size() > 2 || !Lexer::isHexDigit(byte[0]) ||
        !Lexer::isHexDigit(byte.back())) {
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
      } catch (const Lexer::SyntaxError& failure) {
        result_.errors.push_back({line_, failure.message});
      }
    }
    if (!started_) result_.errors.push_back({line_, "no start line"});
    result_.scenario.endTimeMs = now_;
    return std::move(result_);
  }

 private:
  void parseLine(std::string_view text) {
    if (!Text::fromUtf8(text)) fail("the line is not valid UTF-8");
    Cursor cursor(Lexer::withoutComment(text, Lexer::Quotes::respected));
    if (cursor.atEnd()) return;
    const std::string_view command = cursor.word();
    const Entry* entry = find(command);
    if (entry == nullptr) fail("unknown command " + quote(command));
    if (started_ && command == "start") {
      fail("a second start line (the first is line " + std::to_string(startLine_) + ")");
    }
    if (started_ && entry->command.phase == Phase::setup) {
      fail(quote(command) + " belongs before start");
    }
    if (!started_ && entry->command.phase == Phase::timeline) {
      fail(quote(command) + " belongs after start");
    }
    (this->*entry->parse)(command, cursor);
  }

  // The command table: every command with where it may stand, its syntax and
  // the member that reads the rest of its line.
  struct Entry {
    Command command;
    void (Parser::*parse)(std::string_view command, Cursor& cursor);
  };
  static const std::vector<Entry>& table() {
    static const std::vector<Entry> entries = [] {
      std::vector<Entry> e{
          {{"registry", Phase::anywhere, "registry KEY NAME = VALUE",
            "KEY: HKCU\\path or HKLM\\path; NAME a word or \"quoted\". VALUE: \"text\", a "
            "number (decimal, negative decimal for two's complement, or 0x hex) for a 32-bit "
            "value, [\"a\", \"b\"] for a string list, hex(TYPE):01,00,... raw"},
           &Parser::parseRegistry},
          {{"delete", Phase::anywhere, "delete KEY NAME", "the value is removed"},
           &Parser::parseDelete},
          {{"app", Phase::setup, "app \"EXE\" \"PATH\" class \"C\" title \"T\" [hidden]",
            "a running application with one top-level window"},
           &Parser::parseApp},
          {{"window", Phase::setup, "window \"EXE\" class \"C\" title \"T\" [hidden]",
            "one more top-level window of the latest app with this executable name"},
           &Parser::parseAppWindow},
          {{"program", Phase::setup, "program \"PATH\" class \"C\" title \"T\"",
            "a program that the shell can start"},
           &Parser::parseProgram},
          {{"foreground", Phase::anywhere, "foreground \"T\"",
            "the window with this title comes to the front"},
           &Parser::parseForeground},
          {{"angle", Phase::setup, "angle DEGREES", "the system's rotation"}, &Parser::parseAngle},
          {{"keyboard", Phase::anywhere, "keyboard shown|hidden", "the software keyboard"},
           &Parser::parseKeyboard},
          {{"leds", Phase::setup, "leds COUNT", "the phone's LEDs"}, &Parser::parseLeds},
          {{"overlay", Phase::setup,
            "overlay unsupported | no-colorkey | stretch N | align-source N | align-dest N",
            "the overlay hardware's capabilities"},
           &Parser::parseOverlay},
          {{"fail", Phase::anywhere, "fail FAULT COUNT|always",
            "the next COUNT calls of a platform operation fail (0 ends the failures)"},
           &Parser::parseFault},
          {{"start", Phase::setup, "start", "ZEM starts; the timeline begins at 0 ms"},
           &Parser::parseStart},
      };
      for (const Trace::TraceBuilder::Command& c : Trace::TraceBuilder::commands()) {
        e.push_back({{c.name, Phase::timeline, c.usage, c.description}, &Parser::parseTraceLine});
      }
      const std::vector<Entry> timeline{
          {{"rotate", Phase::timeline, "rotate DEGREES", "the system's \"Angle\" changes"},
           &Parser::parseRotate},
          {{"second-instance", Phase::timeline, "second-instance",
            "a second ZEM starts and runs to its end"},
           &Parser::parseSecondInstance},
          {{"thread-attach", Phase::timeline, "thread-attach",
            "the touch driver starts a thread (the hook library re-reads \"LockTouch\")"},
           &Parser::parseDriverThread},
          {{"thread-detach", Phase::timeline, "thread-detach", "the touch driver ends a thread"},
           &Parser::parseDriverThread},
          {{"notify", Phase::timeline, "notify ID",
            "a registry-change notification with this setting identifier to ZEM's main window"},
           &Parser::parseNotify},
          {{"ctrl+q", Phase::timeline, "ctrl+q", "the user presses Ctrl+Q"}, &Parser::parseCtrlQ},
          {{"expect", Phase::anywhere, "expect [no] TEXT | expect exit CODE",
            "an event-log text that must (or must not) appear; what ZEM's run returns (once)"},
           &Parser::parseExpect},
      };
      e.insert(e.end(), timeline.begin(), timeline.end());
      return e;
    }();
    return entries;
  }
  static const Entry* find(std::string_view command) {
    for (const Entry& entry : table()) {
      if (entry.command.name == command) return &entry;
    }
    return nullptr;
  }

 public:
  static std::vector<Command> commands() {
    std::vector<Command> list;
    for (const Entry& entry : table()) list.push_back(entry.command);
    return list;
  }

 private:
  void parseStart(std::string_view, Cursor& cursor) {
    cursor.requireEnd();
    started_ = true;
    startLine_ = line_;
  }

  void parseDelete(std::string_view, Cursor& cursor) {
    const KeyAndName key = parseKeyAndName(cursor);
    cursor.requireEnd();
    add(DeleteRegistryValue{key.root, key.subKey, key.valueName});
  }

  void parseKeyboard(std::string_view, Cursor& cursor) {
    const std::string_view state = cursor.word();
    if (state != "shown" && state != "hidden") fail("write keyboard shown or keyboard hidden");
    cursor.requireEnd();
    add(SetKeyboard{state == "shown"});
  }

  void parseApp(std::string_view, Cursor& cursor) {
    AddApp app;
    app.exeFile = wide(cursor.quoted("executable name"));
    app.modulePath = wide(cursor.quoted("program path"));
    parseWindow(cursor, app.className, app.title, &app.visible);
    appTitles_.push_back(app.title);
    appExes_.push_back(app.exeFile);
    add(std::move(app));
  }

  void parseAppWindow(std::string_view, Cursor& cursor) {
    AddWindow window;
    window.exeFile = wide(cursor.quoted("executable name"));
    if (std::find(appExes_.begin(), appExes_.end(), window.exeFile) == appExes_.end()) {
      fail("no app line before has the executable " + quote(Text::toUtf8(window.exeFile)));
    }
    parseWindow(cursor, window.className, window.title, &window.visible);
    appTitles_.push_back(window.title);
    add(std::move(window));
  }

  void parseProgram(std::string_view, Cursor& cursor) {
    AddProgram program;
    program.path = wide(cursor.quoted("program path"));
    parseWindow(cursor, program.className, program.title, nullptr);
    programTitles_.push_back(program.title);
    add(std::move(program));
  }

  // `angle` before start, `rotate` after it: the system's "Angle".
  void parseAngle(std::string_view, Cursor& cursor) {
    const auto degrees = parseU32(cursor.requireWord("angle"), "angle");
    cursor.requireEnd();
    add(SetAngle{degrees});
  }
  void parseRotate(std::string_view command, Cursor& cursor) { parseAngle(command, cursor); }

  void parseLeds(std::string_view, Cursor& cursor) {
    const auto count = parseU32(cursor.requireWord("LED count"), "LED count");
    cursor.requireEnd();
    add(SetLedCount{count});
  }

  void parseSecondInstance(std::string_view, Cursor& cursor) {
    cursor.requireEnd();
    add(StartSecondInstance{});
  }

  void parseCtrlQ(std::string_view, Cursor& cursor) {
    cursor.requireEnd();
    add(PressCtrlQ{});
  }

  void parseDriverThread(std::string_view command, Cursor& cursor) {
    cursor.requireEnd();
    add(DriverThread{command == "thread-attach"});
  }

  void parseNotify(std::string_view, Cursor& cursor) {
    const auto identifier = parseU32(cursor.requireWord("setting identifier"), "identifier");
    cursor.requireEnd();
    add(NotifySetting{identifier});
  }

  void parseExpect(std::string_view, Cursor& cursor) {
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

  void parseRegistry(std::string_view, Cursor& cursor) {
    KeyAndName key = parseKeyAndName(cursor);
    if (!cursor.acceptChar('=')) fail("missing = after the value name");
    RegistryValue value = parseValue(cursor);
    add(SetRegistryValue{key.root, std::move(key.subKey), std::move(key.valueName),
                         std::move(value)});
  }

  void parseForeground(std::string_view, Cursor& cursor) {
    const std::wstring title = wide(cursor.quoted("window title"));
    cursor.requireEnd();
    const auto known = [&title](const std::vector<std::wstring>& titles) {
      return std::find(titles.begin(), titles.end(), title) != titles.end();
    };
    // Before start only running apps have windows; later a started program
    // may have one too.
    if (!known(appTitles_) && (!started_ || !known(programTitles_))) {
      fail(std::string("no ") + (started_ ? "app or program" : "app") + " has the title " +
           quote(Text::toUtf8(title)));
    }
    add(SetForeground{title});
  }

  void parseFault(std::string_view, Cursor& cursor) {
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

  void parseOverlay(std::string_view, Cursor& cursor) {
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
  void parseTraceLine(std::string_view command, Cursor& cursor) {
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

std::vector<Command> commands() { return Parser::commands(); }

}  // namespace Scenario
