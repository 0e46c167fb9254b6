// The program `zem` on a real kernel: it grabs a uinput panel, passes on
// through its clone only what the pass-through rectangle lets through, types
// bound keys and the game-pad's keys on its virtual keyboard, survives the
// panel's removal, and how long a frame takes to become a key.
//
//   vm-zem ZEM RECORDINGS [--without-touch]   (RECORDINGS: a folder of evemu recordings)
//
// --without-touch: zem was built without the panel's touch driver; only
// the checks that need no touch run (its keyboard, its exit).
//
// The checks run in order on one running zem (each builds on the state the
// previous one left); settings go in through its files, as a user's editor
// would write them.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "vm_support.h"

namespace {

using std::chrono::milliseconds;

constexpr const char* panelName = "ZEM check panel";
constexpr const char* clonePrefix = "ZEM pass-through: ";
constexpr const char* keyboardName = "ZEM virtual keyboard";
constexpr int contactSlots = 5;
// Enough slots to rebuild the contacts of any recorded panel.
constexpr int maxSlots = 64;
// Time for zem to see a file change (inotify, then its loop), in ms; generous
// because the VM is emulated.
constexpr int settleMs = 600;
// Pause between frames of a drawn gesture, in ms.
constexpr int frameMs = 8;
// The program's re-arm of the driver: its switch stays off 1000 ms, in ms.
constexpr int rearmMs = 1000;

std::string env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string settingsPath() { return env("XDG_CONFIG_HOME", "/root/.config") + "/zem/settings.reg"; }
std::string driverKeyPath() { return env("XDG_RUNTIME_DIR", "/run/user/0") + "/zem/driver.reg"; }

// Replaces a file at once (temporary file, rename), as an editor does.
bool writeFile(const std::string& path, const std::string& text) {
  mkdir(path.substr(0, path.rfind('/')).c_str(), 0700);
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << text;
    if (!out) return false;
  }
  return rename(temporary.c_str(), path.c_str()) == 0;
}

const char* const settingsText =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
    "\"SwipeRightDouble\"=\"right\"\r\n"
    "\"SwipeDownDouble\"=\"controller\"\r\n"
    "\"ShowOverlay\"=dword:00000000\r\n"
    "\"ControllerVibrate\"=dword:00000000\r\n"
    "\"ControllerKeys\"=\"40,38,37,39,13,12,96,97,98,99,100,101\"\r\n";

// No gesture bound: a recording that happens to draw one changes nothing
// (a swipe down would show the game-pad and its own rectangle).
const char* const unboundSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
    "\"ShowOverlay\"=dword:00000000\r\n";

std::string driverKey(int multiTouchDemo, const std::string& lockTouch) {
  char text[256];
  std::snprintf(text, sizeof text,
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\TOUCH]\r\n"
                "\"MultiTouchDemo\"=dword:%08x\r\n\"LockTouch\"=\"%s\"\r\n",
                static_cast<unsigned>(multiTouchDemo), lockTouch.c_str());
  return text;
}

