// ZEM running on a simulated phone for the fault and bad-input tests: a
// phone with a full set of settings and bindings, a few applications, a
// timeline of touches and other happenings in virtual time, and GestureApp
// running its message loop until the phone has nothing left to do.
//
// Every registry change made while it runs is recorded, so a test can show
// that nothing but the expected values was written.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/gesture_app.h"
#include "hook/multipoint_sample.h"
#include "platform/sim/sim_phone.h"

namespace FaultTest {

inline constexpr const wchar_t* programKey = L"Software\\ZEM";

struct Pixel {
  double x = 0.0;
  double y = 0.0;
};

// One panel sample in the driver's quarter pixels.
MultipointSample sampleAt(std::uint32_t count, Pixel first, Pixel second = {});

// Two fingers moving at constant speed, one sample every 10 ms, then the
// release (count 0) 10 ms after the last.
std::vector<MultipointSample> twoFingerStroke(Pixel a0, Pixel a1, Pixel b0, Pixel b1,
                                              int samples = 26);
// Two fingers swipe right: "SwipeRightDouble" (picture 171).
std::vector<MultipointSample> swipeRight();
// Two fingers swipe up: "SwipeUpDouble".
std::vector<MultipointSample> swipeUp();
// One finger held still for `samples` samples, then lifted.
std::vector<MultipointSample> tap(Pixel at, int samples = 5);

class PhoneRun {
 public:
  static constexpr std::uint64_t sampleIntervalMs = 10;

  explicit PhoneRun(const SimPhoneConfig& config = SimPhoneConfig());
  ~PhoneRun();

  PhoneRun(const PhoneRun&) = delete;
  PhoneRun& operator=(const PhoneRun&) = delete;

  // Writes the settings and bindings every run starts with, and the
  // applications: Notes in front, Mail, the Desktop, and Calculator that the
  // shell can start.
  void configure();
  void bind(const std::wstring& gesture, const std::wstring& binding);

  // Something that happens at `ms` (virtual time).
  void at(std::uint64_t ms, std::function<void()> event);
  // Feeds the samples from `ms` on, one per interval; returns the time of
  // the last one.
  std::uint64_t touches(std::uint64_t ms, const std::vector<MultipointSample>& samples);
  // As touches(), and `beforeRelease` runs just before the release sample is
  // fed, `afterRelease` just after it (before ZEM handles the touch end).
  std::uint64_t touches(std::uint64_t ms, const std::vector<MultipointSample>& samples,
                        std::function<void()> beforeRelease, std::function<void()> afterRelease);

  // Runs ZEM until it quits or the phone runs out of things to do; its
  // exit code.
  int run();

  // The texts of the event log between two times, [fromMs, toMs).
  std::vector<std::string> eventsBetween(std::uint64_t fromMs, std::uint64_t toMs);
  // The values that changed while ZEM ran, as "HKCU\key\name" (names as
  // written); a value changed twice is listed once.
  const std::set<std::string>& changedValues() const { return changed_; }
  // Every value of the program's key that configure() wrote, with its
  // stored type and bytes.
  std::vector<std::pair<std::wstring, SimRegistry::StoredValue>> programValues();

  // Clears every fault counter of the phone and its registry.
  void clearFaults();

  SimPhone phone;
  GestureApp app{phone.platform()};

 private:
  std::set<std::string> changed_;
  std::size_t observer_ = 0;
  std::vector<std::wstring> configuredNames_;
};

// True when `wanted` appears in `events` in this order, each text matching
// the start of an entry; `missing` gets the first one not found.
bool containsInOrder(const std::vector<std::string>& events, const std::vector<std::string>& wanted,
                     std::string* missing = nullptr);
// True when some entry starts with `text`.
bool containsEntry(const std::vector<std::string>& events, const std::string& text);

}  // namespace FaultTest
