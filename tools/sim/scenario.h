// A scenario: a simulated phone's set-up, a timed sequence of touch samples
// and events, and the event-log texts that must (or must not) appear while ZEM
// runs on that phone.
//
// The text format is read by parseScenario (scenario_parser.h); the scenario
// runner (scenario_runner.h) plays it. This header is only the parsed form
// and the expectation check, so that both can be tested without a phone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "hook/multipoint_sample.h"
#include "ports/registry_port.h"

namespace Scenario {

struct RegistryValue {
  enum class Kind { dword, string, stringList, raw };
  Kind kind = Kind::dword;
  std::uint32_t number = 0;         // dword
  std::wstring text;                // string
  std::vector<std::wstring> list;   // stringList
  Registry::ValueType rawType = 0;  // raw
  std::vector<std::uint8_t> bytes;  // raw
};

struct SetRegistryValue {
  Registry::Root root = 0;
  std::wstring subKey;
  std::wstring valueName;
  RegistryValue value;
};

struct DeleteRegistryValue {
  Registry::Root root = 0;
  std::wstring subKey;
  std::wstring valueName;
};

// A running application: a process with one top-level window.
struct AddApp {
  std::wstring exeFile;  // as the process snapshot names it
  std::wstring modulePath;
  std::wstring className;
  std::wstring title;
  bool visible = true;
};

// One more top-level window of a running application (the latest `app`
// line with this executable name).
struct AddWindow {
  std::wstring exeFile;
  std::wstring className;
  std::wstring title;
  bool visible = true;
};

// A program that the shell can start (not running yet).
struct AddProgram {
  std::wstring path;
  std::wstring className;
  std::wstring title;
};

// Brings the window with this title to the front.
struct SetForeground {
  std::wstring title;
};

// The system's rotation value "Angle", in degrees.
struct SetAngle {
  std::uint32_t degrees = 0;
};

struct SetKeyboard {
  bool shown = false;
};

struct SetLedCount {
  std::uint32_t count = 0;
};

// Changes to the overlay hardware's capabilities; unset fields stay.
struct SetOverlayCaps {
  bool unsupported = false;                 // no overlay at all
  bool noColorKey = false;                  // no source colour keying
  std::optional<std::uint32_t> minStretch;  // thousandths
  std::optional<std::uint32_t> alignSource;
  std::optional<std::uint32_t> alignDest;
};

// The next `count` calls of a platform operation fail; a negative count makes
// every call fail, 0 ends the failures. The name is the phone's fault name.
struct InjectFault {
  std::string name;
  int count = 0;
};

// One sample handed to the touch driver.
struct FeedSample {
  MultipointSample sample;
};

// A second copy of ZEM starts on the same phone and runs to its end.
struct StartSecondInstance {};

// The touch driver starts (attach) or ends (detach) a thread: the loaded hook
// library gets the thread notification (an attach re-reads "LockTouch").
struct DriverThread {
  bool attach = true;
};

// A registry-change notification with this setting identifier reaches ZEM's
// main window, whether or not ZEM knows the identifier.
struct NotifySetting {
  std::uint32_t identifier = 0;
};

struct PressCtrlQ {};

using Action =
    std::variant<SetRegistryValue, DeleteRegistryValue, AddApp, AddWindow, AddProgram,
                 SetForeground, SetAngle, SetKeyboard, SetLedCount, SetOverlayCaps, InjectFault,
                 FeedSample, StartSecondInstance, PressCtrlQ, DriverThread, NotifySetting>;

struct Step {
  int line = 0;              // of the scenario text, from 1
  std::uint64_t timeMs = 0;  // virtual time; 0 for every set-up step
  Action action;
};

// `expect TEXT` (absent = false) or `expect no TEXT` (absent = true).
struct Expectation {
  int line = 0;
  bool absent = false;
  std::string text;  // UTF-8, as the event log keeps its texts
};

// `expect exit CODE`: what ZEM's run must return.
struct ExitExpectation {
  int line = 0;
  std::int32_t code = 0;
};

struct Scenario {
  std::vector<Step> setup;     // file order, applied before ZEM starts
  std::vector<Step> timeline;  // file order, which is also time order
  std::vector<Expectation> expectations;
  std::optional<ExitExpectation> exitCode;
  std::uint64_t endTimeMs = 0;  // the virtual time after the last timeline line
};

// A problem found in a scenario text or in a run, tied to a line (0: none).
struct Problem {
  int line = 0;
  std::string message;
};

// One entry of the event log as the expectations see it.
struct LogLine {
  std::uint64_t timeMs = 0;
  std::string text;
};

// Checks the expectations, in order, against the log (oldest entry first):
//   - `expect TEXT` matches the first entry with exactly TEXT after the entry
//     matched by the previous `expect` (from the first entry for the first);
//   - `expect no TEXT` fails when an entry with TEXT lies after the previous
//     `expect`'s match and before the next `expect`'s match (or the end).
// An unmet `expect` is reported and the next one searches from the same place.
std::vector<Problem> checkExpectations(const std::vector<Expectation>& expectations,
                                       const std::vector<LogLine>& log);

}  // namespace Scenario
