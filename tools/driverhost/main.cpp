// zem-touchhost: a touch driver for desktop Windows that keeps the contract
// the touch hook library relies on, and plays recorded touch traces through
// it in real time.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver_host.h"
#include "host_log.h"
#include "pointer_relay.h"
#include "text/utf8.h"
#include "trace/touch_trace.h"

namespace {

constexpr char usageText[] =
    R"(Usage: zem-touchhost [OPTIONS] [TRACE]
Keep the touch driver's contract for the hook library: watch the switch
"MultiTouchDemo" under HKLM\HARDWARE\DEVICEMAP\TOUCH, load the library while it
is on and attach it afresh after every re-arm. Play the samples of TRACE
(wait, sample, stroke and tap lines) in real time through gMultipointHook, and
pass every sample whose count the hook left non-zero on as mouse input (the
first point presses, moves and releases the left button). TRACE "-" reads
trace file names from standard input, one a line, and plays each in turn until
the input ends. Without TRACE the host keeps the driver running until it is
ended.

Options:
  --library PATH          the hook library (default: Quillon.dll next to this program)
  --wait-for-window TITLE before playing, wait until a top-level window with this
                          title exists and the library was loaded after it appeared
  --wait-timeout MS       give up waiting after MS milliseconds (default 30000)
  --stay                  keep the driver running after the trace has been played
  --log FILE              append the log to FILE (default: standard output)
  -h, --help              print this help and exit

Exit status: 0 when every trace was played, 1 when a wait timed out, 2 on a
usage error or a bad trace, 3 when the touch key cannot be opened.
)";

enum ExitCode { exitPlayed = 0, exitTimedOut = 1, exitUsage = 2, exitNoKey = 3 };

struct Options {
  std::wstring library;
  std::wstring waitTitle;
  std::uint32_t waitTimeoutMs = 30000;
  bool stay = false;
  bool help = false;
  std::wstring logFile;
  std::wstring trace;
};

bool parseOptions(const std::vector<std::wstring>& args, Options& options, std::string& error) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const auto value = [&](std::wstring& target) {
      if (i + 1 >= args.size()) {
        error = Text::toUtf8(arg) + " needs a value";
        return false;
      }
      target = args[++i];
      return true;
    };
    if (arg == L"--library") {
      if (!value(options.library)) return false;
    } else if (arg == L"--wait-for-window") {
      if (!value(options.waitTitle)) return false;
    } else if (arg == L"--log") {
      if (!value(options.logFile)) return false;
    } else if (arg == L"--wait-timeout") {
      std::wstring text;
      if (!value(text)) return false;
      wchar_t* end = nullptr;
      const unsigned long ms = std::wcstoul(text.c_str(), &end, 10);
      if (text.empty() || *end != L'\0' || text[0] == L'-' || ms > 0xFFFFFFFFul) {
        error = "--wait-timeout needs milliseconds";
        return false;
      }
      options.waitTimeoutMs = static_cast<std::uint32_t>(ms);
    } else if (arg == L"--stay") {
      options.stay = true;
    } else if (arg == L"-h" || arg == L"--help") {
      options.help = true;
    } else if (arg.size() > 1 && arg[0] == L'-') {
      error = "unknown option " + Text::toUtf8(arg);
      return false;
    } else if (options.trace.empty()) {
      options.trace = arg;
    } else {
      error = "only one trace file";
      return false;
    }
  }
  return true;
}

std::vector<std::wstring> commandLineArguments() {
  int count = 0;
  LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  if (list == nullptr) return args;
  for (int i = 0; i < count; ++i) args.emplace_back(list[i]);
  LocalFree(list);
  return args;
}

std::wstring defaultLibraryPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return L"Quillon.dll";
    if (length < buffer.size()) {
      return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path() /
             L"Quillon.dll";
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool readFile(const std::wstring& path, std::string& text) {
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) return false;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// Absolute mouse coordinates address the primary screen in 65536 steps per
// axis; aiming at the pixel's centre lands on that pixel however the
// platform rounds.
LONG normalized(std::int32_t pixel, int extent) {
  if (extent <= 0) return 0;
  const long long value = (2LL * pixel + 1) * 65536 / (2LL * extent);
  return static_cast<LONG>(value < 0 ? 0 : value > 65535 ? 65535 : value);
}

void sendPointer(const PointerEvent& event) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = normalized(event.x, GetSystemMetrics(SM_CXSCREEN));
  input.mi.dy = normalized(event.y, GetSystemMetrics(SM_CYSCREEN));
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  if (event.kind == PointerEvent::Kind::down) input.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  if (event.kind == PointerEvent::Kind::up) input.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof(input));
}

const char* kindName(PointerEvent::Kind kind) {
  switch (kind) {
    case PointerEvent::Kind::down:
      return "down";
    case PointerEvent::Kind::move:
      return "move";
    case PointerEvent::Kind::up:
      return "up";
  }
  return "?";
}

std::string describeSample(std::size_t index, const Trace::TimedSample& timed,
                           const MultipointSample& after, bool hooked) {
  const MultipointSample& s = timed.sample;
  const auto point = [](std::uint32_t x, std::uint32_t y) {
    return std::to_string(x / 4) + "," + std::to_string(y / 4);
  };
  std::string text = "sample " + std::to_string(index) + " (line " + std::to_string(timed.line) +
                     ", " + std::to_string(timed.timeMs) + " ms) count " +
                     std::to_string(s.pointCount);
  if (s.pointCount != 0) text += " at " + point(s.firstX, s.firstY);
  if (s.pointCount >= 2) text += " and " + point(s.secondX, s.secondY);
  text += after.pointCount != 0 ? " -> passed" : " -> withheld";
  if (!hooked) text += " (no library)";
  return text;
}

