// Reads evemu recordings of input devices (evemu-record's text format):
//
//   N: <name>                         the device's name
//   I: <bus> <vendor> <product> <version>        hex
//   P: <byte> ...                     INPUT_PROP_* bit mask, 8 bytes a line
//   B: <type> <byte> ...              event codes of a type, 8 bytes a line;
//                                     lines of the same type continue the mask
//   A: <code> <min> <max> <fuzz> <flat> [<resolution>]
//   E: <sec>.<usec> <type> <code> <value>        type and code in hex
//
// '#' starts a comment (also after an E: line's fields). A recording is the
// description followed by its events; a .desc file is the description alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct EvemuAxis {
  std::uint16_t code = 0;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t fuzz = 0;
  std::int32_t flat = 0;
  std::int32_t resolution = 0;
};

struct EvemuEvent {
  std::int64_t timeUs = 0;  // as recorded, in microseconds
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
};

struct EvemuDevice {
  std::string name;
  std::uint16_t bus = 0;
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;
  std::vector<std::uint8_t> properties;
  std::vector<std::vector<std::uint8_t>> codes;  // indexed by event type
  std::vector<EvemuAxis> axes;

  bool hasProperty(unsigned property) const;
  bool hasType(unsigned type) const;
  bool hasCode(unsigned type, unsigned code) const;
  const EvemuAxis* axis(unsigned code) const;
  // Declares a type or a code (for devices built in code, e.g. a keyboard).
  void addCode(unsigned type, unsigned code);
};

struct EvemuRecording {
  EvemuDevice device;
  std::vector<EvemuEvent> events;
};

// The recording in `path`; nullopt with `file:line: what` in `error` when a
// line cannot be read. The device has no name when the file has no
// description.
std::optional<EvemuRecording> readEvemu(const std::string& path, std::string& error);

// A recording of events whose description may be in a file of its own: when
// `NAME.WHAT.events` describes no device, `NAME.desc` beside it is read.
std::optional<EvemuRecording> readEvemuWithDescription(const std::string& path, std::string& error);
