#include "scenario_runner.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "app/app_settings.h"
#include "app/gesture_app.h"
#include "platform/sim/sim_phone.h"
#include "text/utf8.h"

namespace Scenario {
namespace {

struct PhoneFault {
  const char* name;
  int SimFaults::*counter;
};

// The phone's fault counters by the names scenarios use (the counters' own).
constexpr PhoneFault phoneFaults[] = {
    {"post", &SimFaults::post},
    {"findWindow", &SimFaults::findWindow},
    {"registerClass", &SimFaults::registerClass},
    {"createWindow", &SimFaults::createWindow},
    {"setTimer", &SimFaults::setTimer},
    {"killTimer", &SimFaults::killTimer},
    {"snapshot", &SimFaults::snapshot},
    {"moduleName", &SimFaults::moduleName},
    {"createThread", &SimFaults::createThread},
    {"execute", &SimFaults::execute},
    {"querySip", &SimFaults::querySip},
    {"notifyRegistryChange", &SimFaults::notifyRegistryChange},
    {"changeOrientation", &SimFaults::changeOrientation},
    {"ledCount", &SimFaults::ledCount},
    {"setLed", &SimFaults::setLed},
    {"createDisplayObject", &SimFaults::createDisplayObject},
    {"setCooperativeLevel", &SimFaults::setCooperativeLevel},
    {"createPrimarySurface", &SimFaults::createPrimarySurface},
    {"getCaps", &SimFaults::getCaps},
    {"createOverlaySurface", &SimFaults::createOverlaySurface},
    {"surfaceSize", &SimFaults::surfaceSize},
    {"loadImage", &SimFaults::loadImage},
    {"copyImage", &SimFaults::copyImage},
    {"updateOverlay", &SimFaults::updateOverlay},
};

struct RegistryFault {
  const char* name;
  int SimRegistry::Faults::*counter;
};

constexpr RegistryFault registryFaults[] = {
    {"registryOpen", &SimRegistry::Faults::open},
    {"registryQuery", &SimRegistry::Faults::query},
    {"registrySet", &SimRegistry::Faults::set},
};

std::string quote(const std::wstring& text) { return "\"" + Text::toUtf8(text) + "\""; }

// Plays one scenario on a phone of its own.
class Player {
 public:
  explicit Player(const Scenario& scenario) : scenario_(scenario) {}

  RunResult run() {
    for (const Step& step : scenario_.setup) apply(step);
    app_ = std::make_unique<GestureApp>(phone_.platform());
    for (const Step& step : scenario_.timeline) {
      phone_.clock().at(step.timeMs, [this, &step] { apply(step); });
    }
    RunResult result;
    result.exitCode = app_->run();
    app_.reset();
    result.log = phone_.log().entries();
    std::vector<LogLine> lines;
    lines.reserve(result.log.size());
    for (const auto& entry : result.log) lines.push_back({entry.timeMs, entry.text});
    result.problems = std::move(problems_);
    for (Problem& problem : checkExpectations(scenario_.expectations, lines)) {
      result.problems.push_back(std::move(problem));
    }
    if (scenario_.exitCode && scenario_.exitCode->code != result.exitCode) {
      result.problems.push_back(
          {scenario_.exitCode->line, "ZEM exited with " + std::to_string(result.exitCode) +
                                         ", not " + std::to_string(scenario_.exitCode->code)});
    }
    std::stable_sort(result.problems.begin(), result.problems.end(),
                     [](const Problem& a, const Problem& b) { return a.line < b.line; });
    result.unplayedSteps = phone_.clock().pendingEvents();
    return result;
  }

 private:
  void apply(const Step& step) {
    line_ = step.line;
    std::visit([this](const auto& action) { perform(action); }, step.action);
  }

  void problem(const std::string& what) {
    problems_.push_back({line_, what + " at " + std::to_string(phone_.clock().now()) + " ms"});
  }

  void perform(const SetRegistryValue& write) {
    SimRegistry& registry = phone_.registry();
    const RegistryValue& value = write.value;
    bool written = false;
    switch (value.kind) {
      case RegistryValue::Kind::dword:
        written = registry.setDword(write.root, write.subKey, write.valueName, value.number);
        break;
      case RegistryValue::Kind::string:
        // As the phone's configuring tools store it: with its terminator.
        written = registry.setString(write.root, write.subKey, write.valueName, value.text, true);
        break;
      case RegistryValue::Kind::stringList:
        written = registry.setStringList(write.root, write.subKey, write.valueName, value.list);
        break;
      case RegistryValue::Kind::raw:
        written =
            registry.setRaw(write.root, write.subKey, write.valueName, value.rawType, value.bytes);
        break;
    }
    if (!written) problem("the registry refused the value " + quote(write.valueName));
  }

  void perform(const DeleteRegistryValue& erase) {
    phone_.registry().deleteValue(erase.root, erase.subKey, erase.valueName);
  }

