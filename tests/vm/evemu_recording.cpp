#include "evemu_recording.h"

#include <fstream>
#include <sstream>

namespace {

bool testBit(const std::vector<std::uint8_t>& mask, unsigned bit) {
  return bit / 8 < mask.size() && ((static_cast<unsigned>(mask[bit / 8]) >> (bit % 8)) & 1U) != 0;
}

void setBit(std::vector<std::uint8_t>& mask, unsigned bit) {
  if (mask.size() <= bit / 8) mask.resize(bit / 8 + 1, 0);
  mask[bit / 8] = static_cast<std::uint8_t>(mask[bit / 8] | (1U << (bit % 8)));
}

bool readHexBytes(std::istringstream& in, std::vector<std::uint8_t>& out) {
  std::string word;
  while (in >> word) {
    std::size_t used = 0;
    unsigned long byte = 0;
    try {
      byte = std::stoul(word, &used, 16);
    } catch (const std::exception&) {
      return false;
    }
    if (used != word.size() || byte > 0xff) return false;
    out.push_back(static_cast<std::uint8_t>(byte));
  }
  return true;
}

bool readHex16(std::istringstream& in, std::uint16_t& out) {
  unsigned long value = 0;
  if (!(in >> std::hex >> value) || value > 0xffff) return false;
  out = static_cast<std::uint16_t>(value);
  in >> std::dec;
  return true;
}

// "<sec>.<usec>" with exactly six digits after the point.
bool readTime(const std::string& word, std::int64_t& us) {
  const std::size_t dot = word.find('.');
  if (dot == std::string::npos || dot == 0 || word.size() - dot - 1 != 6) return false;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (i == dot) continue;
    if (word[i] < '0' || word[i] > '9' || value > INT64_MAX / 10 - 9) return false;
    value = value * 10 + (word[i] - '0');
  }
  us = value;
  return true;
}

bool parseLine(const std::string& line, EvemuRecording& recording) {
  const char kind = line[0];
  std::istringstream in(line.substr(2));
  EvemuDevice& device = recording.device;
  switch (kind) {
    case 'N':
      device.name = line.size() > 3 ? line.substr(3) : "";
      return !device.name.empty();
    case 'I':
      return readHex16(in, device.bus) && readHex16(in, device.vendor) &&
             readHex16(in, device.product) && readHex16(in, device.version);
    case 'P':
      return readHexBytes(in, device.properties);
    case 'B': {
      std::vector<std::uint8_t> bytes;
      if (!readHexBytes(in, bytes) || bytes.empty() || bytes[0] > 0x1f) return false;
      auto& mask = device.codes;
      if (mask.size() <= bytes[0]) mask.resize(bytes[0] + 1U);
      mask[bytes[0]].insert(mask[bytes[0]].end(), bytes.begin() + 1, bytes.end());
      return true;
    }
    case 'A': {
      EvemuAxis axis;
      if (!readHex16(in, axis.code) || axis.code > 0x3f) return false;
      if (!(in >> axis.minimum >> axis.maximum >> axis.fuzz >> axis.flat)) return false;
      if (!(in >> axis.resolution)) axis.resolution = 0;  // older recordings have five fields
      device.axes.push_back(axis);
      return axis.minimum <= axis.maximum;
    }
    case 'E': {
      EvemuEvent event;
      std::string time;
      std::uint16_t type = 0;
      std::uint16_t code = 0;
      if (!(in >> time) || !readTime(time, event.timeUs) || !readHex16(in, type) ||
          !readHex16(in, code) || !(in >> event.value)) {
        return false;
      }
      event.type = type;
      event.code = code;
      recording.events.push_back(event);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

bool EvemuDevice::hasProperty(unsigned property) const { return testBit(properties, property); }

bool EvemuDevice::hasType(unsigned type) const {
  if (type >= codes.size()) return false;
  for (std::uint8_t byte : codes[type]) {
    if (byte != 0) return true;
  }
  return false;
}

bool EvemuDevice::hasCode(unsigned type, unsigned code) const {
  return type < codes.size() && testBit(codes[type], code);
}

const EvemuAxis* EvemuDevice::axis(unsigned code) const {
  for (const EvemuAxis& a : axes) {
    if (a.code == code) return &a;
  }
  return nullptr;
}

void EvemuDevice::addCode(unsigned type, unsigned code) {
  if (codes.size() <= type) codes.resize(type + 1U);
  setBit(codes[type], code);
}

std::optional<EvemuRecording> readEvemu(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) {
    error = path + ": cannot open";
    return std::nullopt;
  }
  EvemuRecording recording;
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
      line.pop_back();
    }
    if (line.empty()) continue;
    if (line.size() < 2 || line[1] != ':' || !parseLine(line, recording)) {
      error = path + ":" + std::to_string(number) + ": cannot read '" + line + "'";
      return std::nullopt;
    }
  }
  return recording;
}

std::optional<EvemuRecording> readEvemuWithDescription(const std::string& path,
                                                       std::string& error) {
  auto recording = readEvemu(path, error);
  if (!recording || !recording->device.name.empty()) return recording;
  // Try the names before each dot, longest first: "A.b.c.events" looks for
  // "A.b.c.desc", "A.b.desc", then "A.desc".
  std::string stem = path.substr(0, path.rfind('.'));
  const std::size_t folder = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
  for (;;) {
    const std::string desc = stem + ".desc";
    if (std::ifstream(desc)) {
      auto description = readEvemu(desc, error);
      if (!description) return std::nullopt;
      recording->device = std::move(description->device);
      break;
    }
    const std::size_t dot = stem.rfind('.');
    if (dot == std::string::npos || dot < folder) break;
    stem.erase(dot);
  }
  if (recording->device.name.empty()) {
    error = path + ": no device description (N: line), in the file or in a .desc beside it";
    return std::nullopt;
  }
  return recording;
}
