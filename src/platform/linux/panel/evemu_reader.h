// Reads evemu recordings of input devices: first the description lines
//   N: name    I: bus vendor product version    P: property bytes
//   B: type bytes    A: code min max fuzz flat [resolution]
// then one event a line: `E: <sec>.<usec> <type hex> <code hex> <value>`.
// `#` starts a comment. A description may also come from a separate .desc
// file read first; the description lines of a later file are then checked
// but not used.
//
// A line that cannot be read is reported with its number and skipped. An
// event of a code the description does not declare is not an error: it is
// kept, and the frame assembly ignores it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/panel/frame_assembler.h"
#include "platform/linux/panel/panel_description.h"

struct EvemuProblem {
  std::string file;
  int line = 0;
  std::string message;
};

struct EvemuRecording {
  PanelDescription description;
  bool hasDescription = false;     // a description line was read
  std::vector<PanelEvent> events;  // in file order; times in µs as recorded
  std::vector<EvemuProblem> problems;
};

// Reads one file's text into `recording` (description and events are added
// to what earlier files gave). `file` names the text in problems.
void readEvemu(std::string_view text, const std::string& file, EvemuRecording& recording);

// Reads the file at `path`; false (with a problem recorded) when it cannot be
// opened.
bool readEvemuFile(const std::string& path, EvemuRecording& recording);
