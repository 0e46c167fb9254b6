#include "platform/linux/panel/touch_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/linux/panel/clone_writer.h"
#include "platform/linux/panel/evdev_devices.h"
#include "platform/linux/panel/frame_assembler.h"
#include "platform/linux/panel/touch_pipeline.h"

namespace {

// How often a missing panel is looked for again, in ms.
constexpr int panelRetryMs = 1000;

std::wstring widen(const std::string& text) {
  std::wstring wide;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    wide.push_back(byte < 0x80 ? static_cast<wchar_t>(byte) : L'?');
  }
  return wide;
}

}  // namespace

struct LinuxTouchDriver::State {
  State(RegistryPort& registryPort, HookPort& hookPort, TouchDriverOptions driverOptions)
      : registry(registryPort),
        hook(hookPort),
        options(std::move(driverOptions)),
        pipeline(registryPort, hookPort) {}

  RegistryPort& registry;
  HookPort& hook;
  TouchDriverOptions options;
  TouchPipeline pipeline;

  // Set by the program's thread, read by the reader thread.
  std::atomic<bool> switchChanged{true};
  // The program saw the switch off since the reader last looked.
  std::atomic<bool> switchWentOff{false};
  std::atomic<std::int32_t> rotation{0};
  std::atomic<bool> stopping{false};
  int wakeFd = -1;
  std::thread thread;
  bool running = false;

  // The reader thread's own.
  std::unique_ptr<EvdevPanel> panel;
  std::unique_ptr<FrameAssembler> assembler;
  std::unique_ptr<EvdevClone> clone;
  std::unique_ptr<CloneWriter> writer;
  std::vector<CloneEvent> events;
  bool touching = false;     // the last frame had contacts
  bool writeFailed = false;  // logged once per panel
  std::string lastProblem;

  void log(const std::string& text) { hook.debugOutput(widen("[ZEM panel] " + text).c_str()); }

  void applyChanges() {
    if (switchChanged.exchange(false)) pipeline.readSwitch(switchWentOff.exchange(false));
    if (assembler) {
      ScreenGeometry screen = assembler->screen();
      screen.rotation = rotation.load();
      if (screen.rotation != assembler->screen().rotation) assembler->setScreen(screen);
    }
  }

  void onFrame(const PanelFrame& frame) {
    applyChanges();
    const bool passed = pipeline.decide(frame);
    touching = frame.contactCount > 0;
    if (!writer) return;
    writer->frame(*assembler, frame, passed, events);
    if (!events.empty() && !clone->write(events) && !writeFailed) {
      log("writing to the clone failed");
      writeFailed = true;
    }
  }

  bool openPanel() {
    std::string why;
    panel = options.devicePath.empty() ? EvdevPanel::find(why)
                                       : EvdevPanel::open(options.devicePath, why);
    if (!panel) {
      if (why != lastProblem) log(why + "; waiting for a touchscreen");
      lastProblem = why;
      return false;
    }
    lastProblem.clear();
    writeFailed = false;
    const PanelDescription& d = panel->description();
    assembler = std::make_unique<FrameAssembler>(
        d, ScreenGeometry{options.screenWidth, options.screenHeight, rotation.load()});
    if (!assembler->usable()) {
      const std::string problem = panel->path() + ": \"" + d.name +
                                  "\" is a protocol-A panel; this build reads protocol B only";
      if (problem != lastProblem) log(problem);
      lastProblem = problem;
      assembler.reset();
      panel.reset();
      return false;
    }
    // Without a clone the panel is not grabbed: applications keep it, and
    // nothing can be withheld from them.
    if (options.clone) {
      const PanelDescription cloneDesc = cloneDescription(d, assembler->slotCount());
      std::string cloneWhy;
      clone = EvdevClone::create(cloneDesc, cloneWhy);
      if (!clone) {
        log("no clone (" + cloneWhy + "): touches are not withheld");
      } else if (!panel->grab()) {
        log(panel->path() + " is grabbed by another program: touches are not withheld");
        clone.reset();
      } else {
        writer = std::make_unique<CloneWriter>(cloneDesc);
        events.reserve(static_cast<std::size_t>(writer->slotCount()) * 20 + 16);
      }
    }
    panel->seed(*assembler);
    log("reading " + panel->path() + " \"" + d.name + "\"" +
        (writer ? ", passing on through " + clone->node() : std::string()));
    return true;
  }

  // Lifts what the clone shows and ends the touch for the hook.
  void releaseAll() {
    if (touching) {
      applyChanges();
      pipeline.decide(MultipointSample());
      touching = false;
    }
    if (writer) {
      writer->liftAll(events);
      if (!events.empty()) clone->write(events);
    }
  }

