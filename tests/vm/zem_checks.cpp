// The program `zem` on a real kernel: it grabs a uinput panel, passes on
// through its clone only what the pass-through rectangle lets through, types
// bound keys and the game-pad's keys on its virtual keyboard, survives the
// panel's removal, and takes every recorded panel with a rectangle scaled
// from the panel's own ranges.
//
//   vm-zem ZEM RECORDINGS   (RECORDINGS: a folder of evemu recordings)
//
// The checks run in order on one running zem (each builds on the state the
// previous one left); settings go in through its files, as a user's editor
// would write them.
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vm_support.h"

extern char** environ;

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

const std::string settingsHead =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\ZEM]\r\n"
    "\"ShowOverlay\"=dword:00000000\r\n";
const std::string boundSettings = settingsHead +
                                  "\"SwipeRightDouble\"=\"right\"\r\n"
                                  "\"SwipeDownDouble\"=\"controller\"\r\n"
                                  "\"ControllerVibrate\"=dword:00000000\r\n";

void pause(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

// A new session's runtime folder holds no driver key, so zem's start-up
// writes to it can be told from a key an earlier zem left.
void freshSession() { unlink(driverKeyPath().c_str()); }

// Waits up to 10 s for the driver key to hold every one of `entries`
// (lines as the file writes them) and none of `absent`. (The file may be
// UTF-16: its NUL bytes are dropped before looking.)
bool waitForDriverKey(const std::vector<std::string>& entries,
                      const std::vector<std::string>& absent = {}) {
  const auto end = std::chrono::steady_clock::now() + milliseconds(10000);
  for (;;) {
    std::ostringstream bytes;
    bytes << std::ifstream(driverKeyPath(), std::ios::binary).rdbuf();
    std::string text = bytes.str();
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    bool all = true;
    for (const std::string& e : entries) all = all && text.find(e) != std::string::npos;
    for (const std::string& e : absent) all = all && text.find(e) == std::string::npos;
    if (all) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    pause(20);
  }
}

const std::string wholeScreen = "\"LockTouch\"=\"0,0,480,800\"";

// zem's start-up writes to the driver key are done (the switch on, the
// whole screen passing): a value set before them would be overwritten.
bool waitForStartupWrites() {
  return waitForDriverKey({"\"MultiTouchDemo\"=dword:00000001", wholeScreen});
}

// The rectangle the hook lets through, set as the program's controller sets
// it: the value, then the driver's switch off and on, so that the driver loads
// a fresh forwarder, which reads the value.
void setLockTouch(const std::string& rectangle) {
  for (const int on : {0, 1}) {
    writeFile(driverKeyPath(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\TOUCH]\r\n"
              "\"MultiTouchDemo\"=dword:0000000" +
                  std::to_string(on) + "\r\n\"LockTouch\"=\"" + rectangle + "\"\r\n");
    pause(settleMs);
  }
}

// The program under test, a child process; its output goes to the console.
class ZemProcess {
 public:
  ZemProcess(const std::string& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& w : arguments) argv.push_back(w.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
  }
  ~ZemProcess() {
    if (running()) kill(pid_, SIGKILL);
    if (pid_ >= 0) waitpid(pid_, nullptr, 0);
  }
  ZemProcess(const ZemProcess&) = delete;
  ZemProcess& operator=(const ZemProcess&) = delete;

  bool running() {
    int status = 0;
    if (pid_ < 0 || waitpid(pid_, &status, WNOHANG) != pid_) return pid_ >= 0;
    exitedCleanly_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    pid_ = -1;
    return false;
  }
  // SIGTERM; true when it ends within 5 s with exit status 0.
  bool stopsCleanly() {
    if (running()) kill(pid_, SIGTERM);
    for (int i = 0; i < 500 && running(); ++i) pause(10);
    return !running() && exitedCleanly_;
  }

 private:
  pid_t pid_ = -1;
  bool exitedCleanly_ = false;
};

// A 480 x 800 panel whose axes count screen pixels (so a position written is
// the pixel ZEM sees at rotation 0), five slots, protocol B.
PanelDescription checkPanelDescription(const std::string& name) {
  PanelDescription d;
  d.name = name;
  d.bustype = BUS_VIRTUAL;
  d.vendor = 0x5a45;  // "ZE"
  d.setProperty(INPUT_PROP_DIRECT);
  d.setCode(EV_KEY, BTN_TOUCH);
  const std::pair<unsigned, int> axes[] = {{ABS_MT_SLOT, 4},
                                           {ABS_MT_TRACKING_ID, 65535},
                                           {ABS_MT_POSITION_X, 479},
                                           {ABS_MT_POSITION_Y, 799}};
  for (const auto& [code, maximum] : axes) {
    AxisInfo axis;
    axis.maximum = maximum;
    d.setAxis(code, axis);
  }
  return d;
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

using Points = std::vector<std::pair<int, int>>;

// zem on the check panel, with readers on the panel's clone and on zem's
// keyboard. (That zem holds the panel's grab is checked by a grab of our own
// being refused; what a grab keeps from other readers, vm-kernel checks.)
struct Rig {
  explicit Rig(VmReport& r) : report(r) {}
  VmReport& report;
  std::unique_ptr<UinputDevice> panel;
  std::unique_ptr<ZemProcess> zem;
  std::unique_ptr<EventReader> keyReader;
  std::unique_ptr<EventReader> clone;
  std::string cloneNode;
  // Touches written a frame at a time, as a panel's driver reports them: per
  // slot its tracking id (-1: none) and position, then BTN_TOUCH when it
  // changes, then SYN_REPORT.
  std::vector<int> ids;
  std::vector<input_event> pending;
  int nextId = 1;
  bool touching = false;
  std::size_t cloneFramesSeen = 0;
  std::size_t keysSeen = 0;

  bool start(const std::string& program) {
    std::string error;
    panel = UinputDevice::create(checkPanelDescription(panelName), error);
    if (!report.check("a uinput panel for zem", panel != nullptr, error)) return false;
    if (!report.check("settings written", writeFile(settingsPath(), boundSettings))) return false;
    freshSession();
    zem =
        std::make_unique<ZemProcess>(program, std::vector<std::string>{"--device", panel->node()});
    const std::string keyboard = findEventNode(keyboardName, milliseconds(10000));
    if (!report.check(
            "zem makes its virtual keyboard", !keyboard.empty(),
            zem->running() ? "no device named " + std::string(keyboardName) : "zem exited")) {
      return false;
    }
    keyReader = std::make_unique<EventReader>(keyboard, false);
    int clock = CLOCK_MONOTONIC;  // the latency figure compares its stamps with ours
    ioctl(keyReader->fd(), EVIOCSCLOCKID, &clock);
    return attach("zem grabs the panel and makes its clone") &&
           report.check("zem's start-up writes to the driver key", waitForStartupWrites());
  }

  // After the panel (re)appears: finds the clone (zem may keep its clone
  // while the panel is away, or make a new one) and checks zem's grab.
  bool attach(const std::string& check) {
    if (clone != nullptr && clone->deviceGone()) clone.reset();
    const std::string node =
        clone != nullptr ? cloneNode : findEventNode(clonePrefix, milliseconds(10000));
    const bool grabbed = !node.empty() && waitForGrab(panel->node(), milliseconds(5000));
    if (!report.check(check, grabbed,
                      node.empty() ? "no clone appeared" : "the panel is not grabbed")) {
      return false;
    }
    if (clone == nullptr) {
      clone = std::make_unique<EventReader>(node, false);
      cloneNode = node;
      cloneFramesSeen = 0;
    }
    ids.assign(contactSlots, -1);
    touching = false;
    return true;
  }

  // A finger at (x, y): a new contact when the slot had none, else a move.
  Rig& at(int slot, int x, int y) {
    pending.push_back(makeEvent(EV_ABS, ABS_MT_SLOT, slot));
    int& id = ids[static_cast<std::size_t>(slot)];
    if (id < 0) {
      id = nextId++;
      pending.push_back(makeEvent(EV_ABS, ABS_MT_TRACKING_ID, id));
    }
    pending.push_back(makeEvent(EV_ABS, ABS_MT_POSITION_X, x));
    pending.push_back(makeEvent(EV_ABS, ABS_MT_POSITION_Y, y));
    return *this;
  }
  Rig& up(int slot) {
    ids[static_cast<std::size_t>(slot)] = -1;
    pending.push_back(makeEvent(EV_ABS, ABS_MT_SLOT, slot));
    pending.push_back(makeEvent(EV_ABS, ABS_MT_TRACKING_ID, -1));
    return *this;
  }
  void frame() {
    const bool any = std::any_of(ids.begin(), ids.end(), [](int id) { return id >= 0; });
    if (any != touching) pending.push_back(makeEvent(EV_KEY, BTN_TOUCH, any ? 1 : 0));
    touching = any;
    pending.push_back(makeEvent(EV_SYN, SYN_REPORT, 0));
    panel->write(pending);
    pending.clear();
    pause(8);
  }
  // One finger along `points`, then lifted.
  void stroke(const Points& points) {
    for (const auto& [x, y] : points) {
      at(0, x, y);
      frame();
    }
    up(0);
    frame();
  }
  // Two fingers 200 pixels apart moving together by (dx, dy) per frame.
  void twoFingerSwipe(int x, int y, int dx, int dy, int steps) {
    const int gapX = dx == 0 ? 200 : 0;
    const int gapY = dx == 0 ? 0 : 200;
    for (int i = 0; i <= steps; ++i) {
      at(0, x + i * dx, y + i * dy).at(1, x + gapX + i * dx, y + gapY + i * dy);
      frame();
    }
    up(0).up(1);
    frame();
  }

  // What the clone showed since the last call (frames of active contacts).
  std::vector<std::vector<Contact>> cloneFrames() {
    pause(settleMs / 2);
    ContactView view(contactSlots);
    view.feed(clone->events());
    std::vector<std::vector<Contact>> frames(
        view.frames().begin() + static_cast<long>(cloneFramesSeen), view.frames().end());
    cloneFramesSeen = view.frames().size();
    return frames;
  }
  // Keys typed since the last call, waiting for at least `atLeast` presses:
  // "103v 103^" (key code, then v for down, ^ for up), "" for none.
  std::string keys(std::size_t atLeast, int waitMs) {
    keyReader->waitFor(keysSeen + atLeast * 2, milliseconds(waitMs));
    pause(50);
    std::string out;
    const std::vector<input_event> events = keyReader->events();
    for (std::size_t i = keysSeen; i < events.size(); ++i) {
      if (events[i].type != EV_KEY) continue;
      out += (out.empty() ? "" : " ") + std::to_string(events[i].code) +
             (events[i].value != 0 ? "v" : "^");
    }
    keysSeen = events.size();
    return out;
  }
  void skipKeys() { keysSeen = keyReader->events().size(); }

  // Removes the panel (its readers see ENODEV) and, with `back`, makes it again.
  bool unplug(bool back) {
    pending.clear();
    panel.reset();
    if (!back) return true;
    std::string error;
    panel = UinputDevice::create(checkPanelDescription(panelName), error);
    return panel != nullptr;
  }
};

void checkPassThrough(Rig& rig) {
  const Points inside = {{100, 100}, {120, 110}, {140, 120}, {160, 130}};
  struct Case {
    const char* check;
    const char* rectangle;  // nullptr: as it is
    Points stroke;
    std::string clone;  // what the clone shows; "(none)": nothing
  };
  const Case cases[] = {
      {"whole screen: the clone shows the touch, moves and lift", nullptr, inside,
       "[(100,100)][(120,110)][(140,120)][(160,130)][]"},
      {"LockTouch 0,0,480,320: a touch outside never reaches the clone",
       "0,0,480,320",
       {{240, 500}, {250, 520}, {260, 540}},
       "(none)"},
      // From inside across the border at y = 320 and back in. Each frame is
      // judged alone: out, the contact is lifted; back in, it shows again.
      {"LockTouch 0,0,480,320: a finger leaving the rectangle is lifted on the clone and "
       "shown again when it comes back",
       nullptr,
       {{300, 200}, {300, 300}, {300, 400}, {300, 250}},
       "[(300,200)][(300,300)][][(300,250)][]"},
      {"LockTouch 0,0,0,0: nothing passes", "0,0,0,0", inside, "(none)"},
  };
  for (const Case& c : cases) {
    if (c.rectangle != nullptr) setLockTouch(c.rectangle);
    rig.stroke(c.stroke);
    const std::string got = describe(rig.cloneFrames());
    rig.report.check(c.check, got == c.clone, got);
  }
  setLockTouch("0,0,480,800");
}

// The two-finger swipes bound to "right" and to "controller" (which shows the
// game-pad, in portrait the bottom 320 pixels, and writes its own rectangle).
bool checkBoundKeys(Rig& rig) {
  rig.skipKeys();
  rig.twoFingerSwipe(60, 250, 20, 0, 16);
  std::string keys = rig.keys(2, 5000);
  rig.report.check("a two-finger swipe right bound to \"right\" types KEY_RIGHT down and up",
                   keys == "106v 106^", keys);

  rig.twoFingerSwipe(140, 80, 0, 20, 14);
  waitForDriverKey({"\"LockTouch\""}, {wholeScreen});
  pause(rearmMs + settleMs);
  rig.cloneFrames();
  rig.skipKeys();
  rig.stroke({{90, 760}, {90, 740}, {90, 520}});  // down (0,720,185,80), then up (0,480,185,80)
  keys = rig.keys(4, 3000);
  const std::string frames = describe(rig.cloneFrames());
  const bool shown = rig.report.check(
      "a two-finger swipe down bound to \"controller\" shows the game-pad: "
      "a finger sliding from down to up types each key in order",
      keys == "108v 108^ 103v 103^", keys);
  rig.report.check("game-pad: touches on the pad never reach the clone", frames == "(none)",
                   frames);
  return shown;
}

// Frame-to-key latency on the game-pad: from writing the frame that puts a
// finger on a button to the key's event on zem's keyboard (the kernel stamps
// it with CLOCK_MONOTONIC).
void measureLatency(Rig& rig) {
  std::vector<std::int64_t> us;
  for (int i = 0; i < 40; ++i) {
    rig.skipKeys();
    const std::size_t before = rig.keyReader->events().size();
    // The hook posts a touch only when its position differs from the last one
    // posted (even across a lift), so successive presses land on two spots.
    rig.at(0, 90 + (i % 2) * 4, 760);
    // steady_clock is CLOCK_MONOTONIC, the clock of the keyboard's stamps.
    const std::int64_t written = std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count();
    rig.frame();
    rig.keyReader->waitFor(before + 2, milliseconds(2000));
    const std::vector<input_event> events = rig.keyReader->events();
    for (std::size_t k = before; k < events.size(); ++k) {
      if (events[k].type == EV_KEY && events[k].code == KEY_DOWN && events[k].value == 1) {
        us.push_back(static_cast<std::int64_t>(events[k].input_event_sec) * 1000000 +
                     static_cast<std::int64_t>(events[k].input_event_usec) - written);
        break;
      }
    }
    rig.up(0);
    rig.frame();
    rig.keys(1, 2000);
    pause(20);
  }
  if (!rig.report.check("latency: every press gave its key", us.size() == 40,
                        std::to_string(us.size()) + " of 40")) {
    return;
  }
  std::sort(us.begin(), us.end());
  std::printf(
      "# latency frame to key (game-pad, 40 presses, emulated): median %.2f ms, "
      "99th percentile %.2f ms\n",
      static_cast<double>(us[us.size() / 2]) / 1000.0,
      static_cast<double>(us[(us.size() * 99) / 100]) / 1000.0);
}

// The panel vanishes while a pad key is held and while a passing touch is
// on the clone: nothing stays pressed, and zem takes the panel back when it
// returns.
void checkUnplug(Rig& rig) {
  VmReport& report = rig.report;
  rig.skipKeys();
  rig.at(0, 100, 770);
  rig.frame();
  rig.keys(1, 2000);
  rig.unplug(false);
  std::string keys = rig.keys(1, 3000);
  report.check("panel removed while a pad key is held: the key is released", keys == "108^", keys);
  report.check("panel removed: zem keeps running and waits", rig.zem->running());
  if (!rig.unplug(true) || !rig.attach("panel back: zem grabs it again")) return;

  // The exit button (215,750,50,50) hides the pad; the whole screen passes.
  rig.stroke({{240, 775}});
  waitForDriverKey({wholeScreen});
  pause(rearmMs + settleMs);
  rig.cloneFrames();
  rig.at(0, 200, 200);
  rig.frame();
  const auto frames = rig.cloneFrames();
  report.check("game-pad hidden: a touch passes again",
               !frames.empty() && frames.back().size() == 1, describe(frames));
  rig.unplug(false);
  pause(2 * settleMs);
  ContactView view(contactSlots);
  view.feed(rig.clone->events());
  report.check("panel removed mid-touch: the clone lifts the contact", view.active().empty(),
               describe({view.active()}));
  keys = rig.keys(0, 500);
  report.check("panel removed mid-touch: no key typed or held", keys.empty(), keys);
  if (rig.unplug(true)) rig.attach("panel back again: zem grabs it");
}

// A panel position in screen pixels at rotation 0 (480 x 800): the panel's
// axis range spread over the screen, as zem scales it (in quarter pixels).
double toScreen(int value, const AxisInfo& axis, int size) {
  const std::int64_t q = (static_cast<std::int64_t>(value) - axis.minimum) * 4 * size /
                         (static_cast<std::int64_t>(axis.maximum) - axis.minimum + 1);
  return static_cast<double>(std::clamp<std::int64_t>(q, 0, 4 * size - 1)) / 4.0;
}

using PositionSet = std::vector<std::pair<int, int>>;
PositionSet positions(const std::vector<Contact>& contacts) {
  PositionSet out;
  for (const Contact& c : contacts) out.emplace_back(c.x, c.y);
  std::sort(out.begin(), out.end());
  return out;
}

// Every recorded panel through a zem that finds the panel itself, with
// "LockTouch" 0,0,480,320: zem grabs the panel, every frame on the clone is a frame of the panel
// whose first two contacts (the hook's two points) lie in the rectangle once scaled (within a pixel
// of its edge a point counts both ways: scaling rounds), frames clearly inside do reach the clone,
// and every contact ends lifted.
void checkRecordings(VmReport& report, const std::string& zemPath, const std::string& folder) {
  if (!report.check("settings without bindings written", writeFile(settingsPath(), settingsHead))) {
    return;
  }
  freshSession();
  ZemProcess zem(zemPath, {});
  bool rectangleSet = false;
  for (const auto& path : recordingsIn(folder)) {
    const std::string name = path.substr(path.rfind('/') + 1);
    std::string error;
    const auto recording = readRecording(path, error);
    auto panel = recording ? UinputDevice::create(recording->description, error) : nullptr;
    if (!report.check(name + ": replayed to zem", panel != nullptr, error)) continue;
    const std::string clone = findEventNode(clonePrefix, milliseconds(10000));
    if (!report.check(name + ": zem grabs the panel",
                      !clone.empty() && waitForGrab(panel->node(), milliseconds(5000)))) {
      continue;
    }
    if (!rectangleSet) {  // once, after zem's own start-up writes
      report.check("zem's start-up writes to the driver key", waitForStartupWrites());
      setLockTouch("0,0,480,320");
      rectangleSet = true;
    }
    EventReader cloneReader(clone, false);
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
      // The two oldest contacts are the points the hook judges.
      std::vector<Contact> judged = frame;
      std::sort(judged.begin(), judged.end(),
                [](const Contact& a, const Contact& b) { return a.since < b.since; });
      judged.resize(std::min<std::size_t>(judged.size(), 2));
      for (const Contact& c : judged) {
        const double x = toScreen(c.x, xAxis, 480);
        const double y = toScreen(c.y, yAxis, 800);
        may = may && x < 481 && y < 321;
        must = must && x > 1 && y > 1 && x < 479 && y < 319;
      }
      panelFrames[positions(frame)] |= may;
      somePass = somePass || must;
    }
    ContactView cloneView(maxSlots);
    cloneView.feed(cloneReader.events());
    std::size_t shown = 0;
    std::string wrong = sent.written ? "" : "a write to the panel failed";
    for (const auto& frame : cloneView.frames()) {
      if (frame.empty()) continue;
      ++shown;
      const auto found = panelFrames.find(positions(frame));
      if (wrong.empty() && (found == panelFrames.end() || !found->second)) {
        wrong = "a frame the panel never had inside the rectangle: " + describe({frame});
      }
    }
    if (wrong.empty() && somePass && shown == 0) wrong = "frames inside the rectangle never came";
    report.check(name + ": the clone shows only panel frames inside 0,0,480,320 (" +
                     std::to_string(shown) + " frames)",
                 wrong.empty(), wrong);
    report.check(name + ": every contact is lifted on the clone at the end",
                 cloneView.active().empty(), describe({cloneView.active()}));
    panel.reset();
    cloneReader.waitFor(SIZE_MAX, milliseconds(3000));  // until the clone goes with the panel
  }
  report.check("zem ran through every recorded panel and ends cleanly on SIGTERM",
               zem.stopsCleanly());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vm-zem ZEM RECORDINGS\n");
    return 2;
  }
  VmReport report;
  {
    Rig rig(report);
    if (rig.start(argv[1])) {
      checkPassThrough(rig);
      if (checkBoundKeys(rig)) {
        measureLatency(rig);
        checkUnplug(rig);
      }
      report.check("SIGTERM ends zem cleanly", rig.zem->stopsCleanly());
    }
  }  // the check panel goes with the rig
  checkRecordings(report, argv[1], argv[2]);
  return report.exitCode();
}
