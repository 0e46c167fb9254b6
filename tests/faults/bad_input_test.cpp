// Bad input with ZEM running: registry values of the wrong type, size or
// shape, panel samples no finger can make, and no window or process where
// an action expects one. Each gets a clear outcome, and ZEM goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phone_run.h"

namespace {

using FaultTest::containsEntry;
using FaultTest::containsInOrder;
using FaultTest::PhoneRun;
using FaultTest::Pixel;
using FaultTest::programKey;

const std::string kPicture = "overlay shows picture 171 at (120,280)-(360,520) keyed";

// UTF-16LE bytes of a text, without a terminator.
std::vector<std::uint8_t> utf16(const std::wstring& text) {
  std::vector<std::uint8_t> bytes;
  for (const wchar_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

struct InputRow {
  const char* name;
  std::function<void(PhoneRun&)> setup;  // before ZEM starts
  std::vector<std::string> present;      // in this order
  std::vector<std::string> absent;
  std::function<void(PhoneRun&)> between = nullptr;  // after the first gesture
  std::function<void(PhoneRun&)> check = nullptr;    // after the run
};

// One two-finger swipe right (bound to "right" unless the row binds it),
// then the right arrow bound to the swipe up, to show that ZEM goes on.
void playSwipe(const InputRow& row, bool configured = true) {
  SCOPED_TRACE(row.name);
  PhoneRun r;
  if (configured) r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  r.bind(L"SwipeUpDouble", L"right");
  row.setup(r);
  r.touches(1500, FaultTest::swipeRight());
  if (row.between) r.at(4000, [&r, &row] { row.between(r); });
  r.touches(4500, FaultTest::swipeUp());
  r.at(8000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  if (row.check) row.check(r);
  std::string missing;
  const auto gesture = r.eventsBetween(1500, 4500);
  EXPECT_TRUE(containsInOrder(gesture, row.present, &missing)) << missing;
  for (const std::string& text : row.absent) EXPECT_FALSE(containsEntry(gesture, text)) << text;
  if (configured) {
    EXPECT_TRUE(containsEntry(r.eventsBetween(4500, 8000), "key down 39")) << "ZEM goes on";
  }
}

void setRaw(PhoneRun& r, const wchar_t* name, Registry::ValueType type,
            std::vector<std::uint8_t> data, Registry::Root root = Registry::currentUser,
            const wchar_t* key = programKey) {
  r.phone.registry().setRaw(root, key, name, type, std::move(data));
}

TEST(BadInputTest, MalformedRegistryValuesHaveASafeOutcome) {
  const std::wstring longPath = L"\\Windows\\" + std::wstring(300, L'x') + L".exe";
  const InputRow rows[] = {
      {"32-bit setting stored as text: the default stays",
       [](PhoneRun& r) {
         r.phone.registry().setString(Registry::currentUser, programKey, L"ShowOverlay", L"2000",
                                      true);
       },
       {kPicture, "key down 39", "overlay hidden"},
       {},
       nullptr,
       [](PhoneRun& r) {  // 500 ms after the release at 1760
         EXPECT_TRUE(containsEntry(r.eventsBetween(2260, 2261), "overlay hidden"));
       }},
      {"angle stored as text: the screen counts as upright",
       [](PhoneRun& r) {
         r.phone.registry().setString(Registry::localMachine, L"System\\GDI\\Rotation", L"Angle",
                                      L"90", true);
       },
       {kPicture, "key down 39"},
       {}},
      {"binding longer than the read buffer: nothing runs, nothing cut is started",
       [&longPath](PhoneRun& r) { r.bind(L"SwipeRightDouble", longPath); },
       {kPicture},
       {"launch", "key down"}},
      {"binding with a NUL inside: the text before it counts",
       [](PhoneRun& r) {
         setRaw(r, L"SwipeRightDouble", Registry::typeString,
                utf16(std::wstring(L"left\0calc", 9)));
       },
       {kPicture, "key down 37"},
       {"launch"}},
      {"binding of an odd number of bytes: the last byte is ignored",
       [](PhoneRun& r) {
         std::vector<std::uint8_t> bytes = utf16(L"left");
         bytes.push_back(0x41);
         setRaw(r, L"SwipeRightDouble", Registry::typeString, bytes);
       },
       {kPicture, "key down 37"},
       {"launch"}},
      {"empty binding: nothing to start",
       [](PhoneRun& r) { r.bind(L"SwipeRightDouble", L""); },
       {kPicture},
       {"launch", "key down"}},
      {"binding stored as a number: its bytes are no program",
       [](PhoneRun& r) {
         r.phone.registry().setDword(Registry::currentUser, programKey, L"SwipeRightDouble", 5);
       },
       {kPicture, "launch \"\x05\" failed"},
       {"key down"}},
      {"list without its final terminator: the last entry counts",
       [](PhoneRun& r) {
         setRaw(r, L"BlackListAll", Registry::typeMultiString, utf16(L"\\Windows\\Notes.exe"));
       },
       {},
       {"overlay", "key down"},
       [](PhoneRun& r) { r.phone.setForeground(r.phone.windows().find(L"MailWnd", L"Mail")); }},
      {"list stored as a number: it names no application",
       [](PhoneRun& r) {
         r.phone.registry().setDword(Registry::currentUser, programKey, L"BlackListAll",
                                     0x005C005C);
       },
       {kPicture, "key down 39"},
       {}},
  };
  for (const InputRow& row : rows) playSwipe(row);
}

TEST(BadInputTest, DriverSwitchThatIsNoNumberIsLeftAlone) {
  // The switch cannot be read, so the driver is not re-armed and no value is
  // created or changed; the library the driver has not loaded posts nothing.
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  setRaw(r, L"MultiTouchDemo", Registry::typeString, utf16(L"enabled"), Registry::localMachine,
         L"HARDWARE\\DEVICEMAP\\TOUCH");
  r.touches(1500, FaultTest::swipeRight());
  r.at(4900, [&r] {
    const auto stored = r.phone.registry().valueRaw(
        Registry::localMachine, L"HARDWARE\\DEVICEMAP\\TOUCH", L"MultiTouchDemo");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->data, utf16(L"enabled"));
  });
  r.at(5000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);
  EXPECT_FALSE(containsEntry(r.eventsBetween(0, 5000), "key down"));
}

TEST(BadInputTest, SamplesNoFingerCanMakeAreWithheldAndTheNextGestureWorks) {
  PhoneRun r;
  r.configure();
  r.bind(L"SwipeRightDouble", L"right");
  const std::uint32_t huge = 0xFFFFFFFFu;
  std::vector<MultipointSample> odd;
  MultipointSample s;
  for (const std::uint32_t count : {3u, 7u, huge}) {  // counts the panel never reports
    s = FaultTest::sampleAt(count, {100, 100}, {200, 200});
    odd.push_back(s);
  }
  s = MultipointSample{};
  s.pointCount = 1;
  s.firstX = s.firstY = huge;  // beyond any screen
  odd.push_back(s);
  s.pointCount = 2;
  s.secondX = s.secondY = huge;
  odd.push_back(s);
  odd.push_back(FaultTest::sampleAt(2, {240, 400}, {240, 400}));  // both fingers on one pixel
  odd.push_back(FaultTest::sampleAt(2, {0, 0}, {0, 0}));
  for (int i = 0; i < 5; ++i) odd.push_back(FaultTest::sampleAt(0, {}));  // a run of releases
  r.touches(1500, odd);

  // A swipe with odd samples among its own: they are withheld and skipped.
  std::vector<MultipointSample> swipe = FaultTest::swipeRight();
  swipe.insert(swipe.begin() + 10, FaultTest::sampleAt(5, {10, 10}, {20, 20}));
  r.touches(3000, swipe);
  r.touches(6000, FaultTest::swipeRight());
  r.at(9000, [&r] { r.phone.pressCtrlQ(); });
  EXPECT_EQ(r.run(), 0);

  const auto touches = r.phone.log().texts(LogCategory::touch);
  EXPECT_TRUE(containsInOrder(touches, {"touch 3 (400,400) (800,800) -> withheld",
                                        "touch 7 (400,400) (800,800) -> withheld",
                                        "touch 4294967295 (400,400) (800,800) -> withheld",
                                        "touch 1 (4294967295,4294967295) -> withheld"}));
  EXPECT_FALSE(containsEntry(r.eventsBetween(1500, 3000), "key down"));
  EXPECT_TRUE(containsInOrder(r.eventsBetween(3000, 6000), {kPicture, "key down 39"}));
  EXPECT_TRUE(containsInOrder(r.eventsBetween(6000, 9000), {kPicture, "key down 39"}));
}

TEST(BadInputTest, MissingWindowsAndProcessesEndTheActionQuietly) {
  const auto ended = [](PhoneRun& r) {
    std::uint32_t processId = 0;
    r.phone.windows().windowProcessId(r.phone.windows().foregroundWindow(), processId);
    r.phone.processes().endProcess(processId);
  };
  const InputRow rows[] = {
      {"close with no window in front",
       [](PhoneRun& r) { r.bind(L"SwipeRightDouble", L"closeapp"); },
       {kPicture},
       {"close request"}},
      {"switch with no window in front",
       [](PhoneRun& r) { r.bind(L"SwipeRightDouble", L"nextapp"); },
       {kPicture},
       {"foreground", "activate"}},
      {"back with no window in front: the key goes nowhere in particular",
       [](PhoneRun& r) { r.bind(L"SwipeRightDouble", L"back"); },
       {kPicture, "key down 115", "key up 115"},
       {}},
  };
  for (const InputRow& row : rows) playSwipe(row, false);

  const InputRow withApps[] = {
      {"switch away from an application whose process ended",
       [&ended](PhoneRun& r) {
         r.bind(L"SwipeRightDouble", L"nextapp");
         ended(r);
       },
       {kPicture},
       {"foreground", "activate"}},
      {"close a window that belongs to no process",
       [](PhoneRun& r) {
         r.bind(L"SwipeRightDouble", L"closeapp");
         r.phone.setForeground(r.phone.windows().create(L"Orphan", L"Orphan", 0, true));
       },
       {kPicture},
       {"close request"}},
  };
  for (const InputRow& row : withApps) playSwipe(row);
}

}  // namespace
