#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "scenario_parser.h"

namespace {

using namespace Scenario;

template <typename T>
const T& actionOf(const Step& step) {
  EXPECT_TRUE(std::holds_alternative<T>(step.action)) << "line " << step.line;
  return std::get<T>(step.action);
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
  const auto set = [&setup](std::size_t i) { return actionOf<SetRegistryValue>(setup[i]); };
  EXPECT_EQ(std::tuple(set(0).root, set(0).subKey, set(0).valueName, set(0).value.text),
            std::tuple(Registry::currentUser, L"Software\\ZEM", L"SwipeRightDouble", L"nextapp"));
  EXPECT_EQ(std::pair(set(1).value.number, set(2).value.number), std::pair(2000u, 0xFFFFFFFFu));
  EXPECT_EQ(set(3).value.list, (std::vector<std::wstring>{L"\\windows\\a.exe", L"b#c"}));
  EXPECT_EQ(set(4).value.kind, RegistryValue::Kind::stringList);
  EXPECT_TRUE(set(4).value.list.empty());
  EXPECT_EQ(std::tuple(set(5).root, set(5).valueName, set(5).value.rawType, set(5).value.bytes),
            std::tuple(Registry::localMachine, L"Odd name", 4u, std::vector<std::uint8_t>{1, 255}));
  const auto& app = actionOf<AddApp>(setup[6]);
  EXPECT_EQ(app.title, L"Caf\u00E9 \"1\"");
  EXPECT_FALSE(app.visible);
  EXPECT_EQ(actionOf<SetForeground>(setup[7]).title, app.title);
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
  std::vector<std::string> steps;  // "time: count first second" per sample
  for (const Step& step : result.scenario.timeline) {
    std::ostringstream out;
    out << step.timeMs << ":";
    if (const auto* feed = std::get_if<FeedSample>(&step.action)) {
      const MultipointSample& s = feed->sample;
      out << " " << s.pointCount << " " << s.firstX << "," << s.firstY << " " << s.secondX << ","
          << s.secondY;
    }
    steps.push_back(out.str());
  }
  // Each finger at its own speed, lifted where it ended; then constant speed
  // along 0,0 -> 100,0 -> 0,100 (100 + 141.4 px); then a finger held.
  EXPECT_EQ(steps, (std::vector<std::string>{
                       "1000: 2 400,1200 400,1600", "1050: 2 600,1200 800,1600",
                       "1100: 2 800,1200 1200,1600", "1150: 0 800,1200 1200,1600",
                       "1150: 1 0,0 0,0", "1160: 1 386,0 0,0", "1170: 1 137,263 0,0",
                       "1175: 1 0,400 0,0", "1185: 0 0,400 0,0", "1185: 1 20,24 0,0",
                       "1195: 1 20,24 0,0", "1205: 1 20,24 0,0", "1215: 0 20,24 0,0", "1215:"}));
  EXPECT_TRUE(std::holds_alternative<PressCtrlQ>(result.scenario.timeline.back().action));
  EXPECT_EQ(result.scenario.endTimeMs, 1215u);
}

TEST(ScenarioParser, ReportsEveryBadLineWithItsNumber) {
  // Each line with the words its error names; an empty one is valid.
  const std::pair<const char*, const char*> lines[] = {
      {"registry HKCU\\Software\\ZEM A = 4294967296", "too large"},
      {"registry HKXX\\Software B = 1", "unknown registry root"},
      {"registry HKCU\\Software\\\\ZEM C = \"x", "empty part"},
      {"registry HKCU\\Software D = hex(3):1,", "ends in a comma"},
      {"foreground \"Nobody\"", "no app has the title \"Nobody\""},
      {"wait 10", "\"wait\" belongs after start"},
      {"registry HKCU\\Software E = [\"a\" \"b\"]", "closing ]"},
      {"window \"none.exe\" class \"c\" title \"t\"", "no app line before"},
      {"start", ""},
      {"app \"a\" \"b\" class \"c\" title \"d\"", "\"app\" belongs before start"},
      {"stroke 1,1 -> 2,2 every 0", "at least 1 ms"},
      {"stroke 1,1 2,2", "X,Y -> X,Y"},
      {"tap 1,x", "bad y \"x\""},
      {"keyboard open", "keyboard shown or keyboard hidden"},
      {"stroke 1,1 -> 2,2 in 1000000000 every 1", "more than 100000 samples"},
      {"expect", "expect needs"},
      {"expect exit x", "bad exit code"},
      {"start", "the first is line 9"},
      {"\xC3(", "UTF-8"},
  };
  std::string text;
  std::vector<std::pair<int, std::string>> wanted;
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    text += std::string(lines[i].first) + "\n";
    if (*lines[i].second != '\0') wanted.emplace_back(static_cast<int>(i) + 1, lines[i].second);
  }
  const auto result = parseScenario(text);
  ASSERT_EQ(result.errors.size(), wanted.size());
  for (std::size_t i = 0; i < wanted.size(); ++i) {
    EXPECT_EQ(result.errors[i].line, wanted[i].first);
    EXPECT_THAT(result.errors[i].message, ::testing::HasSubstr(wanted[i].second));
  }
  const auto unstarted = parseScenario("registry HKCU\\A B = 1\n");
  ASSERT_EQ(unstarted.errors.size(), 1u);
  EXPECT_EQ(unstarted.errors[0].message, "no start line");
}

TEST(ScenarioExpectations, MatchInOrderAndGuardTheGapsBetweenMatches) {
  const std::vector<LogLine> log{{0, "a"}, {10, "b"}, {20, "x"}, {30, "c"}, {40, "b"}};
  const auto check = [&log](const std::vector<Expectation>& expectations) {
    std::vector<std::string> found;
    for (const Problem& p : checkExpectations(expectations, log)) {
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