// Waits until the host is ready or the time is up.
bool waitUntilReady(TouchDriverHost& host, std::uint32_t timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (host.ready()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void play(const Trace::Trace& trace, TouchDriverHost& host, HostLog& log) {
  log.line("playing " + std::to_string(trace.samples.size()) + " samples over " +
           std::to_string(trace.endTimeMs) + " ms");
  PointerRelay relay;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < trace.samples.size(); ++i) {
    const Trace::TimedSample& timed = trace.samples[i];
    // A late sample is played at once, never dropped: recognition depends on
    // every point, not on the timing.
    std::this_thread::sleep_until(start + std::chrono::milliseconds(timed.timeMs));
    bool hooked = false;
    const MultipointSample after = host.feed(timed.sample, hooked);
    log.line(describeSample(i + 1, timed, after, hooked));
    PointerEvent event;
    if (relay.relay(after, event)) {
      sendPointer(event);
      log.line(std::string("pointer ") + kindName(event.kind) + " " + std::to_string(event.x) +
               "," + std::to_string(event.y));
    }
  }
  std::this_thread::sleep_until(start + std::chrono::milliseconds(trace.endTimeMs));
  // A trace that ends with a finger down must not leave the button pressed.
  PointerEvent event;
  if (relay.relay(MultipointSample{}, event)) {
    sendPointer(event);
    log.line("pointer up at the end of the trace");
  }
  log.line("played");
}

// Reads and checks a trace file; problems go to standard error.
bool loadTrace(const std::wstring& path, Trace::Trace& trace) {
  std::string text;
  const std::string name = Text::toUtf8(path);
  if (!readFile(path, text)) {
    std::fprintf(stderr, "zem-touchhost: cannot read %s\n", name.c_str());
    return false;
  }
  Trace::ParseResult parsed = Trace::parseTrace(text);
  for (const Trace::Error& error : parsed.errors) {
    std::fprintf(stderr, "%s:%d: %s\n", name.c_str(), error.line, error.message.c_str());
  }
  if (!parsed.errors.empty()) return false;
  trace = std::move(parsed.trace);
  return true;
}

// Waits for the window and the library (when asked to), then plays.
int waitAndPlay(const Options& options, const Trace::Trace& trace, TouchDriverHost& host,
                HostLog& log) {
  if (!options.waitTitle.empty()) {
    const std::string title = Text::toUtf8(options.waitTitle);
    if (!waitUntilReady(host, options.waitTimeoutMs)) {
      log.line("gave up waiting for the window \"" + title + "\" and the library");
      std::fprintf(stderr, "zem-touchhost: no window \"%s\" with the library loaded after %u ms\n",
                   title.c_str(), options.waitTimeoutMs);
      return exitTimedOut;
    }
    log.line("window \"" + title + "\" and library ready");
  }
  play(trace, host, log);
  return exitPlayed;
}

// Trace file names from standard input, one a line, each played in turn
// until the input ends. A bad trace is reported and skipped.
int playFromInput(const Options& options, TouchDriverHost& host, HostLog& log) {
  char buffer[4096];
  int result = exitPlayed;
  while (std::fgets(buffer, sizeof(buffer), stdin) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty()) continue;
    const std::optional<std::wstring> path = Text::fromUtf8(line);
    Trace::Trace trace;
    if (!path || !loadTrace(*path, trace)) {
      log.line("bad trace " + line);
      result = exitUsage;
      continue;
    }
    log.line("trace " + line);
    const int played = waitAndPlay(options, trace, host, log);
    if (played != exitPlayed) result = played;
  }
  log.line("end of input");
  return result;
}

HANDLE stopRequested = nullptr;

BOOL WINAPI onConsoleControl(DWORD /*type*/) {
  SetEvent(stopRequested);
  return TRUE;
}

int run(const Options& options) {
  std::FILE* logFile = nullptr;
  if (!options.logFile.empty()) {
    logFile = _wfopen(options.logFile.c_str(), L"ab");
    if (logFile == nullptr) {
      std::fprintf(stderr, "zem-touchhost: cannot open the log %s\n",
                   Text::toUtf8(options.logFile).c_str());
      return exitUsage;
    }
  }
  HostLog log(logFile);

  const bool fromInput = options.trace == L"-";
  Trace::Trace trace;
  if (!options.trace.empty() && !fromInput && !loadTrace(options.trace, trace)) return exitUsage;

  const std::wstring library = options.library.empty() ? defaultLibraryPath() : options.library;
  log.line("started, library " + Text::toUtf8(library));
  TouchDriverHost host(library, options.waitTitle, log);
  if (!host.start()) return exitNoKey;

  int result = exitPlayed;
  if (fromInput) {
    result = playFromInput(options, host, log);
  } else if (!options.trace.empty()) {
    result = waitAndPlay(options, trace, host, log);
  }
  if (!options.trace.empty() && !options.stay) return result;
  stopRequested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(onConsoleControl, TRUE);
  WaitForSingleObject(stopRequested, INFINITE);
  log.line("stopped");
  return result;
}

}  // namespace

int main() {
  Options options;
  std::string error;
  if (!parseOptions(commandLineArguments(), options, error)) {
    std::fprintf(stderr, "zem-touchhost: %s\n%s", error.c_str(), usageText);
    return exitUsage;
  }
  if (options.help) {
    std::fputs(usageText, stdout);
    return 0;
  }
  return run(options);
}
