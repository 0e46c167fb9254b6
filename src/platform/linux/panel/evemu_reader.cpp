#include "platform/linux/panel/evemu_reader.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Splits a line into words; fills at most `max` and returns how many there
// were (more than `max` means too many).
std::size_t words(std::string_view line, std::string_view* out, std::size_t max) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSpace(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t begin = i;
    while (i < line.size() && !isSpace(line[i])) ++i;
    if (count < max) out[count] = line.substr(begin, i - begin);
    ++count;
  }
  return count;
}

template <typename T>
std::optional<T> number(std::string_view word, int base) {
  T value{};
  const char* end = word.data() + word.size();
  if (!word.empty() && word.front() == '+') return std::nullopt;
  const auto result = std::from_chars(word.data(), end, value, base);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

// `<sec>.<usec>` with up to six digits after the point, in µs.
std::optional<std::int64_t> timestamp(std::string_view word) {
  const std::size_t dot = word.find('.');
  const std::string_view secText = word.substr(0, dot);
  const auto sec = number<std::int64_t>(secText, 10);
  if (!sec || *sec < 0 || *sec > std::numeric_limits<std::int64_t>::max() / 1000000 - 1) {
    return std::nullopt;
  }
  std::int64_t usec = 0;
  if (dot != std::string_view::npos) {
    const std::string_view fraction = word.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 6) return std::nullopt;
    const auto digits = number<std::int64_t>(fraction, 10);
    if (!digits || *digits < 0) return std::nullopt;
    usec = *digits;
    for (std::size_t i = fraction.size(); i < 6; ++i) usec *= 10;
  }
  return *sec * 1000000 + usec;
}

class Reader {
 public:
  Reader(const std::string& file, EvemuRecording& recording)
      : file_(file), recording_(recording), useDescription_(!recording.hasDescription) {}

  void line(int number, std::string_view text) {
    line_ = number;
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    std::size_t start = 0;
    while (start < text.size() && isSpace(text[start])) ++start;
    text.remove_prefix(start);
    if (text.empty() || text.front() == '#') return;
    if (text.size() < 2 || text[1] != ':') return problem("not an evemu line");
    const char kind = text.front();
    std::string_view rest = text.substr(2);
    // Recorders add a comment after the values (`# EV_ABS / ABS_X 539`); a
    // name may hold a '#'.
    if (kind != 'N') rest = rest.substr(0, rest.find('#'));
    switch (kind) {
      case 'E':
        return event(rest);
      case 'N':
        return name(rest);
      case 'I':
        return ids(rest);
      case 'P':
        return bytes(rest, propertyBits_, true, 0);
      case 'B':
        return bits(rest);
      case 'A':
        return axis(rest);
      case 'L':  // LED and switch states: nothing a touch panel needs
      case 'S':
        return;
      default:
        return problem(std::string("unknown line kind '") + kind + "'");
    }
  }

 private:
  void problem(std::string message) {
    recording_.problems.push_back({file_, line_, std::move(message)});
  }

  PanelDescription& description() {
    if (useDescription_) recording_.hasDescription = true;
    return useDescription_ ? recording_.description : ignored_;
  }

  void name(std::string_view rest) {
    std::size_t start = 0;
    while (start < rest.size() && isSpace(rest[start])) ++start;
    description().name = std::string(rest.substr(start));
  }

  void ids(std::string_view rest) {
    std::string_view w[5];
    if (words(rest, w, 5) != 4) return problem("I: needs bus, vendor, product and version");
    std::uint16_t values[4];
    for (int i = 0; i < 4; ++i) {
      const auto v = number<std::uint16_t>(w[i], 16);
      if (!v) return problem("I: \"" + std::string(w[i]) + "\" is not a 16-bit hex number");
      values[i] = *v;
    }
    PanelDescription& d = description();
    d.bustype = values[0];
    d.vendor = values[1];
    d.product = values[2];
    d.version = values[3];
  }

