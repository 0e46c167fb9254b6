#include "phone_run.h"

#include <algorithm>

namespace FaultTest {

MultipointSample sampleAt(std::uint32_t count, Pixel first, Pixel second) {
  MultipointSample s;
  s.pointCount = count;
  s.firstX = static_cast<std::uint32_t>(first.x * 4.0);
  s.firstY = static_cast<std::uint32_t>(first.y * 4.0);
  s.secondX = static_cast<std::uint32_t>(second.x * 4.0);
  s.secondY = static_cast<std::uint32_t>(second.y * 4.0);
  return s;
}

std::vector<MultipointSample> twoFingerStroke(Pixel a0, Pixel a1, Pixel b0, Pixel b1, int samples) {
  std::vector<MultipointSample> result;
  for (int i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(samples - 1);
    result.push_back(sampleAt(2, {a0.x + (a1.x - a0.x) * t, a0.y + (a1.y - a0.y) * t},
                              {b0.x + (b1.x - b0.x) * t, b0.y + (b1.y - b0.y) * t}));
  }
  MultipointSample release = result.back();
  release.pointCount = 0;
  result.push_back(release);
  return result;
}

std::vector<MultipointSample> swipeRight() {
  return twoFingerStroke({90, 330}, {372, 318}, {96, 430}, {380, 421});
}

std::vector<MultipointSample> swipeUp() {
  return twoFingerStroke({180, 660}, {190, 240}, {290, 665}, {296, 250});
}

std::vector<MultipointSample> tap(Pixel at, int samples) {
  std::vector<MultipointSample> result(static_cast<std::size_t>(samples), sampleAt(1, at));
  result.push_back(sampleAt(0, at));
  return result;
}

PhoneRun::PhoneRun(const SimPhoneConfig& config) : phone(config) {}

PhoneRun::~PhoneRun() {
  if (observer_ != 0) phone.registry().removeObserver(observer_);
}

void PhoneRun::configure() {
  SimRegistry& registry = phone.registry();
  const Registry::Root user = Registry::currentUser;
  const auto list = [&](const wchar_t* name, const std::vector<std::wstring>& entries) {
    registry.setStringList(user, programKey, name, entries);
    configuredNames_.emplace_back(name);
  };
  const auto dword = [&](const wchar_t* name, std::uint32_t value) {
    registry.setDword(user, programKey, name, value);
    configuredNames_.emplace_back(name);
  };
  list(L"BlackListClose", {L"\\Windows\\Keep.exe"});
  list(L"BlackListAll", {L"\\Windows\\Game.exe"});
  list(L"BlackListSwitch", {L"hidden.exe"});
  list(L"WhiteListBack", {L"\\Windows\\Mail.exe"});
  dword(L"SingleTouchGestureSupport", 0);
  dword(L"TapAndHoldGestureSupport", 0);
  dword(L"ShowOverlay", 1);
  dword(L"ControllerVibrate", 20);
  registry.setString(user, programKey, L"ControllerKeys", L"40,38,37,39,13,12,96,97,98,99,100,101",
                     true);
  configuredNames_.emplace_back(L"ControllerKeys");
  bind(L"SwipeUpDouble", L"up");

  phone.setForeground(phone.addApp(L"notes.exe", L"\\Windows\\notes.exe", L"NotesWnd", L"Notes"));
  phone.addApp(L"mail.exe", L"\\Windows\\mail.exe", L"MailWnd", L"Mail");
  phone.addApp(L"explorer.exe", L"\\Windows\\explorer.exe", L"DesktopExplorerWindow", L"Desktop");
  phone.setForeground(phone.windows().find(L"NotesWnd", L"Notes"));
  phone.addProgram(L"\\Windows\\calc.exe", L"CalcWnd", L"Calculator");
}

void PhoneRun::bind(const std::wstring& gesture, const std::wstring& binding) {
  phone.registry().setString(Registry::currentUser, programKey, gesture, binding, true);
  if (std::find(configuredNames_.begin(), configuredNames_.end(), gesture) ==
      configuredNames_.end()) {
    configuredNames_.push_back(gesture);
  }
}

void PhoneRun::at(std::uint64_t ms, std::function<void()> event) {
  phone.clock().at(ms, std::move(event));
}

std::uint64_t PhoneRun::touches(std::uint64_t ms, const std::vector<MultipointSample>& samples) {
  return touches(ms, samples, nullptr, nullptr);
}

std::uint64_t PhoneRun::touches(std::uint64_t ms, const std::vector<MultipointSample>& samples,
                                std::function<void()> beforeRelease,
                                std::function<void()> afterRelease) {
  for (std::size_t i = 0; i < samples.size(); ++i, ms += sampleIntervalMs) {
    const MultipointSample sample = samples[i];
    if (i + 1 < samples.size()) {
      at(ms, [this, sample] { phone.touch(sample); });
      continue;
    }
    // The release, with what must happen right around it in the same event:
    // ZEM handles the touch end only after the event.
    at(ms, [this, sample, beforeRelease, afterRelease] {
      if (beforeRelease) beforeRelease();
      phone.touch(sample);
      if (afterRelease) afterRelease();
    });
  }
  return ms - sampleIntervalMs;
}

int PhoneRun::run() {
  observer_ = phone.registry().addObserver(
      [this](Registry::Root root, const std::wstring& subKey, const std::wstring& valueName) {
        const std::string rootName = root == Registry::currentUser ? "HKCU" : "HKLM";
        changed_.insert(rootName + "\\" + toUtf8(subKey) + "\\" + toUtf8(valueName));
      });
  const int code = app.run();
  phone.registry().removeObserver(observer_);
  observer_ = 0;
  return code;
}

std::vector<std::string> PhoneRun::eventsBetween(std::uint64_t fromMs, std::uint64_t toMs) {
  std::vector<std::string> texts;
  for (const EventLog::Entry& entry : phone.log().entries()) {
    if (entry.category == LogCategory::event && entry.timeMs >= fromMs && entry.timeMs < toMs) {
      texts.push_back(entry.text);
    }
  }
  return texts;
}

std::vector<std::pair<std::wstring, SimRegistry::StoredValue>> PhoneRun::programValues() {
  std::vector<std::pair<std::wstring, SimRegistry::StoredValue>> values;
  for (const std::wstring& name : configuredNames_) {
    const auto value = phone.registry().valueRaw(Registry::currentUser, programKey, name);
    values.emplace_back(name, value.value_or(SimRegistry::StoredValue{}));
  }
  return values;
}

void PhoneRun::clearFaults() {
  phone.faults() = SimFaults{};
  phone.registry().faults() = SimRegistry::Faults{};
}

bool containsInOrder(const std::vector<std::string>& events, const std::vector<std::string>& wanted,
                     std::string* missing) {
  auto from = events.begin();
  for (const std::string& text : wanted) {
    from = std::find_if(from, events.end(),
                        [&text](const std::string& entry) { return entry.rfind(text, 0) == 0; });
    if (from == events.end()) {
      if (missing != nullptr) *missing = text;
      return false;
    }
    ++from;
  }
  return true;
}

bool containsEntry(const std::vector<std::string>& events, const std::string& text) {
  return containsInOrder(events, {text});
}

}  // namespace FaultTest
