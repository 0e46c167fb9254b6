// Driver samples through a freshly loaded hook library, over a simulated
// registry holding a fuzzed "LockTouch" and a simulated window list.
//
// Input: a flags byte (bit 0: the main window exists at load; bit 1:
// "LockTouch" is stored; bit 2: stored as raw bytes of any type instead of a
// string; bit 3: a string with its terminator), the value (a length byte and
// as many text bytes, or a type byte, a length byte and raw bytes), then
// operations until the input ends, each a byte (modulo 8):
//   0-4  a sample: a byte whose low 2 bits are the count (3: any 32-bit count
//        follows) and whose bit 2 asks for 32-bit coordinates instead of
//        16-bit ones, then x1 y1 x2 y2 in quarter pixels
//   5    an entry notification with a reason byte (0-3 mostly, any value too)
//   6    a new "LockTouch" text (seen at the next attach)
//   7    a byte: 0 the main window goes, or a new one comes (the library
//        keeps the handle it found at load); 1 the next 1 to 4 posts fail;
//        2 every post fails from now on, or posts work again
//
// Every sample is checked against the library's contract: it passes exactly
// when its count is 1 or 2 and every point lies strictly inside the touch
// area, nothing but the count is ever written, and in ZEM mode exactly the
// changes of packed position, the first sample of a touch, changes of the
// finger count and the first empty sample after a touch are posted, each
// message in its documented form; a failed post logs one line, a touch end
// that failed is posted once more at the first sample of the next touch, and
// once a post finds the window gone nothing more is posted.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "hook/multipoint_sample.h"
#include "hook/touch_forwarder.h"
#include "platform/sim/sim_context.h"
#include "platform/sim/sim_hook_port.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_windows.h"
#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"

namespace {

using Message = SimWindows::Message;

struct Pixels {
  double x = 0.0;
  double y = 0.0;
};

// Whole pixels: the driver's quarter-pixel units, rounded down.
Pixels pixels(std::uint32_t x, std::uint32_t y) {
  const std::uint32_t wholeX = x / 4u;
  const std::uint32_t wholeY = y / 4u;
  return {static_cast<double>(wholeX), static_cast<double>(wholeY)};
}

// The documented packed form: x with bit 15 set in the low half, y in the
// high half, each cut to 16 bits.
std::uint32_t packed(const Pixels& p) {
  const auto x = static_cast<std::uint32_t>(p.x);
  const auto y = static_cast<std::uint32_t>(p.y);
  return ((x | 0x8000u) & 0xFFFFu) | ((y & 0xFFFFu) << 16);
}

bool strictlyInside(const Geometry::Rect2D& area, const Pixels& p) {
  return p.x > area.x && p.x < area.x + area.width && p.y > area.y && p.y < area.y + area.height;
}

// What the library must have done with the samples so far, and the posts
// that must have reached the main window.
struct Expected {
  std::int32_t count = 0;
  std::int32_t previousCount = 0;
  Pixels first;
  Pixels second;
  std::uint32_t lastFirstWord = 0;
  std::uint32_t lastSecondWord = 0;
  bool endPending = false;
  bool touchPosted = false;  // something of the current touch was posted
  std::int32_t postedCount = 0;
  bool windowGone = false;  // a post found the window gone: nothing more is posted
  // The window's side: whether it exists and the posts still to fail (the
  // simulated phone's fault counter: negative = all of them).
  bool windowAlive = false;
  int failingPosts = 0;

  std::vector<Message> delivered;
  std::size_t failedPosts = 0;

  bool post(const Message& m) {
    bool ok = windowAlive;
    if (ok && failingPosts != 0) {
      if (failingPosts > 0) --failingPosts;
      ok = false;
    }
    if (ok) {
      delivered.push_back(m);
    } else {
      ++failedPosts;
      if (!windowAlive) windowGone = true;
    }
    return ok;
  }

  void apply(const MultipointSample& s, bool zemMode) {
    delivered.clear();
    failedPosts = 0;
    previousCount = count;
    count = static_cast<std::int32_t>(s.pointCount);
    if (count == 1 || count == 2) first = pixels(s.firstX, s.firstY);
    if (count == 2) second = pixels(s.secondX, s.secondY);
    if (!zemMode || windowGone) return;
    const Message end{WM_APP_TOUCH_END, 1, 0};
    // A lost touch end is tried once more, at the first sample of the next
    // touch, before anything of that touch.
    if (previousCount == 0 && count != 0 && endPending) {
      endPending = false;
      if (!post(end)) return;
    }
    if (count == 0) {
      if (previousCount != 0) {
        touchPosted = false;
        endPending = !post(end) && !windowGone;
      }
      return;
    }
    if (count != 1 && count != 2) return;
    // A moved point, the first sample of a touch and a changed finger count
    // are posted.
    const std::uint32_t a = packed(first);
    const std::uint32_t b = count == 2 ? packed(second) : lastSecondWord;
    if (touchPosted && count == postedCount && a == lastFirstWord && b == lastSecondWord) return;
    touchPosted = true;
    postedCount = count;
    post(count == 1 ? Message{WM_APP_TOUCH, 1, static_cast<std::intptr_t>(a)}
                    : Message{WM_APP_TOUCH, b, static_cast<std::intptr_t>(a)});
    lastFirstWord = a;
    lastSecondWord = b;
  }
};

void storeLockTouch(SimRegistry& registry, FuzzInput::Reader& in, std::uint8_t flags) {
  if ((flags & 4u) != 0) {
    const std::uint8_t type = in.u8();
    const std::string raw = in.bytes(static_cast<std::size_t>(in.u8()) * 3u);
    registry.setRaw(TouchDriverRegistry::root, TouchDriverRegistry::key,
                    TouchDriverRegistry::lockTouch, type,
                    std::vector<std::uint8_t>(raw.begin(), raw.end()));
  } else {
    registry.setString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::lockTouch, in.shortText(), (flags & 8u) != 0);
  }
}

