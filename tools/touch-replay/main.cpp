// zem-touch-replay: shows what ZEM gets from a touch panel. It reads an evemu
// recording and prints one line per SYN_REPORT: the time in ms from the first
// event, then `count x1 y1 x2 y2` in quarter pixels, as the hook receives
// them.
//
//   zem-touch-replay [--screen WxH] [--rotation 0|90|180|270] [DEVICE.desc] FILE.events
//
// Lines that cannot be read go to stderr as `file:line: what` and are skipped.
// Exit status: 0 all read, 1 some lines skipped, 2 nothing to replay (usage,
// a file that cannot be opened, no multitouch panel in the description).
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/panel/evemu_reader.h"
#include "platform/linux/panel/frame_assembler.h"

namespace {

constexpr const char* usage =
    "usage: zem-touch-replay [--screen WxH] [--rotation 0|90|180|270] [DEVICE.desc] "
    "FILE.events\n";

bool parseInt(std::string_view text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

bool parseScreen(std::string_view text, ScreenGeometry& screen) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  std::int32_t w = 0;
  std::int32_t h = 0;
  // The hook packs pixels in 15 bits: larger screens cannot be told apart.
  if (!parseInt(text.substr(0, x), w) || !parseInt(text.substr(x + 1), h)) return false;
  if (w < 1 || h < 1 || w > 16383 || h > 65535) return false;
  screen.width = w;
  screen.height = h;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ScreenGeometry screen;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if ((arg == "--screen" || arg == "--rotation") && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const bool ok = arg == "--screen"
                          ? parseScreen(value, screen)
                          : parseInt(value, screen.rotation) && validRotation(screen.rotation);
      if (!ok) {
        std::fprintf(stderr, "zem-touch-replay: bad %s \"%s\"\n%s", argv[i - 1], argv[i], usage);
        return 2;
      }
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(usage, stdout);
      return 0;
    } else if (!arg.empty() && arg.front() == '-') {
      std::fprintf(stderr, "zem-touch-replay: unknown option %s\n%s", argv[i], usage);
      return 2;
    } else {
      files.emplace_back(arg);
    }
  }
  if (files.empty() || files.size() > 2) {
    std::fputs(usage, stderr);
    return 2;
  }

  EvemuRecording recording;
  bool opened = true;
  for (const std::string& file : files) opened = readEvemuFile(file, recording) && opened;
  for (const EvemuProblem& p : recording.problems) {
    if (p.line > 0) {
      std::fprintf(stderr, "%s:%d: %s\n", p.file.c_str(), p.line, p.message.c_str());
    } else {
      std::fprintf(stderr, "%s: %s\n", p.file.c_str(), p.message.c_str());
    }
  }
  if (!opened) return 2;

  FrameAssembler assembler(recording.description, screen);
  if (!assembler.usable()) {
    const char* why = recording.description.protocol() == MultitouchProtocol::anonymous
                          ? "a protocol-A panel, and this build reads protocol B only"
                          : "the description has no multitouch position axes";
    std::fprintf(stderr, "%s: %s\n", files.back().c_str(), why);
    return 2;
  }
  const std::int64_t start = recording.events.empty() ? 0 : recording.events.front().timeUs;
  for (const PanelEvent& event : recording.events) {
    if (!assembler.push(event)) continue;
    const PanelFrame& frame = assembler.frame();
    const MultipointSample& s = frame.sample;
    // Floor to whole ms, also for a clock that went back.
    std::int64_t us = frame.timeUs - start;
    const std::int64_t ms = us >= 0 ? us / 1000 : -((-us + 999) / 1000);
    std::printf("%lld %u %u %u %u %u\n", static_cast<long long>(ms), s.pointCount, s.firstX,
                s.firstY, s.secondX, s.secondY);
  }
  return recording.problems.empty() ? 0 : 1;
}
