// Scenario texts that once made the parser misbehave.

#include <gtest/gtest.h>

#include <string>

#include "scenario_parser.h"

namespace {

// Each tap line was bounded, the lines together were not: a 1 KB file of
// long taps made a gigabyte of samples. Ten taps of 100,001 samples each
// (every millisecond for 99,999 ms, the end, the release): the tenth passes
// the million and is refused like any bad line; the others stay.
TEST(ScenarioRegressionTest, TouchSamplesOfAllLinesTogetherAreBounded) {
  std::string text = "start\n";
  for (int i = 0; i < 10; ++i) text += "tap 1,1 for 99999 every 1\n";
  const Scenario::ParseResult result = Scenario::parseScenario(text);
  ASSERT_EQ(result.errors.size(), 1U);
  EXPECT_EQ(result.errors[0].line, 11);
  EXPECT_EQ(result.errors[0].message, "more than 1000000 samples in the scenario");
  EXPECT_EQ(result.scenario.timeline.size(), 9U * 100001U);
}

}  // namespace
