// The pointer input that the touch-driver host derives from the samples that
// the hook lets through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pointer_relay.h"

namespace {

MultipointSample at(std::uint32_t count, std::uint32_t x, std::uint32_t y) {
  MultipointSample sample;
  sample.pointCount = count;
  sample.firstX = x;
  sample.firstY = y;
  sample.secondX = 4000;  // a second finger never moves the pointer
  sample.secondY = 4000;
  return sample;
}

TEST(PointerRelayTest, PassedSamplesPressMoveAndReleaseTheFirstPoint) {
  PointerRelay relay;
  std::vector<std::string> seen;
  const auto feed = [&](const MultipointSample& sample) {
    PointerEvent event;
    if (!relay.relay(sample, event)) return;
    const char* kind = event.kind == PointerEvent::Kind::down   ? "down"
                       : event.kind == PointerEvent::Kind::move ? "move"
                                                                : "up";
    seen.push_back(std::string(kind) + " " + std::to_string(event.x) + "," +
                   std::to_string(event.y));
  };
  feed(at(0, 0, 0));      // nothing down: nothing to release
  feed(at(2, 403, 807));  // quarter pixels truncate to (100,201)
  feed(at(2, 401, 804));  // the same pixel: no move
  feed(at(1, 440, 800));
  feed(at(0, 440, 800));  // withheld mid-touch (or lifted): released where it was
  feed(at(0, 440, 800));
  feed(at(5, 8, 8));  // any non-zero count passes
  EXPECT_EQ(seen,
            (std::vector<std::string>{"down 100,201", "move 110,200", "up 110,200", "down 2,2"}));
  EXPECT_TRUE(relay.isDown());
}

}  // namespace
