#include "platform/sim/sim_phone.h"

#include <cstdio>
#include <string>
#include <vector>

#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"
#include "text/utf16.h"
#include "text/utf8.h"

namespace {

std::string rootName(Registry::Root root) {
  if (root == Registry::currentUser) return "HKCU";
  if (root == Registry::localMachine) return "HKLM";
  return "root " + std::to_string(root);
}

std::string quoted(const std::wstring& text) { return "\"" + Text::toUtf8(text) + "\""; }

// The entries of a string list: NUL-ended strings up to the first empty one
// (a last string without its NUL counts too).
std::vector<std::wstring> listEntries(const std::vector<std::uint8_t>& bytes) {
  const std::wstring units = Text::fromUtf16Bytes(bytes.data(), bytes.size());
  std::vector<std::wstring> entries;
  std::size_t start = 0;
  while (start < units.size()) {
    std::size_t end = units.find(L'\0', start);
    if (end == std::wstring::npos) end = units.size();
    if (end == start) break;
    entries.push_back(units.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string valueText(const SimRegistry::StoredValue& value) {
  const std::vector<std::uint8_t>& bytes = value.data;
  if (value.type == Registry::typeDword && bytes.size() == 4) {
    const std::uint32_t number =
        static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
        (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return std::to_string(number);
  }
  if (value.type == Registry::typeString) {
    const std::size_t units = Text::unitsBeforeNul(bytes.data(), bytes.size());
    return quoted(Text::fromUtf16Bytes(bytes.data(), 2 * units));
  }
  if (value.type == Registry::typeMultiString) {
    std::string text = "[";
    for (const std::wstring& entry : listEntries(bytes)) {
      if (text.size() > 1) text += ", ";
      text += quoted(entry);
    }
    return text + "]";
  }
  return "<type " + std::to_string(value.type) + ", " + std::to_string(bytes.size()) + " bytes>";
}

std::string sampleText(const MultipointSample& sample, bool passed) {
  std::string text = "touch " + std::to_string(sample.pointCount);
  const auto point = [](std::uint32_t x, std::uint32_t y) {
    return " (" + std::to_string(x) + "," + std::to_string(y) + ")";
  };
  if (sample.pointCount >= 1) text += point(sample.firstX, sample.firstY);
  if (sample.pointCount >= 2) text += point(sample.secondX, sample.secondY);
  return text + (passed ? " -> pen input" : " -> withheld");
}

std::string hex32(std::uint64_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08llX",
                static_cast<unsigned long long>(value & 0xFFFFFFFFu));
  return text;
}

std::string postText(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                     bool posted) {
  std::string text = "hook posts ";
  if (message == WM_APP_TOUCH) {
    text += "touch " + hex32(wParam) + " " + hex32(static_cast<std::uintptr_t>(lParam));
  } else if (message == WM_APP_TOUCH_END) {
    text += "touch end";
  } else {
    text += "message " + hex32(message);
  }
  return posted ? text : text + " (failed)";
}

}  // namespace

SimPhone::SimPhone() : SimPhone(SimPhoneConfig()) {}

SimPhone::SimPhone(const SimPhoneConfig& config)
    : processes_(context_),
      windows_(context_, &processes_),
      shell_(context_, registry_, windows_, processes_),
      input_(context_, windows_, registry_),
      leds_(context_, config.ledCount),
      overlay_(context_, windows_, config.overlay),
      debug_(context_),
      // The phone as it is before anything happens: nothing of this is logged.
      programProcessId_([&] {
        if (config.angle) {
          registry_.setDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                             *config.angle);
        }
        if (config.multiTouchDemo) {
          registry_.setDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                             TouchDriverRegistry::multiTouchDemo, *config.multiTouchDemo);
        }
        return processes_.addProcess(config.programExe, config.programPath);
      }()),
      logObserver_(registry_.addObserver(
          [this](Registry::Root root, const std::wstring& subKey, const std::wstring& valueName) {
            logRegistryChange(root, subKey, valueName);
          })),
      screenObserver_(registry_.addObserver(
          [this](Registry::Root root, const std::wstring& subKey, const std::wstring& valueName) {
            if (root == RotationRegistry::root &&
                SimRegistry::sameName(subKey, RotationRegistry::key) &&
                SimRegistry::sameName(valueName, RotationRegistry::angle)) {
              turnScreen();
            }
          })),
      touchDriver_(registry_, windows_, driverEvents()),
      platform_{registry_,      windows_, shell_,   input_, processes_,
                context_.clock, leds_,    overlay_, debug_} {
  windows_.setOwnProcessId(programProcessId_);
  turnScreen();
}

SimPhone::~SimPhone() {
  registry_.removeObserver(screenObserver_);
  registry_.removeObserver(logObserver_);
}

void SimPhone::addProgram(const std::wstring& path, const std::wstring& className,
                          const std::wstring& title) {
  shell_.addProgram(path, className, title);
}

WindowHandle SimPhone::addApp(const std::wstring& exeFile, const std::wstring& modulePath,
                              const std::wstring& className, const std::wstring& title,
                              bool visible) {
  return windows_.create(className, title, processes_.addProcess(exeFile, modulePath), visible);
}

bool SimPhone::setForeground(WindowHandle window) { return windows_.setForegroundWindow(window); }

void SimPhone::setAngle(std::uint32_t degrees) {
  registry_.setDword(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle,
                     degrees);
}

void SimPhone::setKeyboardShown(bool shown) { shell_.setKeyboardShown(shown); }

bool SimPhone::pressCtrlQ() {
  const WindowHandle zem = windows_.find(MainWindow::className, MainWindow::title);
  return zem != 0 && windows_.post(zem, WindowMessage::keyDown, 0x51, 1);
}

bool SimPhone::touch(const MultipointSample& sample) { return touchDriver_.feed(sample); }

void SimPhone::logRegistryChange(Registry::Root root, const std::wstring& subKey,
                                 const std::wstring& valueName) {
  std::string text = "registry " + rootName(root) + "\\";
  if (!subKey.empty()) text += Text::toUtf8(subKey) + "\\";
  text += Text::toUtf8(valueName);
  const auto value = registry_.valueRaw(root, subKey, valueName);
  context_.record(value ? text + " = " + valueText(*value) : text + " deleted");
}

void SimPhone::turnScreen() {
  const std::uint32_t angle =
      registry_.dwordValue(RotationRegistry::root, RotationRegistry::key, RotationRegistry::angle)
          .value_or(0);
  const bool landscape = angle == 90 || angle == 270;
  windows_.setScreenSize(landscape ? 800 : 480, landscape ? 480 : 800);
}

SimTouchDriver::Events SimPhone::driverEvents() {
  SimTouchDriver::Events events;
  events.loaded = [this] { context_.record("touch driver loads Quillon"); };
  events.unloaded = [this] { context_.record("touch driver unloads Quillon"); };
  events.sample = [this](const MultipointSample& sample, bool passed) {
    context_.record(LogCategory::touch, sampleText(sample, passed));
  };
  events.post = [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                       bool posted) {
    context_.record(LogCategory::touch, postText(message, wParam, lParam, posted));
  };
  events.debugLine = [this](const wchar_t* line) {
    std::wstring text = line;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    context_.record(LogCategory::debug, Text::toUtf8(text));
  };
  return events;
}