MultipointSample readSample(FuzzInput::Reader& in) {
  const std::uint8_t head = in.u8();
  MultipointSample s;
  s.pointCount = (head & 3u) == 3u ? in.u32() : head & 3u;
  const bool wide = (head & 4u) != 0;
  std::uint32_t* coordinates[] = {&s.firstX, &s.firstY, &s.secondX, &s.secondY};
  for (std::uint32_t* c : coordinates) *c = wide ? in.u32() : in.u16();
  s.driverData[0] = 0xD0D0D0D0u;
  s.driverData[1] = 0xD1D1D1D1u;
  s.moreDriverData = 0xD2D2D2D2u;
  return s;
}

void checkArea(const Geometry::Rect2D& area) {
  // Four scanned 32-bit integers, whole and in range.
  for (const double v : {area.x, area.y, area.width, area.height}) {
    FUZZ_CHECK(v >= -2147483648.0 && v <= 2147483647.0);
    FUZZ_CHECK(static_cast<double>(static_cast<std::int64_t>(v)) == v);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  SimRegistry registry;
  SimContext phone;
  SimWindows windows(phone, nullptr);
  SimHookPort port(windows);

  const std::uint8_t flags = in.u8();
  const SimWindows::Handle target =
      (flags & 1u) != 0 ? windows.create(MainWindow::className, MainWindow::title) : 0;
  if ((flags & 2u) != 0) storeLockTouch(registry, in, flags);

  TouchForwarder library(port, registry);
  FUZZ_CHECK(library.zemMode() == (target != 0));
  FUZZ_CHECK(library.targetWindow() == target);
  FUZZ_CHECK(library.entryNotification(1));
  checkArea(library.touchArea());

  Expected expected;
  expected.windowAlive = target != 0;
  std::vector<SimWindows::Handle> others;  // main windows that came after the load
  while (!in.empty()) {
    const std::uint8_t op = in.u8() % 8u;
    if (op <= 4) {
      const MultipointSample original = readSample(in);
      MultipointSample s = original;
      const std::size_t linesBefore = port.debugLines().size();
      library.hook(s);
      expected.apply(original, target != 0);

      FUZZ_CHECK(library.count() == expected.count);
      FUZZ_CHECK(library.previousCount() == expected.previousCount);
      const Geometry::Rect2D area = library.touchArea();
      const bool passes = (expected.count == 1 && strictlyInside(area, expected.first)) ||
                          (expected.count == 2 && strictlyInside(area, expected.first) &&
                           strictlyInside(area, expected.second));
      FUZZ_CHECK(s.pointCount == (passes ? original.pointCount : 0u));
      FUZZ_CHECK(s.firstX == original.firstX && s.firstY == original.firstY);
      FUZZ_CHECK(s.secondX == original.secondX && s.secondY == original.secondY);
      FUZZ_CHECK(s.driverData[0] == original.driverData[0]);
      FUZZ_CHECK(s.driverData[1] == original.driverData[1]);
      FUZZ_CHECK(s.moreDriverData == original.moreDriverData);

      // Each failed post logs one line; nothing else on the hook path does.
      FUZZ_CHECK(port.debugLines().size() == linesBefore + expected.failedPosts);
      if (target != 0) FUZZ_CHECK(windows.takeMessages(target) == expected.delivered);
      FUZZ_CHECK(library.lastFirstWord() == expected.lastFirstWord);
      FUZZ_CHECK(library.lastSecondWord() == expected.lastSecondWord);
    } else if (op == 5) {
      const std::uint8_t r = in.u8();
      const std::uint32_t reason = r < 0xF0 ? r % 4u : in.u32();
      FUZZ_CHECK(library.entryNotification(reason));
      checkArea(library.touchArea());
    } else if (op == 6) {
      storeLockTouch(registry, in, in.u8());
    } else {
      const std::uint8_t what = in.u8();
      if (what % 3u == 1u) {
        expected.failingPosts = phone.faults.post = 1 + (what / 3) % 4;
      } else if (what % 3u == 2u) {
        expected.failingPosts = phone.faults.post = phone.faults.post == 0 ? -1 : 0;
      } else if (expected.windowAlive) {
        windows.destroy(target);
        expected.windowAlive = false;
      } else {
        others.push_back(windows.create(MainWindow::className, MainWindow::title));
      }
    }
  }
  // The window is looked up at load only: later ones never hear from it.
  FUZZ_CHECK(library.targetWindow() == target);
  for (const SimWindows::Handle other : others) FUZZ_CHECK(windows.messages(other).empty());
  return 0;
}
