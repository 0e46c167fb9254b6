// Reading scenario text.
//
// The format is line-based UTF-8. `#` starts a comment when it stands at the
// start of a line or after white space, outside double quotes; blank lines
// are ignored. Text in double quotes is taken literally (backslashes are
// ordinary characters, as in registry paths); `""` inside quotes is one `"`.
//
// Set-up lines, before `start`:
//   registry KEY NAME = VALUE      KEY: HKCU\path or HKLM\path; NAME a word or
//                                  "quoted". VALUE: "text", a number (decimal,
//                                  negative decimal for two's complement, or
//                                  0x hex) for a 32-bit value, ["a", "b"] for
//                                  a string list, hex(TYPE):01,00,... raw
//   delete KEY NAME
//   app "exe" "path" class "C" title "T" [hidden]
//   window "exe" class "C" title "T" [hidden]
//                                  one more top-level window of the latest
//                                  app with this executable name
//   program "path" class "C" title "T"
//   foreground "T"    angle DEGREES    keyboard shown|hidden    leds COUNT
//   overlay unsupported | no-colorkey | stretch N | align-source N | align-dest N
//   fail FAULT COUNT|always
//   start
// Timeline lines, after `start`. Each happens at the current virtual time
// (0 at `start`); `wait`, `stroke` and `tap` move it on:
//   wait MS
//   sample COUNT [X1 Y1 [X2 Y2]]   a raw driver sample, quarter pixels
//   stroke PATH [and PATH] [in MS] [every MS]
//       PATH: X,Y -> X,Y [-> X,Y ...] [via X,Y ...], pixels. Via points lie
//       between the first and the last point. Each finger moves at constant
//       speed along its path for the duration (default 300 ms); a sample
//       every interval (default 10 ms) and one at the end, then a release
//       sample (count 0) one interval later, which is the new current time.
//   tap X,Y [for MS] [every MS]    a finger held still (default 100 ms),
//                                  sampled like a stroke
//   registry ..., delete ..., foreground "T", keyboard shown|hidden,
//   fail ... as in the set-up
//   rotate DEGREES                 the system's "Angle" changes
//   second-instance                a second ZEM starts and runs to its end
//   thread-attach | thread-detach  the touch driver starts or ends a thread
//   notify ID                      a registry-change notification with this
//                                  setting identifier to ZEM's main window
//   ctrl+q
//   expect TEXT | expect no TEXT   (anywhere; see checkExpectations)
//   expect exit CODE               what ZEM's run returns (once, anywhere)
#pragma once

#include <string_view>
#include <vector>

#include "scenario.h"

namespace Scenario {

struct ParseResult {
  Scenario scenario;
  std::vector<Problem> errors;  // empty when the text is a valid scenario
};

// Every malformed line is reported; the rest is still read.
ParseResult parseScenario(std::string_view text);

}  // namespace Scenario