  // Bytes of a bit mask, each line continuing where the previous line of the
  // same mask ended.
  void bytes(std::string_view rest, std::size_t& offset, bool properties, unsigned type) {
    std::string_view w[64];
    const std::size_t count = words(rest, w, 64);
    if (count == 0 || count > 64) return problem("bad number of mask bytes");
    std::uint8_t values[64];
    for (std::size_t i = 0; i < count; ++i) {
      const auto v = number<std::uint8_t>(w[i], 16);
      if (!v) return problem("\"" + std::string(w[i]) + "\" is not a hex byte");
      values[i] = *v;
    }
    PanelDescription& d = description();
    for (std::size_t i = 0; i < count; ++i, offset += 8) {
      for (unsigned bit = 0; bit < 8; ++bit) {
        if ((static_cast<unsigned>(values[i]) >> bit & 1u) == 0) continue;
        const std::size_t index = offset + bit;
        if (index > 0xffff) continue;
        if (properties) {
          d.setProperty(static_cast<unsigned>(index));
        } else if (type == EV_SYN) {
          d.setType(static_cast<unsigned>(index));
        } else {
          d.setCode(type, static_cast<unsigned>(index));
        }
      }
    }
  }

  void bits(std::string_view rest) {
    std::string_view first[1];
    if (words(rest, first, 1) == 0) return problem("B: needs a type");
    const auto type = number<std::uint8_t>(first[0], 16);
    if (!type || *type >= EV_CNT) return problem("B: bad event type");
    const std::string_view masks =
        rest.substr(static_cast<std::size_t>(first[0].data() + first[0].size() - rest.data()));
    bytes(masks, typeBits_[*type], false, *type);
  }

  void axis(std::string_view rest) {
    std::string_view w[7];
    const std::size_t count = words(rest, w, 7);
    if (count < 5 || count > 6) return problem("A: needs code, min, max, fuzz, flat [resolution]");
    const auto code = number<std::uint16_t>(w[0], 16);
    if (!code || *code >= ABS_CNT) return problem("A: bad axis code");
    std::int32_t values[5] = {0, 0, 0, 0, 0};
    for (std::size_t i = 1; i < count; ++i) {
      const auto v = number<std::int32_t>(w[i], 10);
      if (!v) return problem("A: \"" + std::string(w[i]) + "\" is not a number");
      values[i - 1] = *v;
    }
    AxisInfo info;
    info.minimum = values[0];
    info.maximum = values[1];
    info.fuzz = values[2];
    info.flat = values[3];
    info.resolution = values[4];
    description().setAxis(*code, info);
  }

  void event(std::string_view rest) {
    std::string_view w[5];
    if (words(rest, w, 5) != 4) return problem("E: needs time, type, code and value");
    const auto time = timestamp(w[0]);
    if (!time) return problem("E: bad time \"" + std::string(w[0]) + "\"");
    const auto type = number<std::uint16_t>(w[1], 16);
    const auto code = number<std::uint16_t>(w[2], 16);
    if (!type || !code) return problem("E: type and code must be 16-bit hex numbers");
    const auto value = number<std::int32_t>(w[3], 10);
    if (!value) return problem("E: bad value \"" + std::string(w[3]) + "\"");
    recording_.events.push_back({*time, *type, *code, *value});
  }

  const std::string& file_;
  EvemuRecording& recording_;
  bool useDescription_;
  PanelDescription ignored_;
  int line_ = 0;
  std::size_t propertyBits_ = 0;
  std::size_t typeBits_[EV_CNT] = {};
};

}  // namespace

void readEvemu(std::string_view text, const std::string& file, EvemuRecording& recording) {
  Reader reader(file, recording);
  int number = 0;
  while (!text.empty()) {
    ++number;
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.size();
    reader.line(number, text.substr(0, end));
    text.remove_prefix(end < text.size() ? end + 1 : end);
  }
}

bool readEvemuFile(const std::string& path, EvemuRecording& recording) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    recording.problems.push_back({path, 0, "cannot be opened"});
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  readEvemu(text.str(), path, recording);
  return true;
}
