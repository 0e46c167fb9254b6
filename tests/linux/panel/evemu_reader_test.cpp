// The reader's regression and its bad lines. Real descriptions and
// recordings: Evdev/RealRecording, the replays and the VM; any text: the
// evemu fuzz target.
#include "platform/linux/panel/evemu_reader.h"

#include <gtest/gtest.h>

namespace {

TEST(EvemuReader, MasksDeclareOnlyCodesTheKernelHas) {
  // Bits for ABS codes 64 to 127 and a second line of them.
  EvemuRecording r;
  readEvemu("B: 03 00 00 00 00 00 00 00 00 ff ff ff ff ff ff ff ff\n", "f.desc", r);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_FALSE(r.description.hasCode(EV_ABS, 64));
  EXPECT_FALSE(r.description.hasCode(EV_ABS, 100));
}

TEST(EvemuReader, BadLinesAreReportedAndSkipped) {
  EvemuRecording r;
  readEvemu(
      "# comment\n"
      "N: panel # with a hash\n"
      "A: 35 0 oops 0 0\n"  // 3
      "A: 99 0 10 0 0\n"    // 4: no such axis
      "I: 0018 0000\n"      // 5
      "E: 1.000001 0003 0035 12\n"
      "E: 1.0000001 0003 0035 1\n"      // 7: seven fraction digits
      "E: 1.0 0003 10000 1\n"           // 8: code beyond 16 bits
      "E: 1.0 0003 0035\n"              // 9
      "E: 1.0 0003 0035 99999999999\n"  // 10
      "X: what\n"                       // 11
      "hello\n"                         // 12
      "E: 2.0 0000 0000 0\n",
      "f.events", r);
  EXPECT_EQ(r.description.name, "panel # with a hash");
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_EQ(r.events[0].value, 12);
  EXPECT_EQ(r.events[1].timeUs, 2000000);
  std::vector<int> lines;
  for (const EvemuProblem& p : r.problems) {
    EXPECT_EQ(p.file, "f.events");
    EXPECT_FALSE(p.message.empty());
    lines.push_back(p.line);
  }
  EXPECT_EQ(lines, (std::vector<int>{3, 4, 5, 7, 8, 9, 10, 11, 12}));
}

}  // namespace