  void closePanel() {
    releaseAll();
    writer.reset();
    clone.reset();
    assembler.reset();
    panel.reset();
  }

  // Waits for the wake-up event (and the panel, when open); false on stop.
  bool wait(int timeoutMs) {
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {panel ? panel->fd() : -1, POLLIN, 0}};
    const int n = ::poll(fds, panel ? 2 : 1, timeoutMs);
    if (n > 0 && (fds[0].revents & POLLIN) != 0) {
      std::uint64_t count = 0;
      if (::read(wakeFd, &count, sizeof count) < 0) count = 0;
    }
    if (stopping.load()) return false;
    applyChanges();
    return true;
  }

  void run() {
    lastProblem.clear();
    while (!stopping.load()) {
      if (!panel && !openPanel()) {
        if (!wait(panelRetryMs)) break;
        continue;
      }
      if (!wait(-1)) break;
      const auto status = panel->read(*assembler, [this](const PanelFrame& f) { onFrame(f); });
      if (status == EvdevPanel::Status::gone) {
        log(panel->path() + " is gone; waiting for a touchscreen");
        closePanel();
      }
    }
    closePanel();
  }

  void wake() const {
    const std::uint64_t one = 1;
    if (wakeFd >= 0 && ::write(wakeFd, &one, sizeof one) < 0) {
      // The counter is full: the thread is awake anyway.
    }
  }
};

LinuxTouchDriver::LinuxTouchDriver(RegistryPort& registry, HookPort& hook,
                                   TouchDriverOptions options)
    : state_(std::make_unique<State>(registry, hook, std::move(options))) {}

LinuxTouchDriver::~LinuxTouchDriver() { stop(); }

bool LinuxTouchDriver::start() {
  State& s = *state_;
  if (s.running) return true;
  s.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (s.wakeFd < 0) return false;
  s.stopping = false;
  try {
    s.thread = std::thread([&s] { s.run(); });
  } catch (const std::system_error&) {
    ::close(s.wakeFd);
    s.wakeFd = -1;
    return false;
  }
  s.running = true;
  return true;
}

void LinuxTouchDriver::driverSwitchChanged() {
  // The program switches off and on again within one of its sleeps; this
  // thread may look only after both (always so for a trace, which looks at
  // its next sample). An off seen here is remembered, so the re-arm still
  // loads a fresh forwarder, which reads "LockTouch" again.
  if (!TouchPipeline::switchOn(state_->registry)) state_->switchWentOff = true;
  state_->switchChanged = true;
  state_->wake();
}

void LinuxTouchDriver::setRotation(std::int32_t degrees) {
  if (!validRotation(degrees)) return;
  state_->rotation = degrees;
  state_->wake();
}

void LinuxTouchDriver::stop() {
  State& s = *state_;
  if (!s.running) return;
  s.stopping = true;
  s.wake();
  s.thread.join();
  ::close(s.wakeFd);
  s.wakeFd = -1;
  s.running = false;
}

bool LinuxTouchDriver::feed(MultipointSample sample) {
  State& s = *state_;
  if (s.running) return false;
  if (s.switchChanged.exchange(false)) s.pipeline.readSwitch(s.switchWentOff.exchange(false));
  return s.pipeline.decide(sample);
}

bool LinuxTouchDriver::check(const TouchDriverOptions& options, std::string& report) {
  std::string why;
  const auto panel = options.devicePath.empty() ? EvdevPanel::find(why)
                                                : EvdevPanel::open(options.devicePath, why);
  bool ok = panel != nullptr;
  if (!panel) {
    report += "touchscreen: none (" + why + ")\n";
  } else {
    const PanelDescription& d = panel->description();
    const AxisInfo& x = d.axis(ABS_MT_POSITION_X);
    const AxisInfo& y = d.axis(ABS_MT_POSITION_Y);
    const bool slots = d.protocol() == MultitouchProtocol::slots;
    report += "touchscreen: " + panel->path() + " \"" + d.name + "\"\n";
    report += "  protocol " +
              std::string(slots ? "B, " + std::to_string(d.slotCount()) + " slots"
                                : "A (through mtdev)") +
              "\n";
    report += "  x " + std::to_string(x.minimum) + " to " + std::to_string(x.maximum) + ", y " +
              std::to_string(y.minimum) + " to " + std::to_string(y.maximum) + "\n";
  }
  const int uinput = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
  if (uinput < 0) {
    report += std::string("uinput: /dev/uinput cannot be opened (") + std::strerror(errno) +
              "): touches cannot be passed on or withheld\n";
    ok = false;
  } else {
    ::close(uinput);
    report += "uinput: usable\n";
  }
  return ok;
}
