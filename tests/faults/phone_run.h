// ZEM running on a simulated phone in virtual time, for the fault and
// bad-input tests. Every registry write made while it runs is recorded (the
// program can change a value only by writing it), so a test can show that no
// setting or binding was lost or changed, only the expected values written.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/gesture_app.h"
#include "hook/multipoint_sample.h"
#include "platform/sim/sim_phone.h"
#include "recognition/geometry.h"
#include "text/utf8.h"
#include "trace/touch_sequence.h"

namespace FaultTest {

using Lines = std::vector<std::string>;
using Pixel = Geometry::Point2D;

inline constexpr const wchar_t* programKey = L"Software\\ZEM";
inline const std::string pictureShown = "overlay shows picture 171 at (120,280)-(360,520) keyed";
inline const std::string rightArrowToNotes = "key down 39 -> Notes";

// One panel sample in the driver's quarter pixels.
inline MultipointSample sampleAt(std::uint32_t count, Pixel a, Pixel b = {}) {
  return TouchSequence::sample({count, a, b});
}

// Two fingers at constant speed, 26 samples 10 ms apart, then the release:
// "SwipeRightDouble" (picture 171) and "SwipeUpDouble".
inline std::vector<MultipointSample> swipeRight() {
  return TouchSequence()
      .press({90, 330}, {96, 430})
      .move({372, 318}, {380, 421}, 25)
      .release()
      .samples();
}
inline std::vector<MultipointSample> swipeUp() {
  return TouchSequence()
      .press({180, 660}, {290, 665})
      .move({190, 240}, {296, 250}, 25)
      .release()
      .samples();
}
inline std::vector<MultipointSample> tap(Pixel at) {
  return TouchSequence().press(at).hold(4).release().samples();
}

class PhoneRun {
 public:
  // Settings, lists and bindings every run starts with; Notes in front, Mail
  // and the Desktop.
  void configure() {
    SimRegistry& reg = phone.registry();
    const Registry::Root user = Registry::currentUser;
    reg.setStringList(user, programKey, L"BlackListClose", {L"\\Windows\\Keep.exe"});
    reg.setStringList(user, programKey, L"BlackListAll", {L"\\Windows\\Game.exe"});
    reg.setDword(user, programKey, L"ShowOverlay", 1);
    reg.setDword(user, programKey, L"ControllerVibrate", 20);
    bind(L"SwipeUpDouble", L"up");
    phone.addApp(L"notes.exe", L"\\Windows\\notes.exe", L"NotesWnd", L"Notes");
    phone.addApp(L"mail.exe", L"\\Windows\\mail.exe", L"MailWnd", L"Mail");
    phone.addApp(L"explorer.exe", L"\\Windows\\explorer.exe", L"DesktopExplorerWindow", L"Desktop");
    phone.setForeground(phone.windows().find(L"NotesWnd", L"Notes"));
  }
  void bind(const std::wstring& gesture, const std::wstring& binding) {
    phone.registry().setString(Registry::currentUser, programKey, gesture, binding, true);
  }

  void at(std::uint64_t ms, std::function<void()> event) { phone.clock().at(ms, std::move(event)); }
  // Feeds the samples from `ms` on, 10 ms apart. `beforeRelease` and
  // `afterRelease` run in the release's own event: ZEM handles the touch end
  // only after it.
  void touches(std::uint64_t ms, const std::vector<MultipointSample>& samples,
               const std::function<void()>& beforeRelease = nullptr,
               const std::function<void()>& afterRelease = nullptr) {
    for (std::size_t i = 0; i < samples.size(); ++i, ms += 10) {
      const bool last = i + 1 == samples.size();
      at(ms, [this, sample = samples[i], before = last ? beforeRelease : nullptr,
              after = last ? afterRelease : nullptr] {
        if (before) before();
        phone.touch(sample);
        if (after) after();
      });
    }
  }

  // Runs ZEM until it quits or the phone has nothing left to do.
  int run() {
    const std::size_t observer = phone.registry().addObserver(
        [this](Registry::Root root, const std::wstring& subKey, const std::wstring& name) {
          changed.insert((root == Registry::currentUser ? "HKCU\\" : "HKLM\\") +
                         Text::toUtf8(subKey) + "\\" + Text::toUtf8(name));
        });
    const int code = app.run();
    phone.registry().removeObserver(observer);
    return code;
  }

  // The event log's texts in [fromMs, toMs).
  std::vector<std::string> eventsBetween(std::uint64_t fromMs, std::uint64_t toMs) {
    std::vector<std::string> texts;
    for (const EventLog::Entry& e : phone.log().entries()) {
      if (e.category == LogCategory::event && e.timeMs >= fromMs && e.timeMs < toMs) {
        texts.push_back(e.text);
      }
    }
    return texts;
  }
  void clearFaults() {
    phone.faults() = SimFaults{};
    phone.registry().faults() = SimRegistry::Faults{};
  }

  SimPhone phone;
  GestureApp app{phone.platform()};
  std::set<std::string> changed;  // values written while ZEM ran, as "HKCU\key\name"
};

// True when the texts appear in `events` in this order, each matching the
// start of an entry; `missing` gets the first one not found.
inline bool containsInOrder(const std::vector<std::string>& events,
                            const std::vector<std::string>& wanted,
                            std::string* missing = nullptr) {
  auto from = events.begin();
  for (const std::string& text : wanted) {
    from = std::find_if(from, events.end(),
                        [&](const std::string& e) { return e.rfind(text, 0) == 0; });
    if (from == events.end()) {
      if (missing != nullptr) *missing = text;
      return false;
    }
    ++from;
  }
  return true;
}
inline bool containsEntry(const std::vector<std::string>& events, const std::string& text) {
  return containsInOrder(events, {text});
}

}  // namespace FaultTest
