// The "ControllerKeys" text through the game-pad: setKeys (which rebuilds the
// areas), then touches on the pad, with key lists and the screen's layout
// changing between them. The ports are fakes that keep count of the keys held
// down in the application.
//
// Input: the key text (a length byte and text bytes, see Reader::text), then
// operations until the input ends, each a byte (modulo 4):
//   0-1  handleTouch: a count byte (0-2 mostly, any 32-bit value too), then
//        two points (see Reader::coordinate)
//   2    setKeys with another text
//   3    setLandscape
// and a final handleTouch with no finger.
//
// Invariants: the twelve codes agree with the C library's reading of twelve
// "%d" fields (low 8 bits, the default list's code for each field not read);
// a layout has twelve key areas carrying exactly those codes, then the exit
// and the rotate button; a key goes up only after it went down; after a
// rebuild and after the last finger lifts no key is held.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "controller/commands.h"
#include "controller/controller.h"
#include "fuzz_input.h"
#include "ports/debug_port.h"
#include "ports/input_port.h"
#include "scanf_reference.h"

namespace {

class KeyCounter : public InputPort {
 public:
  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t) override {
    FUZZ_CHECK(scanCode == 0);
    if (flags == KeyFlags::down) {
      ++held_[virtualKey];
    } else {
      FUZZ_CHECK(flags == KeyFlags::up);
      FUZZ_CHECK(held_[virtualKey] > 0);
      --held_[virtualKey];
    }
  }
  std::int32_t changeOrientation(const OrientationRequest&) override { return 0; }

  bool noneHeld() const {
    return std::all_of(held_.begin(), held_.end(), [](const auto& k) { return k.second == 0; });
  }

 private:
  std::map<std::uint8_t, int> held_;
};

class NoDebug : public DebugPort {
 public:
  void debugOutput(const std::wstring&) override {}
};

const std::vector<std::uint8_t> defaultKeys = {40, 38, 37, 39, 13, 12, 96, 97, 98, 99, 100, 101};

void checkKeys(const Controller& controller, const std::wstring& text) {
  const std::vector<std::uint8_t>& keys = controller.keys();
  FUZZ_CHECK(keys.size() == 12);
  if (const auto reference = ScanfReference::fields(text, 12)) {
    std::vector<std::uint8_t> expected = defaultKeys;
    for (std::size_t i = 0; i < reference->size(); ++i) {
      expected[i] = static_cast<std::uint8_t>(static_cast<unsigned>((*reference)[i]) & 0xFFu);
    }
    FUZZ_CHECK(keys == expected);
  }
}

void checkAreas(const Controller& controller) {
  const auto& areas = controller.areas();
  FUZZ_CHECK(areas.size() == 14);
  std::vector<std::uint8_t> codes;
  for (std::size_t i = 0; i < 12 && i < areas.size(); ++i) {
    const auto* key = dynamic_cast<const CommandKey*>(areas[i].command.get());
    FUZZ_CHECK(key != nullptr);
    codes.push_back(key->keyCode());
  }
  std::vector<std::uint8_t> keys = controller.keys();
  std::sort(codes.begin(), codes.end());
  std::sort(keys.begin(), keys.end());
  FUZZ_CHECK(codes == keys);
  FUZZ_CHECK(dynamic_cast<const CommandExit*>(areas[12].command.get()) != nullptr);
  FUZZ_CHECK(dynamic_cast<const CommandRotate*>(areas[13].command.get()) != nullptr);
}

void setKeys(Controller& controller, const KeyCounter& input, const std::wstring& text) {
  controller.setKeys(text);
  FUZZ_CHECK(input.noneHeld());
  checkKeys(controller, text);
  checkAreas(controller);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  KeyCounter input;
  NoDebug debug;
  Controller controller(input, debug);
  setKeys(controller, input, in.shortText());

  while (!in.empty()) {
    switch (in.u8() % 4u) {
      case 2:
        setKeys(controller, input, in.shortText());
        break;
      case 3:
        controller.setLandscape(in.flag());
        FUZZ_CHECK(input.noneHeld());
        checkAreas(controller);
        break;
      default: {
        const std::uint8_t k = in.u8();
        const std::int32_t count = k < 0xF0 ? k % 3 : static_cast<std::int32_t>(in.u32());
        const Geometry::Point2D first(in.coordinate(), in.coordinate());
        const Geometry::Point2D second(in.coordinate(), in.coordinate());
        controller.handleTouch(count, first, second);
        checkAreas(controller);
        break;
      }
    }
  }
  controller.handleTouch(0, {}, {});
  FUZZ_CHECK(input.noneHeld());
  return 0;
}
