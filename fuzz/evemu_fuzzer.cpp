// evemu recordings of touch panels through the reader and the frame assembly
// at a fuzzed screen and rotation. The first two bytes choose the screen
// (width and height from a few sizes, and the rotation); the rest is the
// recording's text.
//
// Invariants: every problem names a line of the text; one frame per
// SYN_REPORT read outside a dropped stretch, and only then; every sample has
// a count of at most 2 that matches its contacts, unused points 0, and every
// point inside the screen in quarter pixels.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "platform/linux/panel/evemu_reader.h"
#include "platform/linux/panel/frame_assembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  static constexpr std::int32_t sizes[] = {1, 2, 480, 800, 1920, 16383};
  const std::uint8_t screenByte = in.u8();
  ScreenGeometry screen;
  screen.width = sizes[(screenByte & 0x7u) % 6];
  screen.height = sizes[(screenByte >> 3 & 0x7u) % 6];
  screen.rotation = 90 * (screenByte >> 6);
  in.u8();
  const std::size_t offset = size - in.remaining();
  const std::string_view text(reinterpret_cast<const char*>(data) + offset, size - offset);

  EvemuRecording recording;
  readEvemu(text, "fuzz", recording);
  std::size_t lines = 1;
  for (const char c : text) lines += c == '\n' ? 1u : 0u;
  for (const EvemuProblem& p : recording.problems) {
    FUZZ_CHECK(p.line >= 1 && static_cast<std::size_t>(p.line) <= lines);
  }

  FrameAssembler assembler(recording.description, screen);
  const std::uint32_t maxX = 4u * static_cast<std::uint32_t>(screen.width);
  const std::uint32_t maxY = 4u * static_cast<std::uint32_t>(screen.height);
  for (const PanelEvent& e : recording.events) {
    const bool report = e.type == EV_SYN && e.code == SYN_REPORT;
    const bool ended = assembler.push(e);
    FUZZ_CHECK(ended == report);
    if (!ended) continue;
    const PanelFrame& f = assembler.frame();
    const MultipointSample& s = f.sample;
    FUZZ_CHECK(f.contactCount >= 0 && f.contactCount <= assembler.slotCount());
    FUZZ_CHECK(s.pointCount == static_cast<std::uint32_t>(f.contactCount < 2 ? f.contactCount : 2));
    FUZZ_CHECK(s.firstX < maxX && s.firstY < maxY && s.secondX < maxX && s.secondY < maxY);
    if (s.pointCount < 2) FUZZ_CHECK(s.secondX == 0 && s.secondY == 0);
    if (s.pointCount < 1) FUZZ_CHECK(s.firstX == 0 && s.firstY == 0);
  }
  return 0;
}
