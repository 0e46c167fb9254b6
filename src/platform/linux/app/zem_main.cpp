// `zem`, the program on Linux: one process with the settings files, the
// epoll message loop, the desktop (or none), a virtual keyboard and the
// touch driver, around the same GestureApp as on the phone.
//
//   zem [--device PATH] [--screen WxH] [--verbose] [--touch-trace FILE]
//   zem --check [--device PATH]
//
// A second start while one runs exits with 0 and changes nothing. SIGTERM
// and SIGINT end it the way Ctrl+Q does, with its exit writes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/gesture_app.h"
#include "platform/linux/app/check.h"
#include "platform/linux/app/desktop_choice.h"
#include "platform/linux/app/file_registry.h"
#include "platform/linux/app/linux_input.h"
#include "platform/linux/app/linux_ports.h"
#include "platform/linux/app/linux_windows.h"
#include "platform/linux/app/program_paths.h"
#include "platform/linux/app/touch_wiring.h"
#include "ports/platform.h"
#include "registry/registry_store.h"

namespace {

constexpr const char* usageText =
    "usage: zem [--device PATH] [--screen WxH] [--verbose] [--touch-trace FILE]\n"
    "       zem --check [--device PATH]\n";

struct Options {
  TouchOptions touch;
  bool verbose = false;
  bool check = false;
};

bool parseScreen(const std::string& text, std::int32_t& width, std::int32_t& height) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const auto number = [](const std::string& digits, std::int32_t& value) {
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    const long parsed = std::strtol(digits.c_str(), nullptr, 10);
    if (parsed < 1 || parsed > 16384) return false;
    value = static_cast<std::int32_t>(parsed);
    return true;
  };
  std::int32_t w = 0;
  std::int32_t h = 0;
  if (!number(text.substr(0, x), w) || !number(text.substr(x + 1), h)) return false;
  width = w;
  height = h;
  return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--check") {
      options.check = true;
    } else if (arg == "--device" && hasValue) {
      options.touch.devicePath = argv[++i];
    } else if (arg == "--touch-trace" && hasValue) {
      options.touch.tracePath = argv[++i];
    } else if (arg == "--screen" && hasValue) {
      if (!parseScreen(argv[++i], options.touch.screenWidth, options.touch.screenHeight)) {
        std::cerr << "zem: --screen wants WIDTHxHEIGHT in pixels, for example 480x800\n";
        return false;
      }
    } else {
      if (arg != "--help" && arg != "-h") std::cerr << "zem: unknown option " << arg << "\n";
      return false;
    }
  }
  return true;
}

const char* environment(const char* name) { return std::getenv(name); }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::cerr << usageText;
    return 2;
  }
  const ProgramPaths paths = ProgramPaths::fromEnvironment(environment, getuid());
  Log log;
  log.setVerbose(options.verbose);

  if (options.check) {
    const std::unique_ptr<Desktop> desktop = openDesktop(log);
    return runCheck(options.touch, paths, desktop->name(), std::cout);
  }

  // One instance: a second start changes nothing, not even the driver key.
  InstanceLock lock;
  std::string lockError;
  switch (lock.acquire(paths.lockFile, lockError)) {
    case InstanceLock::Result::acquired:
      break;
    case InstanceLock::Result::heldByAnother:
      log.info("already running");
      return 0;
    case InstanceLock::Result::failed:
      log.info("cannot take the instance lock: " + lockError);
      return 1;
  }

  FileRegistry registry({{paths.settingsFile, {}},
                         {paths.driverFile,
                          {{TouchDriverRegistry::root, TouchDriverRegistry::key},
                           {RotationRegistry::root, RotationRegistry::key}}}},
                        [&log](const std::string& line) { log.info(line); });
  RegistryStore store(registry);
  // The runtime folder starts empty with every session: the driver's switch
  // starts on, as a phone's driver key does, so the first re-arm loads the
  // hook.
  std::uint32_t driverSwitch = 0;
  if (!store.ReadDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                       TouchDriverRegistry::multiTouchDemo, driverSwitch)) {
    store.WriteDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                     TouchDriverRegistry::multiTouchDemo, 1);
  }

  const std::unique_ptr<Desktop> desktop = openDesktop(log, &registry);
  LinuxWindowPort windows(*desktop, log, options.touch.screenWidth, options.touch.screenHeight);
  // Before any thread starts: the signals go to the loop's signalfd.
  if (!windows.open()) return 1;
  const int settingsWatch = registry.watch();
  if (settingsWatch >= 0) windows.watch(settingsWatch, [&registry] { registry.onWatchEvents(); });

  std::string keyboardError;
  const std::unique_ptr<UinputKeyboard> keyboard = UinputKeyboard::create(keyboardError);
  if (keyboard) {
    log.detail("virtual keyboard: " + keyboard->node());
  } else {
    log.detail("no virtual keyboard: " + keyboardError);
  }

  LinuxShell shell(registry, windows, *desktop, log);
  LinuxInput input(*desktop, keyboard.get(), log);
  LinuxProcesses processes;
  LinuxClock clock;
  LinuxLeds leds;
  LinuxDebug debug(log);
  Platform platform{
      registry, windows, shell, input, processes, clock, leds, desktop->overlayDevice(), debug};
  LinuxHookPort hook(windows, log);

  if (!options.touch.tracePath.empty()) options.touch.tracePassThrough = tracePointer();
  const std::unique_ptr<TouchInput> touch = makeTouchInput(options.touch, registry, hook, log);
  TouchInput& touchInput = *touch;
  registry.observeValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                        TouchDriverRegistry::multiTouchDemo,
                        [&touchInput] { touchInput.driverSwitchChanged(); });
  registry.observeValue(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                        [&touchInput, &store] {
                          std::uint32_t angle = 0;
                          if (store.ReadDword(RotationRegistry::root, RotationRegistry::key,
                                              RotationRegistry::angle, angle)) {
                            touchInput.setRotation(static_cast<std::int32_t>(angle));
                          }
                        });
  std::uint32_t angle = 0;
  if (store.ReadDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                      angle)) {
    touchInput.setRotation(static_cast<std::int32_t>(angle));
  }
  if (!touchInput.start()) log.info("the touch source could not start");

  log.detail("settings: " + paths.settingsFile + "; driver key: " + paths.driverFile);
  const auto app = std::make_unique<GestureApp>(platform);
  const int code = app->run();
  touchInput.stop();
  log.detail("stopped (" + std::to_string(code) + ")");
  return code;
}
