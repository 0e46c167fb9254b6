// zem-load: a flood of touch samples and gestures through the whole program
// on the simulated phone (driver samples -> hook library -> posted messages
// -> message loop -> tracker -> recogniser -> gesture completion -> injected
// key), checking that every gesture is handled, in order, and that memory
// stays flat.
//
// Two bindings alternate: two fingers swiping right press the right arrow,
// swiping left the left arrow, so the sequence of key downs shows whether
// every gesture was handled and in which order. Each gesture is ten panel
// samples (nine moving, one release) ten milliseconds apart in virtual time.
//
// The simulated phone keeps everything observable: its event log, the debug
// lines and the samples it passed on to the system would grow with every
// sample. All are emptied after every gesture (every burst, see --burst), so
// the resident set size shows the program's own memory.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/gesture_app.h"
#include "hook/multipoint_sample.h"
#include "platform/sim/sim_phone.h"
#include "ports/input_port.h"
#include "ports/platform.h"
#include "trace/touch_sequence.h"

namespace {

constexpr char usageText[] =
    R"(Usage: zem-load [--quick | --full | --gestures N] [--burst B]
Floods ZEM on the simulated phone with two-finger swipes (ten touch samples
each, right and left in turn, bound to the right and the left arrow) and
checks that every gesture pressed its key, in order.

Prints the resident set size at the start, after every tenth of the gestures
and at the end, and the time taken.

  --quick       10,000 gestures (100,000 samples), for a quick check (default)
  --full        100,000 gestures (1,000,000 samples)
  --gestures N  N gestures
  --burst B     feed B gestures at once (all their samples at the same
                moment, so that their messages queue up), instead of one
                sample every 10 ms
  -h, --help    print this help and exit

Exit status: 0 when every gesture was handled in order and memory stayed
flat (at most 4 MiB more at the end than after the first tenth), 1 when not,
2 on a usage error.
)";

constexpr std::uint64_t quickGestures = 10000;
// Growth of the resident set size from the first tenth to the end that
// still counts as flat: the allocator's own slack.
constexpr std::uint64_t flatSlackKiB = 4096;
constexpr std::uint64_t fullGestures = 100000;

constexpr std::uint64_t sampleIntervalMs = 10;
constexpr int movingSamples = 9;                // plus the release: ten per gesture
constexpr std::uint64_t firstGestureMs = 1500;  // after the start-up's re-arm (1 s)
constexpr std::uint64_t gesturePeriodMs = 200;

constexpr std::uint8_t rightArrow = 0x27;
constexpr std::uint8_t leftArrow = 0x25;

using Clock = std::chrono::steady_clock;

// The key injection of the phone, checking the key downs against the
// expected alternation as they come.
class KeyChecker : public InputPort {
 public:
  explicit KeyChecker(InputPort& inner) : inner_(inner) {}

  void keyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                std::uintptr_t extraInfo) override {
    if (flags == KeyFlags::down) {
      const std::uint8_t expected = (keyDowns_ % 2 == 0) ? rightArrow : leftArrow;
      if (virtualKey != expected) ++outOfOrder_;
      ++keyDowns_;
    }
    inner_.keyEvent(virtualKey, scanCode, flags, extraInfo);
  }
  std::int32_t changeOrientation(const OrientationRequest& request) override {
    return inner_.changeOrientation(request);
  }

  std::uint64_t keyDowns() const { return keyDowns_; }
  std::uint64_t outOfOrder() const { return outOfOrder_; }

 private:
  InputPort& inner_;
  std::uint64_t keyDowns_ = 0;
  std::uint64_t outOfOrder_ = 0;
};

using Pixel = TouchSequence::Pixel;

// Two fingers 100 pixels apart, moving at constant speed, then the release.
std::vector<MultipointSample> twoFingerSwipe(Pixel from, Pixel to) {
  const Pixel apart{6.0, 100.0};
  return TouchSequence()
      .press(from, {from.x + apart.x, from.y + apart.y})
      .move(to, {to.x + apart.x, to.y + apart.y}, movingSamples - 1)
      .release()
      .samples();
}

// The resident set size in KiB, from the kernel's status of this process;
// 0 where there is none.
std::uint64_t residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::stoull(line.substr(6));
  }
  return 0;
}

std::string mebibytes(std::uint64_t kib) {
  if (kib == 0) return "n/a";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(kib) / 1024.0);
  return text;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Options {
  std::uint64_t gestures = quickGestures;
  std::uint64_t burst = 0;  // gestures fed at once; 0: spread out
  bool help = false;
};

