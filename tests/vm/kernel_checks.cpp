// The kernel's side of what zem relies on. Every recorded touchscreen in a
// folder is replayed through a uinput panel made from its description:
//
//   - a reader that grabbed the panel (EVIOCGRAB) receives every event the
//     input core passes on, in order, with no SYN_DROPPED;
//   - a second reader receives nothing while the panel is grabbed, and a
//     second grab is refused with EBUSY;
//   - removing the panel wakes both readers with ENODEV (so the second
//     reader's silence above was the grab, not a dead reader).
// (The keys a uinput keyboard types read back through vm-zem, which reads
// zem's own keyboard.)
//
//   vm-kernel FOLDER   (replayed at 8 times the recorded speed)
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "vm_support.h"

namespace {

using std::chrono::milliseconds;

std::string describe(const ModelEvent& e) {
  return std::to_string(e.type) + "/" + std::to_string(e.code) + "=" + std::to_string(e.value);
}

// Empty when `got` is exactly `want`, else where they first differ.
std::string firstDifference(const std::vector<ModelEvent>& want,
                            const std::vector<input_event>& got) {
  std::vector<ModelEvent> seen;
  seen.reserve(got.size());
  for (const input_event& e : got) seen.push_back({e.type, e.code, e.value});
  const auto [w, g] = std::mismatch(want.begin(), want.end(), seen.begin(), seen.end());
  if (w == want.end() && g == seen.end()) return {};
  return "event " + std::to_string(w - want.begin()) + ": expected " +
         (w == want.end() ? "none" : describe(*w)) + ", got " +
         (g == seen.end() ? "none" : describe(*g));
}

void checkRecording(VmReport& report, const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  std::string error;
  const auto recording = readRecording(path, error);
  if (!report.check(name + ": read", recording.has_value(), error)) return;
  auto panel = UinputDevice::create(recording->description, error);
  if (!report.check(name + ": uinput panel created", panel != nullptr, error)) return;

  EventReader grabber(panel->node(), true);
  EventReader other(panel->node(), false);
  if (!report.check(name + ": panel opened and grabbed", grabber.ok() && other.ok(),
                    grabber.error() + other.error())) {
    return;
  }
  const int grabAgain = ioctl(other.fd(), EVIOCGRAB, 1);
  const int grabErrno = errno;
  report.check(name + ": a second grab is refused with EBUSY", grabAgain < 0 && grabErrno == EBUSY,
               grabAgain == 0 ? "it succeeded" : std::string("errno ") + std::to_string(grabErrno));

  InputCoreModel model(recording->description);
  const auto start = std::chrono::steady_clock::now();
  const ReplayResult sent = replayRecording(*panel, *recording, model, 8.0);
  grabber.waitFor(sent.expected.size(), milliseconds(3000));
  const auto ms =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
  const std::vector<input_event> got = grabber.events();
  std::string why = sent.written ? firstDifference(sent.expected, got) : "a write to uinput failed";
  report.check(name + ": the grabbing reader gets every event (" +
                   std::to_string(sent.expected.size()) + " in " + std::to_string(sent.frames) +
                   " frames, " + std::to_string(ms.count()) + " ms)",
               why.empty(), why);
  other.waitFor(1, milliseconds(50));
  report.check(name + ": a second reader gets nothing while the panel is grabbed",
               other.events().empty(),
               std::to_string(other.events().size()) + " events leaked past the grab");

  panel.reset();
  const auto end = std::chrono::steady_clock::now() + milliseconds(2000);
  while ((!grabber.deviceGone() || !other.deviceGone()) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(milliseconds(5));
  }
  report.check(name + ": removing the panel wakes its readers with ENODEV",
               grabber.deviceGone() && other.deviceGone());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vm-kernel FOLDER\n");
    return 2;
  }
  const std::vector<std::string> recordings = recordingsIn(argv[1]);
  VmReport report;
  report.check("recordings found in " + std::string(argv[1]), !recordings.empty());
  for (const auto& path : recordings) checkRecording(report, path);
  return report.exitCode();
}