  void perform(const AddApp& app) {
    const WindowHandle window =
        phone_.addApp(app.exeFile, app.modulePath, app.className, app.title, app.visible);
    std::uint32_t process = 0;
    if (phone_.windows().windowProcessId(window, process)) appProcesses_[app.exeFile] = process;
  }

  // A window of the latest app with this executable name (found without the
  // process snapshot, which a scenario's faults may fail).
  void perform(const AddWindow& window) {
    const auto app = appProcesses_.find(window.exeFile);
    if (app == appProcesses_.end()) {
      problem("no running app has the executable " + quote(window.exeFile));
      return;
    }
    phone_.windows().create(window.className, window.title, app->second, window.visible);
  }

  void perform(const AddProgram& program) {
    phone_.addProgram(program.path, program.className, program.title);
  }

  void perform(const SetForeground& foreground) {
    // The first visible window with the title, else the first hidden one.
    SimWindows& windows = phone_.windows();
    WindowHandle found = 0;
    WindowHandle hidden = 0;
    windows.enumerateWindows([&](WindowHandle window) {
      if (windows.title(window) != foreground.title) return true;
      if (windows.isWindowVisible(window)) {
        found = window;
        return false;
      }
      if (hidden == 0) hidden = window;
      return true;
    });
    if (found == 0) found = hidden;
    if (found == 0 || !phone_.setForeground(found)) {
      problem("no window has the title " + quote(foreground.title));
    }
  }

  void perform(const SetAngle& angle) { phone_.setAngle(angle.degrees); }
  void perform(const SetKeyboard& keyboard) { phone_.setKeyboardShown(keyboard.shown); }
  void perform(const SetLedCount& leds) { phone_.leds().setCount(leds.count); }

  void perform(const SetOverlayCaps& change) {
    Overlay::Caps& caps = phone_.overlayDevice().config().caps;
    if (change.unsupported) caps.overlayCaps = 0;
    if (change.noColorKey) caps.overlayCaps &= ~Overlay::capsSourceColorKey;
    if (change.minStretch) caps.minOverlayStretch = *change.minStretch;
    if (change.alignSource) caps.alignSizeSource = *change.alignSource;
    if (change.alignDest) caps.alignSizeDest = *change.alignDest;
  }

  void perform(const InjectFault& fault) {
    for (const PhoneFault& known : phoneFaults) {
      if (fault.name == known.name) phone_.faults().*known.counter = fault.count;
    }
    for (const RegistryFault& known : registryFaults) {
      if (fault.name == known.name) phone_.registry().faults().*known.counter = fault.count;
    }
  }

  void perform(const FeedSample& feed) { phone_.touch(feed.sample); }

  void perform(const StartSecondInstance&) {
    GestureApp second(phone_.platform());
    const int code = second.run();
    phone_.context().record("second instance exits with " + std::to_string(code));
  }

  void perform(const DriverThread& thread) {
    if (thread.attach) {
      phone_.touchDriver().startThread();
    } else {
      phone_.touchDriver().endThread();
    }
  }

  void perform(const NotifySetting& notify) {
    const WindowHandle zem = phone_.windows().find(MainWindow::className, MainWindow::title);
    if (zem == 0 || !phone_.windows().post(zem, WM_REGISTRY_CHANGED, 0,
                                           static_cast<LParam>(notify.identifier))) {
      problem("no ZEM window took the notification");
    }
  }

  void perform(const PressCtrlQ&) {
    if (!phone_.pressCtrlQ()) problem("ctrl+q found no ZEM window");
  }

  const Scenario& scenario_;
  SimPhone phone_;
  std::unique_ptr<GestureApp> app_;
  std::map<std::wstring, std::uint32_t> appProcesses_;  // latest process per executable
  std::vector<Problem> problems_;
  int line_ = 0;
};

}  // namespace

std::vector<std::string> faultNames() {
  std::vector<std::string> names;
  for (const PhoneFault& fault : phoneFaults) names.emplace_back(fault.name);
  for (const RegistryFault& fault : registryFaults) names.emplace_back(fault.name);
  return names;
}

std::vector<Problem> checkPlayable(const Scenario& scenario) {
  const std::vector<std::string> names = faultNames();
  std::vector<Problem> problems;
  const auto check = [&](const Step& step) {
    const auto* fault = std::get_if<InjectFault>(&step.action);
    if (fault != nullptr && std::find(names.begin(), names.end(), fault->name) == names.end()) {
      std::string known;
      for (const std::string& name : names) known += (known.empty() ? "" : ", ") + name;
      problems.push_back(
          {step.line, "unknown fault \"" + fault->name + "\" (known: " + known + ")"});
    }
  };
  for (const Step& step : scenario.setup) check(step);
  for (const Step& step : scenario.timeline) check(step);
  return problems;
}

RunResult runScenario(const Scenario& scenario) { return Player(scenario).run(); }

}  // namespace Scenario