// A count of 1 to 999,999,999.
bool parseCount(const std::string& text, std::uint64_t& value) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  value = std::stoull(text);
  return value > 0;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options.gestures = quickGestures;
    } else if (arg == "--full") {
      options.gestures = fullGestures;
    } else if ((arg == "--gestures" || arg == "--burst") && i + 1 < argc) {
      std::uint64_t value = 0;
      if (!parseCount(argv[++i], value)) return false;
      (arg == "--gestures" ? options.gestures : options.burst) = value;
    } else if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "zem-load: bad arguments\n%s", usageText);
    return 2;
  }
  if (options.help) {
    std::fputs(usageText, stdout);
    return 0;
  }

  const std::uint64_t gestures = options.gestures;
  const std::uint64_t sampleCount = gestures * (movingSamples + 1);
  std::printf("zem-load: %llu gestures, %llu touch samples\n",
              static_cast<unsigned long long>(gestures),
              static_cast<unsigned long long>(sampleCount));
  if (options.burst > 0) {
    std::printf("  in bursts of %llu gestures\n", static_cast<unsigned long long>(options.burst));
  }
  std::printf("  the phone's event log and pen input are emptied after every %s\n",
              options.burst > 0 ? "burst" : "gesture");

  SimPhone phone;
  phone.registry().setString(Registry::currentUser, L"Software\\ZEM", L"SwipeRightDouble", L"right",
                             true);
  phone.registry().setString(Registry::currentUser, L"Software\\ZEM", L"SwipeLeftDouble", L"left",
                             true);
  phone.setForeground(phone.addApp(L"notes.exe", L"\\Windows\\notes.exe", L"NotesWnd", L"Notes"));
  KeyChecker keys(phone.input());
  Platform platform{phone.registry(),  phone.windows(), phone.shell(), keys,
                    phone.processes(), phone.clock(),   phone.leds(),  phone.overlayDevice(),
                    phone.debug()};
  GestureApp app(platform);

  const std::vector<MultipointSample> right = twoFingerSwipe({90, 330}, {372, 318});
  const std::vector<MultipointSample> left = twoFingerSwipe({380, 322}, {96, 334});

  const std::uint64_t startKiB = residentKiB();
  std::printf("  start           rss %s\n", mebibytes(startKiB).c_str());
  const Clock::time_point started = Clock::now();
  std::uint64_t peakKiB = startKiB;
  std::uint64_t firstTenthKiB = 0;

  // Spread out, each gesture's event feeds its first sample and schedules
  // the rest and the next gesture, so only one gesture's events wait at a
  // time. In bursts, one event feeds whole gestures at once: their messages
  // queue up before ZEM takes the first, as while it sleeps.
  std::uint64_t next = 0;
  std::uint64_t nextReport = (gestures + 9) / 10;
  std::function<void()> gesture = [&] {
    phone.log().clear();
    phone.debug().clear();
    phone.touchDriver().takePenInput();
    if (next >= nextReport) {
      nextReport += (gestures + 9) / 10;
      const std::uint64_t kib = residentKiB();
      if (firstTenthKiB == 0) firstTenthKiB = kib;
      if (kib > peakKiB) peakKiB = kib;
      std::printf("  %3llu%% %9llu gestures  rss %s  %.2f s  keys %llu\n",
                  static_cast<unsigned long long>(next * 100 / gestures),
                  static_cast<unsigned long long>(next), mebibytes(kib).c_str(),
                  secondsSince(started), static_cast<unsigned long long>(keys.keyDowns()));
      std::fflush(stdout);
    }
    if (next == gestures) {
      phone.pressCtrlQ();
      return;
    }
    const std::uint64_t now = phone.clock().now();
    if (options.burst > 0) {
      for (std::uint64_t i = 0; i < options.burst && next < gestures; ++i, ++next) {
        for (const MultipointSample& sample : next % 2 == 0 ? right : left) phone.touch(sample);
      }
      phone.clock().at(now + gesturePeriodMs, gesture);
      return;
    }
    const std::vector<MultipointSample>& samples = next % 2 == 0 ? right : left;
    for (std::size_t i = 1; i < samples.size(); ++i) {
      const MultipointSample sample = samples[i];
      phone.clock().at(now + i * sampleIntervalMs, [&phone, sample] { phone.touch(sample); });
    }
    phone.clock().at(now + gesturePeriodMs, gesture);
    ++next;
    phone.touch(samples.front());
  };
  phone.clock().at(firstGestureMs, gesture);

  const int exitCode = app.run();
  const double seconds = secondsSince(started);
  phone.log().clear();
  phone.debug().clear();
  phone.touchDriver().takePenInput();
  const std::uint64_t endKiB = residentKiB();
  if (endKiB > peakKiB) peakKiB = endKiB;

  const double samples = static_cast<double>(sampleCount);
  std::printf("  end             rss %s (peak %s)\n", mebibytes(endKiB).c_str(),
              mebibytes(peakKiB).c_str());
  std::printf("  time %.2f s: %.1f us per gesture, %.2f us per sample\n", seconds,
              seconds * 1e6 / static_cast<double>(gestures), seconds * 1e6 / samples);
  std::printf("  keys: %llu of %llu gestures pressed theirs, %llu out of order; ZEM exit %d\n",
              static_cast<unsigned long long>(keys.keyDowns()),
              static_cast<unsigned long long>(gestures),
              static_cast<unsigned long long>(keys.outOfOrder()), exitCode);

  const bool handled = keys.keyDowns() == gestures && keys.outOfOrder() == 0 && exitCode == 0;
  // Without a figure (no /proc) memory is not judged.
  const bool flat = firstTenthKiB == 0 || endKiB == 0 || endKiB <= firstTenthKiB + flatSlackKiB;
  if (!flat) std::printf("  memory grew after the first tenth\n");
  std::printf("%s\n", handled && flat ? "PASS" : "FAIL");
  return handled && flat ? 0 : 1;
}