void pause(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

// A new session's runtime folder holds no driver key.
void freshSession() { unlink(driverKeyPath().c_str()); }

// zem's start-up writes to the driver key are done: the switch is on and
// the whole screen passes. A value set before them would be overwritten.
// Only for a zem started on a fresh runtime folder (freshSession()): a key
// left by an earlier zem already looks like that.
// (The file may be UTF-16: its NUL bytes are dropped before looking.)
std::string driverKeyText() {
  std::ifstream in(driverKeyPath(), std::ios::binary);
  // Read in chunks: GCC 12 warns (wrongly) about istreambuf_iterator at -O2.
  std::string text;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

// Waits up to 10 s for the driver key to hold every one of `entries`
// (lines as the file writes them) and none of `absent`.
bool waitForDriverKey(const std::vector<std::string>& entries,
                      const std::vector<std::string>& absent = {}) {
  const auto end = std::chrono::steady_clock::now() + milliseconds(10000);
  for (;;) {
    const std::string text = driverKeyText();
    bool all = true;
    for (const std::string& e : entries) all = all && text.find(e) != std::string::npos;
    for (const std::string& e : absent) all = all && text.find(e) == std::string::npos;
    if (all) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    pause(20);
  }
}

const std::string wholeScreen = "\"LockTouch\"=\"0,0,480,800\"";

bool waitForStartupWrites() {
  return waitForDriverKey({"\"MultiTouchDemo\"=dword:00000001", wholeScreen});
}

// The rectangle the hook lets through, set as the program's controller sets
// it: the value, then the driver's switch off and on, so that the driver loads
// a fresh forwarder, which reads the value.
void setLockTouch(const std::string& rectangle) {
  writeFile(driverKeyPath(), driverKey(0, rectangle));
  pause(settleMs);
  writeFile(driverKeyPath(), driverKey(1, rectangle));
  pause(settleMs);
}

std::int64_t monotonicUs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

struct Key {
  unsigned code;
  int value;
  bool operator==(const Key& o) const { return code == o.code && value == o.value; }
};

// "103v 103^": key code, then v for down, ^ for up.
std::string describe(const std::vector<Key>& keys) {
  std::string out;
  for (const Key& k : keys) {
    out += (out.empty() ? "" : " ") + std::to_string(k.code) + (k.value != 0 ? "v" : "^");
  }
  return out.empty() ? "(none)" : out;
}

std::string describe(const std::vector<std::vector<Contact>>& frames) {
  std::string out;
  for (const auto& frame : frames) {
    out += "[";
    for (const Contact& c : frame)
      out += "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")";
    out += "]";
  }
  return out.empty() ? "(none)" : out;
}

// zem on a panel, with readers on the panel's clone and on zem's keyboard.
class Rig {
 public:
  explicit Rig(VmReport& report) : report_(report) {}

  bool start(const std::string& zem) {
    std::string error;
    panel_ = UinputDevice::create(checkPanelDescription(panelName), error);
    if (!report_.check("a uinput panel for zem", panel_ != nullptr, error)) return false;
    if (!writeFile(settingsPath(), settingsText)) {
      return report_.check("settings written", false, settingsPath());
    }
    freshSession();
    zem_ = std::make_unique<ZemProcess>(zem, std::vector<std::string>{"--device", panel_->node()});
    keyboard_ = findEventNode(keyboardName, milliseconds(10000));
    if (!report_.check(
            "zem makes its virtual keyboard", !keyboard_.empty(),
            zem_->running() ? "no device named " + std::string(keyboardName) : "zem exited")) {
      return false;
    }
    keys_ = std::make_unique<EventReader>(keyboard_, false);
    int clock = CLOCK_MONOTONIC;
    ioctl(keys_->fd(), EVIOCSCLOCKID, &clock);
    if (!attach("zem grabs the panel and makes its clone")) return false;
    return report_.check("zem's start-up writes to the driver key", waitForStartupWrites());
  }

  // After the panel (re)appears: finds the clone, checks zem's grab, reads
  // the clone and (ungrabbed) the panel.
  bool attach(const std::string& check) {
    // zem may keep its clone while the panel is away, or make a new one.
    if (clone_ != nullptr && clone_->deviceGone()) clone_.reset();
    const std::string clone =
        clone_ != nullptr ? cloneNode_ : findEventNode(clonePrefix, milliseconds(10000));
    const bool grabbed = !clone.empty() && waitForGrab(panel_->node(), true, milliseconds(5000));
    if (!report_.check(check, grabbed,
                       clone.empty() ? "no clone appeared" : "the panel is not grabbed")) {
      return false;
    }
    if (clone_ == nullptr) {
      clone_ = std::make_unique<EventReader>(clone, false);
      cloneNode_ = clone;
      cloneFramesSeen_ = 0;
    }
    other_ = std::make_unique<EventReader>(panel_->node(), false);
    touch_ = std::make_unique<TouchWriter>(*panel_, contactSlots);
    return true;
  }

  TouchWriter& touch() { return *touch_; }
  void frame() {
    touch_->frame();
    pause(frameMs);
  }

  // What the clone showed since the last call (frames of active contacts).
  std::vector<std::vector<Contact>> cloneFrames() {
    pause(settleMs / 2);
    const std::vector<input_event> events = clone_->events();
    ContactView view(contactSlots);
    view.feed(events);
    std::vector<std::vector<Contact>> frames(
        view.frames().begin() + static_cast<long>(cloneFramesSeen_), view.frames().end());
    cloneFramesSeen_ = view.frames().size();
    return frames;
  }
  // Keys typed since the last call.
  std::vector<Key> keys(std::size_t atLeast = 0, int waitMs = 2000) {
    keys_->waitFor(keysSeen_ + atLeast * 2, milliseconds(waitMs));
    pause(50);
    std::vector<Key> out;
    const std::vector<input_event> events = keys_->events();
    for (std::size_t i = keysSeen_; i < events.size(); ++i) {
      if (events[i].type == EV_KEY) out.push_back({events[i].code, events[i].value});
    }
    keysSeen_ = events.size();
    return out;
  }
  EventReader& keyReader() { return *keys_; }
  void skipKeys() { keysSeen_ = keys_->events().size(); }

  bool otherSawNothing() { return other_->events().empty(); }

  // Removes the panel (its readers see ENODEV).
  void unplug() {
    touch_.reset();
    other_.reset();
    panel_.reset();
  }
  bool replug() {
    std::string error;
    panel_ = UinputDevice::create(checkPanelDescription(panelName), error);
    return panel_ != nullptr;
  }
  // Contacts the clone shows once the driver had time to react.
  std::vector<Contact> cloneContactsAfterSettling() {
    pause(2 * settleMs);
    ContactView view(contactSlots);
    view.feed(clone_->events());
    return view.active();
  }

  ZemProcess& zem() { return *zem_; }

 private:
  VmReport& report_;
  std::unique_ptr<UinputDevice> panel_;
  std::unique_ptr<ZemProcess> zem_;
  std::string keyboard_;
  std::unique_ptr<EventReader> keys_;
  std::unique_ptr<EventReader> clone_;
  std::string cloneNode_;
  std::unique_ptr<EventReader> other_;
  std::unique_ptr<TouchWriter> touch_;
  std::size_t cloneFramesSeen_ = 0;
  std::size_t keysSeen_ = 0;
};

// One finger along `points`, then lifted.
void stroke(Rig& rig, const std::vector<std::pair<int, int>>& points) {
  rig.touch().down(0, points.front().first, points.front().second);
  rig.frame();
  for (std::size_t i = 1; i < points.size(); ++i) {
    rig.touch().move(0, points[i].first, points[i].second);
    rig.frame();
  }
  rig.touch().up(0);
  rig.frame();
}

// Two fingers 200 pixels apart moving together by (dx, dy) per frame.
void twoFingerSwipe(Rig& rig, int x, int y, int dx, int dy, int steps) {
  const int gapX = dx == 0 ? 200 : 0;
  const int gapY = dx == 0 ? 0 : 200;
  rig.touch().down(0, x, y).down(1, x + gapX, y + gapY);
  rig.frame();
  for (int i = 1; i <= steps; ++i) {
    rig.touch().move(0, x + i * dx, y + i * dy).move(1, x + gapX + i * dx, y + gapY + i * dy);
    rig.frame();
  }
  rig.touch().up(0).up(1);
  rig.frame();
}

using Points = std::vector<std::pair<int, int>>;

// The clone's frames as describe() shows them for one finger along `points`
// and then lifted.
std::string oneFinger(const Points& points) {
  std::string out;
  for (const auto& [x, y] : points)
    out += "[(" + std::to_string(x) + "," + std::to_string(y) + ")]";
  return out + "[]";
}

// The clone's frames since the last look are `want` ("(none)": nothing).
void expectClone(VmReport& report, Rig& rig, const std::string& check, const std::string& want) {
  const std::string got = describe(rig.cloneFrames());
  report.check(check, got == want, got);
}

void checkPassThrough(VmReport& report, Rig& rig) {
  const Points inside = {{100, 100}, {120, 110}, {140, 120}, {160, 130}};
  stroke(rig, inside);
  expectClone(report, rig, "whole screen: the clone shows the touch, moves and lift",
              oneFinger(inside));
  report.check("while zem holds the panel a second reader gets nothing", rig.otherSawNothing());

  setLockTouch("0,0,480,320");
  stroke(rig, inside);
  expectClone(report, rig, "LockTouch 0,0,480,320: a touch inside passes, lift included",
              oneFinger(inside));
  stroke(rig, {{240, 500}, {250, 520}, {260, 540}});
  expectClone(report, rig, "LockTouch 0,0,480,320: a touch outside never reaches the clone",
              "(none)");
  // From inside across the border at y = 320 and back in. Each frame is
  // judged alone: out, the contact is lifted; back in, it shows again.
  stroke(rig, {{300, 200}, {300, 300}, {300, 400}, {300, 250}});
  expectClone(report, rig,
              "LockTouch 0,0,480,320: a finger leaving the rectangle is lifted on the clone "
              "and shown again when it comes back",
              "[(300,200)][(300,300)][][(300,250)][]");
  rig.touch().down(0, 100, 100).down(1, 200, 600);
  rig.frame();
  rig.touch().move(0, 110, 100).move(1, 210, 600);
  rig.frame();
  rig.touch().up(0).up(1);
  rig.frame();
  expectClone(report, rig,
              "LockTouch 0,0,480,320: one finger inside and one outside: nothing passes", "(none)");

  setLockTouch("0,0,0,0");
  stroke(rig, inside);
  expectClone(report, rig, "LockTouch 0,0,0,0: nothing passes", "(none)");
  setLockTouch("0,0,480,800");
}

void checkBoundKey(VmReport& report, Rig& rig) {
  rig.skipKeys();
  twoFingerSwipe(rig, 60, 250, 20, 0, 16);
  const std::vector<Key> keys = rig.keys(2, 5000);
  report.check("a two-finger swipe right bound to \"right\" types KEY_RIGHT down and up",
               keys == std::vector<Key>{{KEY_RIGHT, 1}, {KEY_RIGHT, 0}}, describe(keys));
}

// Shows the game-pad (portrait: the pad in the bottom 320 pixels) with the
// two-finger swipe down bound to "controller".
bool showGamePad(VmReport& report, Rig& rig) {
  twoFingerSwipe(rig, 140, 80, 0, 20, 14);
  // The game-pad writes its own rectangle, then re-arms the driver.
  waitForDriverKey({"\"LockTouch\""}, {wholeScreen});
  pause(rearmMs + settleMs);
  rig.cloneFrames();
  rig.skipKeys();
  stroke(rig, {{90, 760}});
  const std::vector<Key> keys = rig.keys(2, 3000);
  return report.check("a two-finger swipe down bound to \"controller\" shows the game-pad",
                      keys == std::vector<Key>{{KEY_DOWN, 1}, {KEY_DOWN, 0}}, describe(keys));
}

void checkGamePadSlide(VmReport& report, Rig& rig) {
  // down (0,720,185,80) -> up (0,480,185,80) -> right (100,600,80,80), lift
  stroke(rig, {{90, 760}, {90, 740}, {90, 520}, {140, 640}});
  std::vector<Key> keys = rig.keys(6, 3000);
  const std::vector<Key> expected = {{KEY_DOWN, 1}, {KEY_DOWN, 0},  {KEY_UP, 1},
                                     {KEY_UP, 0},   {KEY_RIGHT, 1}, {KEY_RIGHT, 0}};
  report.check("game-pad: a finger sliding down, up, right types each key in order",
               keys == expected, describe(keys));

  // Two fingers: one holds down; the other slides from button 6 (300,480,110,80)
  // to button 8 (300,600,110,80); both lift together. Keys change in the
  // order of the pad's areas (down before the buttons).
  rig.touch().down(0, 60, 770);
  rig.frame();
  rig.touch().down(1, 320, 520);
  rig.frame();
  rig.touch().move(1, 320, 640);
  rig.frame();
  rig.touch().up(0).up(1);
  rig.frame();
  keys = rig.keys(6, 3000);
  const std::vector<Key> twoFingers = {{KEY_DOWN, 1}, {KEY_KP0, 1},  {KEY_KP0, 0},
                                       {KEY_KP2, 1},  {KEY_DOWN, 0}, {KEY_KP2, 0}};
  report.check("game-pad: two fingers, one holding and one sliding between buttons, in order",
               keys == twoFingers, describe(keys));
  auto frames = rig.cloneFrames();
  report.check("game-pad: touches on the pad never reach the clone", frames.empty(),
               describe(frames));
}

// Frame-to-key latency on the game-pad: from writing the frame that puts a
// finger on a button to the key's event on zem's keyboard (the kernel stamps
// it with CLOCK_MONOTONIC).
void measureLatency(VmReport& report, Rig& rig) {
  std::vector<std::int64_t> us;
  for (int i = 0; i < 40; ++i) {
    rig.skipKeys();
    const std::size_t before = rig.keyReader().events().size();
    // The hook posts a touch only when its position differs from the last one
    // posted (even across a lift), so successive presses land on two spots.
    rig.touch().down(0, 90 + (i % 2) * 4, 760);
    const std::int64_t written = monotonicUs();
    rig.touch().frame();
    rig.keyReader().waitFor(before + 2, milliseconds(2000));
    const std::vector<input_event> events = rig.keyReader().events();
    for (std::size_t k = before; k < events.size(); ++k) {
      if (events[k].type == EV_KEY && events[k].code == KEY_DOWN && events[k].value == 1) {
        us.push_back(static_cast<std::int64_t>(events[k].input_event_sec) * 1000000 +
                     static_cast<std::int64_t>(events[k].input_event_usec) - written);
        break;
      }
    }
    rig.touch().up(0);
    rig.touch().frame();
    rig.keys(1, 2000);
    pause(20);
  }
  if (!report.check("latency: every press gave its key", us.size() == 40,
                    std::to_string(us.size()) + " of 40")) {
    return;
  }
  std::sort(us.begin(), us.end());
  char line[160];
  std::snprintf(line, sizeof line,
                "latency frame to key (game-pad, 40 presses, emulated): median %.2f ms, "
                "99th percentile %.2f ms",
                static_cast<double>(us[us.size() / 2]) / 1000.0,
                static_cast<double>(us[(us.size() * 99) / 100]) / 1000.0);
  report.note(line);
}

// The panel vanishes while a pad key is held and while a passing touch is
// on the clone: nothing stays pressed, and zem takes the panel back when it
// returns.
void checkUnplug(VmReport& report, Rig& rig) {
  rig.skipKeys();
  rig.touch().down(0, 100, 770);
  rig.frame();
  rig.keys(1, 2000);
  rig.unplug();
  std::vector<Key> keys = rig.keys(1, 3000);
  report.check("panel removed while a pad key is held: the key is released",
               keys == std::vector<Key>{{KEY_DOWN, 0}}, describe(keys));
  report.check("panel removed: zem keeps running and waits", rig.zem().running());
  if (!rig.replug() || !rig.attach("panel back: zem grabs it again")) return;

  // The exit button (215,750,50,50) hides the pad; the whole screen passes.
  stroke(rig, {{240, 775}});
  waitForDriverKey({wholeScreen});
  pause(rearmMs + settleMs);
  rig.cloneFrames();
  rig.touch().down(0, 200, 200);
  rig.frame();
  auto frames = rig.cloneFrames();
  report.check("game-pad hidden: a touch passes again",
               !frames.empty() && frames.back().size() == 1, describe(frames));
  rig.unplug();
  const std::vector<Contact> left = rig.cloneContactsAfterSettling();
  report.check("panel removed mid-touch: the clone lifts the contact", left.empty(),
               describe({left}));
  keys = rig.keys(0, 500);
  report.check("panel removed mid-touch: no key typed or held", keys.empty(), describe(keys));
  if (!rig.replug()) return;
  rig.attach("panel back again: zem grabs it");
}

// A panel position in screen pixels at rotation 0 (480 x 800): the panel's
// axis range spread over the screen, as zem scales it (in quarter pixels).
double toScreen(int value, const AxisInfo& axis, int size) {
  const std::int64_t q = (static_cast<std::int64_t>(value) - axis.minimum) * 4 * size /
                         (static_cast<std::int64_t>(axis.maximum) - axis.minimum + 1);
  return static_cast<double>(std::clamp<std::int64_t>(q, 0, 4 * size - 1)) / 4.0;
}

// The rectangle of the recordings' pass: 0,0,480,320. Within a pixel of its
// edge a point counts both ways (scaling rounds).
constexpr double rectWidth = 480;
constexpr double rectHeight = 320;
bool mayPass(double x, double y) { return x < rectWidth + 1 && y < rectHeight + 1; }
bool mustPass(double x, double y) {
  return x > 1 && y > 1 && x < rectWidth - 1 && y < rectHeight - 1;
}

using PositionSet = std::vector<std::pair<int, int>>;
PositionSet positions(const std::vector<Contact>& contacts) {
  PositionSet out;
  for (const Contact& c : contacts) out.emplace_back(c.x, c.y);
  std::sort(out.begin(), out.end());
  return out;
}

// Every recorded panel through a zem that finds the panel itself, with
// "LockTouch" 0,0,480,320: zem grabs the panel, a second reader gets
// nothing, every frame on the clone is a frame of the panel whose first two
// contacts (the hook's two points) lie in the rectangle once scaled, frames
// clearly inside do reach the clone, and every contact ends lifted.
void checkRecordings(VmReport& report, const std::string& zemPath, const std::string& folder) {
  const std::vector<std::string> recordings = recordingsIn(folder);
  if (!report.check("settings without bindings written",
                    writeFile(settingsPath(), unboundSettings))) {
    return;
  }
  freshSession();
  ZemProcess zem(zemPath, {});
  bool rectangleSet = false;
  for (const auto& path : recordings) {
    const std::string name = path.substr(path.rfind('/') + 1);
    std::string error;
    const auto recording = readRecording(path, error);
    auto panel = recording ? UinputDevice::create(recording->description, error) : nullptr;
    if (!report.check(name + ": replayed to zem", panel != nullptr, error)) {
      continue;
    }
    const std::string clone = findEventNode(clonePrefix, milliseconds(10000));
    if (!report.check(name + ": zem grabs the panel",
                      !clone.empty() && waitForGrab(panel->node(), true, milliseconds(5000)))) {
      continue;
    }
    if (!rectangleSet) {  // once, after zem's own start-up writes
      report.check("zem's start-up writes to the driver key", waitForStartupWrites());
      setLockTouch("0,0,480,320");
      rectangleSet = true;
    }
    EventReader cloneReader(clone, false);
    EventReader other(panel->node(), false);
    const AxisInfo& xAxis = recording->description.axis(ABS_MT_POSITION_X);
    const AxisInfo& yAxis = recording->description.axis(ABS_MT_POSITION_Y);
    InputCoreModel model(recording->description);
    const ReplayResult sent = replayRecording(*panel, *recording, model, 8.0);
    pause(2 * settleMs);

    // The panel's frames: may each pass, and must some pass?
    std::map<PositionSet, bool> panelFrames;
    bool somePass = false;
    ContactView panelView(maxSlots);
    for (const ModelEvent& e : sent.expected) panelView.feed(makeEvent(e.type, e.code, e.value));
    for (const auto& frame : panelView.frames()) {
      if (frame.empty()) continue;
      bool may = true;
      bool must = true;
      for (const Contact& c : ContactView::oldestTwo(frame)) {
        const double x = toScreen(c.x, xAxis, 480);
        const double y = toScreen(c.y, yAxis, 800);
        may = may && mayPass(x, y);
        must = must && mustPass(x, y);
      }
      panelFrames[positions(frame)] |= may;
      somePass = somePass || must;
    }
    ContactView cloneView(maxSlots);
    cloneView.feed(cloneReader.events());
    std::size_t shown = 0;
    std::string wrong;
    for (const auto& frame : cloneView.frames()) {
      if (frame.empty()) continue;
      ++shown;
      const auto found = panelFrames.find(positions(frame));
      if (wrong.empty() && found == panelFrames.end()) {
        wrong = "a frame the panel never had: " + describe({frame});
      } else if (wrong.empty() && !found->second) {
        wrong = "a frame outside the rectangle: " + describe({frame});
      }
    }
    if (wrong.empty() && somePass && shown == 0) wrong = "frames inside the rectangle never came";
    if (wrong.empty() && !sent.written) wrong = "a write to the panel failed";
    report.check(name + ": the clone shows only panel frames inside 0,0,480,320 (" +
                     std::to_string(shown) + " frames)",
                 wrong.empty(), wrong);
    report.check(name + ": every contact is lifted on the clone at the end",
                 cloneView.active().empty(), describe({cloneView.active()}));
    report.check(name + ": a second reader of the panel gets nothing", other.events().empty());
    panel.reset();
    cloneReader.waitFor(SIZE_MAX, milliseconds(3000));  // until the clone goes with the panel
  }
  report.check("zem ran through every recorded panel and ends cleanly on SIGTERM",
               zem.stop(milliseconds(5000)) == 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vm-zem ZEM RECORDINGS [--without-touch]\n");
    return 2;
  }
  VmReport report;
  if (argc > 3 && std::string(argv[3]) == "--without-touch") {
    report.note("zem was built without its touch driver: the touch checks are left out");
    if (!writeFile(settingsPath(), settingsText)) report.check("settings written", false);
    ZemProcess zem(argv[1], {});
    report.check("zem makes its virtual keyboard",
                 !findEventNode(keyboardName, milliseconds(10000)).empty());
    report.check("SIGTERM ends zem cleanly", zem.stop(milliseconds(5000)) == 0);
    return report.exitCode();
  }
  {
    Rig rig(report);
    if (rig.start(argv[1])) {
      checkPassThrough(report, rig);
      checkBoundKey(report, rig);
      if (showGamePad(report, rig)) {
        checkGamePadSlide(report, rig);
        measureLatency(report, rig);
        checkUnplug(report, rig);
      }
      report.check("SIGTERM ends zem cleanly", rig.zem().stop(milliseconds(5000)) == 0);
    }
  }  // the check panel goes with the rig
  checkRecordings(report, argv[1], argv[2]);
  return report.exitCode();
}
