// Bad input with ZEM running: registry values of the wrong type, size or
// shape, panel samples no finger can make, and no window or process where
// an action expects one. Each gets a clear outcome, and ZEM goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phone_run.h"
#include "ports/shared_registry.h"
#include "text/utf16.h"

namespace {

using namespace FaultTest;
using Bytes = std::vector<std::uint8_t>;
using Step = std::function<void(PhoneRun&)>;

Step store(const wchar_t* name, Registry::ValueType type, const Bytes& data,
           Registry::Root root = Registry::currentUser, const wchar_t* key = programKey) {
  return [=](PhoneRun& r) { r.phone.registry().setRaw(root, key, name, type, data); };
}
Step bindTo(const std::wstring& binding) {
  return [binding](PhoneRun& r) { r.bind(L"SwipeRightDouble", binding); };
}

struct InputRow {
  const char* name;
  Step setup;     // before ZEM starts
  Lines present;  // in this order, for the first gesture
  Lines absent;
  Step between;  // after the first gesture
  Lines next;    // for the second gesture
};
InputRow row(const char* name, const Step& setup, const Lines& present, const Lines& absent,
             const Step& between = nullptr, const Lines& next = {"key down 39"}) {
  return {name, setup, present, absent, between, next};
}

// A two-finger swipe right (bound to "right" unless the row binds it), then
// a swipe up bound to the right arrow, to show that ZEM goes on.
void playSwipe(const InputRow& row, bool configured = true) {
  SCOPED_TRACE(row.name);
  PhoneRun r;
  if (configured) r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  r.bind(L"SwipeUpDouble", L"right");
  row.setup(r);
  r.touches(1500, swipeRight());
  if (row.between) r.at(4000, [&r, &row] { row.between(r); });
  r.touches(4500, swipeUp());
  r.at(8000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  std::string missing;
  const auto gesture = r.eventsBetween(1500, 4500);
  EXPECT_TRUE(containsInOrder(gesture, row.present, &missing)) << missing;
  for (const std::string& text : row.absent) EXPECT_FALSE(containsEntry(gesture, text)) << text;
  if (configured) {
    EXPECT_TRUE(containsInOrder(r.eventsBetween(4500, 8000), row.next)) << "ZEM goes on";
  }
}

TEST(BadInputTest, MalformedRegistryValuesHaveASafeOutcome) {
  const auto text = Registry::typeString, number = Registry::typeDword;
  const auto root = Registry::localMachine;
  const InputRow rows[] = {
      row("32-bit setting stored as text: the default stays",
          store(L"ShowOverlay", text, Text::toUtf16Bytes({L"2000", 5})),
          {pictureShown, "key down 39"}, {},
          [](PhoneRun& r) {  // 500 ms after the release at 1760
            EXPECT_TRUE(containsEntry(r.eventsBetween(2260, 2261), "overlay hidden"));
          }),
      row("angle stored as text: the screen counts as upright",
          store(RotationRegistry::angle, text, Text::toUtf16Bytes({L"90", 3}), root,
                RotationRegistry::key),
          {pictureShown, "key down 39"}, {}),
      row("empty binding: nothing to start", bindTo(L""), {pictureShown}, {"launch", "key down"}),
      row("binding stored as a number: its bytes are no program",
          store(L"SwipeRightDouble", number, {5, 0, 0, 0}),
          {pictureShown, "launch \"\x05\" failed"}, {"key down"}),
      row("list stored as a number: it names no application",
          store(L"BlackListAll", number, {0x5C, 0, 0x5C, 0}), {pictureShown, "key down 39"}, {}),
      // Unreadable, so the driver is not re-armed and the value is left as it
      // is; the library the driver has not loaded posts nothing.
      row("driver switch that is no number",
          store(TouchDriverRegistry::multiTouchDemo, text, Text::toUtf16Bytes(L"enabled"), root,
                TouchDriverRegistry::key),
          {}, {"key down"},
          [](PhoneRun& r) {
            const auto stored = r.phone.registry().valueRaw(root, TouchDriverRegistry::key,
                                                            TouchDriverRegistry::multiTouchDemo);
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ(stored->data, Text::toUtf16Bytes(L"enabled"));
          },
          {}),
  };
  for (const InputRow& r : rows) playSwipe(r);
}

TEST(BadInputTest, SamplesNoFingerCanMakeAreWithheldAndTheNextGestureWorks) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  const std::uint32_t huge =
      0xFFFFFFFFu;  // counts the panel never reports, points beyond any screen
  std::vector<MultipointSample> odd = {sampleAt(3, {100, 100}, {200, 200})};
  odd.push_back(sampleAt(7, {100, 100}, {200, 200}));
  odd.push_back(sampleAt(huge, {100, 100}, {200, 200}));
  odd.push_back({1, huge, huge, {0, 0}, 0, 0, 0});
  odd.push_back({2, huge, huge, {0, 0}, huge, huge, 0});
  odd.push_back(sampleAt(2, {240, 400}, {240, 400}));  // both fingers on one pixel
  odd.push_back(sampleAt(2, {0, 0}, {0, 0}));
  odd.insert(odd.end(), 5, sampleAt(0, {}));  // a run of releases
  r.touches(1500, odd);
  // A swipe with an odd sample among its own: withheld and skipped.
  std::vector<MultipointSample> swipe = swipeRight();
  swipe.insert(swipe.begin() + 10, sampleAt(5, {10, 10}, {20, 20}));
  r.touches(3000, swipe);
  r.touches(6000, swipeRight());
  r.at(9000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);

  EXPECT_TRUE(containsInOrder(
      r.phone.log().texts(LogCategory::touch),
      {"touch 3 (400,400) (800,800) -> withheld", "touch 7 (400,400) (800,800) -> withheld",
       "touch 4294967295 (400,400) (800,800) -> withheld",
       "touch 1 (4294967295,4294967295) -> withheld"}));
  EXPECT_FALSE(containsEntry(r.eventsBetween(1500, 3000), "key down"));
  EXPECT_TRUE(containsInOrder(r.eventsBetween(3000, 6000), {pictureShown, "key down 39"}));
  EXPECT_TRUE(containsInOrder(r.eventsBetween(6000, 9000), {pictureShown, "key down 39"}));
}

TEST(BadInputTest, MissingWindowsAndProcessesEndTheActionQuietly) {
  const InputRow alone[] = {
      row("close with no window in front", bindTo(L"closeapp"), {pictureShown}, {"close request"}),
      row("switch with no window in front", bindTo(L"nextapp"), {pictureShown},
          {"foreground", "activate"}),
      row("back with no window in front: the key goes nowhere in particular", bindTo(L"back"),
          {pictureShown, "key down 115", "key up 115"}, {}),
  };
  for (const InputRow& r : alone) playSwipe(r, false);
  const InputRow withApps[] = {
      row("switch away from an application whose process ended",
          [](PhoneRun& r) {
            r.bind(L"SwipeRightDouble", L"nextapp");
            std::uint32_t processId = 0;
            r.phone.windows().windowProcessId(r.phone.windows().foregroundWindow(), processId);
            r.phone.processes().endProcess(processId);
          },
          {pictureShown}, {"foreground", "activate"}),
      row("close a window that belongs to no process",
          [](PhoneRun& r) {
            r.bind(L"SwipeRightDouble", L"closeapp");
            r.phone.setForeground(r.phone.windows().create(L"Orphan", L"Orphan", 0, true));
          },
          {pictureShown}, {"close request"}),
  };
  for (const InputRow& r : withApps) playSwipe(r);
}

}  // namespace
