#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "scenario_parser.h"

namespace {

using Scenario::Expectation;
using Scenario::FeedSample;
using Scenario::LogLine;
using Scenario::parseScenario;
using Scenario::Problem;
using Scenario::RegistryValue;
using Scenario::SetRegistryValue;
using ::testing::HasSubstr;

template <typename T>
const T& actionOf(const Scenario::Step& step) {
  EXPECT_TRUE(std::holds_alternative<T>(step.action)) << "line " << step.line;
  return std::get<T>(step.action);
}

std::vector<std::uint64_t> sampleTimes(const Scenario::Scenario& s) {
  std::vector<std::uint64_t> times;
  for (const auto& step : s.timeline) {
    if (std::holds_alternative<FeedSample>(step.action)) times.push_back(step.timeMs);
  }
  return times;
}

TEST(ScenarioParser, ReadsSetupValuesQuotingAndComments) {
  const auto result = parseScenario(
      "\xEF\xBB\xBF# a phone\r\n"
      "registry HKCU\\Software\\ZEM SwipeRightDouble = \"nextapp\"  # bound\n"
      "registry hkcu\\Software\\ZEM ShowOverlay=0x7D0\n"
      "registry HKCU\\Software\\ZEM Neg = -1\n"
      "registry HKCU\\Software\\ZEM BlackListClose = [\"\\windows\\a.exe\", \"b#c\"]\n"
      "registry HKCU\\Software\\ZEM Empty = []\n"
      "registry HKLM\\HARDWARE\\DEVICEMAP\\TOUCH \"Odd name\" = hex(4): 01, ff\n"
      "app \"n.exe\" \"\\Windows\\n.exe\" title \"Caf\xC3\xA9 \"\"1\"\"\" class \"C\" hidden\n"
      "foreground \"Caf\xC3\xA9 \"\"1\"\"\"\n"
      "start\n");
  ASSERT_THAT(result.errors, ::testing::IsEmpty());
  const auto& setup = result.scenario.setup;
  ASSERT_EQ(setup.size(), 8u);
  EXPECT_EQ(setup[0].line, 2);
  const auto& binding = actionOf<SetRegistryValue>(setup[0]);
  EXPECT_EQ(binding.root, Registry::currentUser);
  EXPECT_EQ(binding.subKey, L"Software\\ZEM");
  EXPECT_EQ(binding.valueName, L"SwipeRightDouble");
  EXPECT_EQ(binding.value.text, L"nextapp");
  EXPECT_EQ(actionOf<SetRegistryValue>(setup[1]).value.number, 2000u);
  EXPECT_EQ(actionOf<SetRegistryValue>(setup[2]).value.number, 0xFFFFFFFFu);
  EXPECT_EQ(actionOf<SetRegistryValue>(setup[3]).value.list,
            (std::vector<std::wstring>{L"\\windows\\a.exe", L"b#c"}));
  EXPECT_EQ(actionOf<SetRegistryValue>(setup[4]).value.kind, RegistryValue::Kind::stringList);
  EXPECT_TRUE(actionOf<SetRegistryValue>(setup[4]).value.list.empty());
  const auto& raw = actionOf<SetRegistryValue>(setup[5]);
  EXPECT_EQ(raw.root, Registry::localMachine);
  EXPECT_EQ(raw.valueName, L"Odd name");
  EXPECT_EQ(raw.value.rawType, 4u);
  EXPECT_EQ(raw.value.bytes, (std::vector<std::uint8_t>{0x01, 0xFF}));
  const auto& app = actionOf<Scenario::AddApp>(setup[6]);
  EXPECT_EQ(app.title, L"Caf\u00E9 \"1\"");
  EXPECT_FALSE(app.visible);
  EXPECT_EQ(actionOf<Scenario::SetForeground>(setup[7]).title, app.title);
}

TEST(ScenarioParser, StrokesBecomeTimedSamplesInQuarterPixels) {
  const auto result = parseScenario(
      "start\n"
      "wait 1000\n"
      "stroke 100,300 -> 200,300 and 100,400 -> 300,400 in 100 every 50\n"
      "stroke 0,0 -> 0,100 via 100,0 in 25 every 10\n"
      "tap 5,6 for 20\n"
      "ctrl+q\n");
  ASSERT_THAT(result.errors, ::testing::IsEmpty());
  const auto& timeline = result.scenario.timeline;
  EXPECT_EQ(sampleTimes(result.scenario),
            (std::vector<std::uint64_t>{1000, 1050, 1100, 1150,        // first stroke
                                        1150, 1160, 1170, 1175, 1185,  // second stroke
                                        1185, 1195, 1205, 1215}));     // tap
  const auto& middle = actionOf<FeedSample>(timeline[1]).sample;
  EXPECT_EQ(middle.pointCount, 2u);
  EXPECT_EQ(middle.firstX, 600u);  // 150 px: halfway, each finger at its own speed
  EXPECT_EQ(middle.secondX, 800u);
  EXPECT_EQ(middle.secondY, 1600u);
  const auto& release = actionOf<FeedSample>(timeline[3]).sample;
  EXPECT_EQ(release.pointCount, 0u);
  EXPECT_EQ(release.firstX, 800u);  // lifted where it ended
  // Constant speed along 0,0 -> 100,0 -> 0,100 (100 + 141.4 px).
  const auto& alongVia = actionOf<FeedSample>(timeline[6]).sample;  // at 20 of 25 ms
  EXPECT_EQ(alongVia.pointCount, 1u);
  EXPECT_EQ(alongVia.firstX, 137u);  // (34.1, 65.9) px
  EXPECT_EQ(alongVia.firstY, 263u);
  EXPECT_EQ(actionOf<FeedSample>(timeline[7]).sample.firstY, 400u);
  const auto& held = actionOf<FeedSample>(timeline[10]).sample;
  EXPECT_EQ(held.pointCount, 1u);
  EXPECT_EQ(held.firstX, 20u);
  EXPECT_EQ(held.firstY, 24u);
  EXPECT_EQ(timeline.back().timeMs, 1215u);
  EXPECT_TRUE(std::holds_alternative<Scenario::PressCtrlQ>(timeline.back().action));
  EXPECT_EQ(result.scenario.endTimeMs, 1215u);
}

TEST(ScenarioParser, ReportsEveryBadLineWithItsNumber) {
  const auto result = parseScenario(
      "registry HKCU\\Software\\ZEM A = 4294967296\n"  // 1
      "registry HKXX\\Software B = 1\n"                // 2
      "registry HKCU\\Software\\\\ZEM C = \"x\n"       // 3
      "registry HKCU\\Software D = hex(3):1,\n"        // 4
      "foreground \"Nobody\"\n"                        // 5
      "wait 10\n"                                      // 6
      "registry HKCU\\Software E = [\"a\" \"b\"]\n"    // 7
      "start\n"                                        // 8
      "app \"a\" \"b\" class \"c\" title \"d\"\n"      // 9
      "stroke 1,1 -> 2,2 every 0\n"                    // 10
      "stroke 1,1 2,2\n"                               // 11
      "tap 1,x\n"                                      // 12
      "keyboard open\n"                                // 13
      "stroke 1,1 -> 2,2 in 1000000000 every 1\n"      // 14
      "expect\n"                                       // 15
      "start\n"                                        // 16
      "\xC3(\n");                                      // 17
  std::vector<int> lines;
  for (const Problem& p : result.errors) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
  ASSERT_EQ(result.errors.size(), 16u);
  EXPECT_THAT(result.errors[0].message, HasSubstr("too large"));
  EXPECT_THAT(result.errors[1].message, HasSubstr("unknown registry root"));
  EXPECT_THAT(result.errors[2].message, HasSubstr("empty part"));
  EXPECT_THAT(result.errors[3].message, HasSubstr("ends in a comma"));
  EXPECT_THAT(result.errors[4].message, HasSubstr("no app has the title \"Nobody\""));
  EXPECT_THAT(result.errors[5].message, HasSubstr("\"wait\" belongs after start"));
  EXPECT_THAT(result.errors[6].message, HasSubstr("closing ]"));
  EXPECT_THAT(result.errors[7].message, HasSubstr("\"app\" belongs before start"));
  EXPECT_THAT(result.errors[8].message, HasSubstr("at least 1 ms"));
  EXPECT_THAT(result.errors[9].message, HasSubstr("X,Y -> X,Y"));
  EXPECT_THAT(result.errors[10].message, HasSubstr("bad y \"x\""));
  EXPECT_THAT(result.errors[13].message, HasSubstr("expect needs"));
  EXPECT_THAT(result.errors[14].message, HasSubstr("the first is line 8"));
  EXPECT_THAT(result.errors[15].message, HasSubstr("UTF-8"));

  const auto unstarted = parseScenario("registry HKCU\\A B = 1\n");
  ASSERT_EQ(unstarted.errors.size(), 1u);
  EXPECT_EQ(unstarted.errors[0].message, "no start line");
}

TEST(ScenarioExpectations, MatchInOrderAndGuardTheGapsBetweenMatches) {
  const std::vector<LogLine> log{{0, "a"}, {10, "b"}, {20, "x"}, {30, "c"}, {40, "b"}};
  const auto check = [&log](const std::vector<Expectation>& expectations) {
    std::vector<std::string> found;
    for (const Problem& p : Scenario::checkExpectations(expectations, log)) {
      found.push_back(std::to_string(p.line) + ": " + p.message);
    }
    return found;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(check({{1, false, "a"}, {2, false, "b"}, {3, false, "c"}, {4, false, "b"}}), V{});
  // Order matters: "a" does not come after "c".
  EXPECT_EQ(check({{1, false, "c"}, {2, false, "a"}}), V{"2: expected \"a\" not found"});
  // An unmet expect leaves the next one searching from the same place.
  EXPECT_EQ(check({{1, false, "b"}, {2, false, "zz"}, {3, false, "x"}}),
            V{"2: expected \"zz\" not found"});
  // "x" lies between "b" and "c"; not between "c" and the end.
  EXPECT_EQ(check({{1, false, "b"}, {2, true, "x"}, {3, false, "c"}}),
            V{"2: found \"x\" at 20 ms"});
  EXPECT_EQ(check({{1, false, "c"}, {2, true, "x"}, {3, true, "a"}}), V{});
  EXPECT_EQ(check({{1, true, "b"}, {2, false, "a"}}), V{});  // before the first match
  EXPECT_EQ(check({{1, false, "c"}, {2, true, "b"}}), V{"2: found \"b\" at 40 ms"});
}

}  // namespace
