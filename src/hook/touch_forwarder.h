// The hook library's state and its per-sample work: filter each touch sample
// against the pass-through rectangle ("LockTouch") and post every change of
// finger position to the main window.
//
// Lifecycle of one loaded copy of the library:
//   load           construct: look for the main window (class and title
//                  "ZEM") once; found = ZEM mode, else foreground-window
//                  mode. Never looked up again while loaded.
//   process attach entryNotification(1): read "LockTouch".
//   thread attach  entryNotification(2): read "LockTouch" again.
//   hook calls     hook(sample), one at a time, on any driver thread.
//   detach         entryNotification(0 or 3): log only; nothing is reset.
//   unload         destroy.
//
// Threads: the hook may run while another thread attaches; the touch area is
// replaced as a whole (see SharedRect), everything else is touched by hook
// calls only. The hook never allocates, locks or waits; it only posts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hook/multipoint_sample.h"
#include "hook/touch_area.h"
#include "ports/hook_port.h"
#include "ports/registry_port.h"
#include "recognition/geometry.h"
#include "registry/registry_store.h"

// Entry notification reasons, as the system loader numbers them.
enum class EntryReason : std::uint32_t {
  processDetach = 0,
  processAttach = 1,
  threadAttach = 2,
  threadDetach = 3,
};

class TouchForwarder {
 public:
  // The load-time work: clears the state and looks for the main window.
  TouchForwarder(HookPort& port, RegistryPort& registry);

  TouchForwarder(const TouchForwarder&) = delete;
  TouchForwarder& operator=(const TouchForwarder&) = delete;

  // The loader's notification with its reason code (0 to 3; others are only
  // logged). Always succeeds.
  bool entryNotification(std::uint32_t reason) noexcept;

  // One touch sample: update the state, withhold the sample (point count 0)
  // unless every point lies inside the touch area, and in ZEM mode post the
  // news: a change of position or of the finger count, the first sample of a
  // touch, the end of a touch.
  void hook(MultipointSample& sample) noexcept;

  // Reads "LockTouch" into the touch area and logs it. The text is read into
  // a fixed buffer that holds the store's read limit (260 characters) and a
  // terminator; a longer value reads as 0,0,0,0.
  static constexpr std::size_t lockTouchCapacity = 261;
  void readTouchArea() noexcept;

  const Geometry::Point2D& firstPoint() const { return firstPoint_; }
  const Geometry::Point2D& secondPoint() const { return secondPoint_; }
  std::int32_t count() const { return count_; }
  std::int32_t previousCount() const { return previousCount_; }
  std::uint32_t lastFirstWord() const { return lastFirstWord_; }
  std::uint32_t lastSecondWord() const { return lastSecondWord_; }
  HookPort::WindowHandle targetWindow() const { return targetWindow_; }
  bool zemMode() const { return zemMode_; }
  Geometry::Rect2D touchArea() const { return touchArea_.load(); }

 private:
  void forward() noexcept;
  // Whether a sample of count 1 or 2 with these packed words is news; if so
  // it is recorded as posted.
  bool isNews(std::uint32_t firstWord, std::uint32_t secondWord) noexcept;
  // False when the post failed (which is logged).
  bool post(std::uint32_t message, HookPort::WParam wParam, HookPort::LParam lParam) noexcept;
  void log(const wchar_t* text) noexcept;

  Geometry::Point2D firstPoint_;
  Geometry::Point2D secondPoint_;
  std::int32_t count_ = 0;
  std::int32_t previousCount_ = 0;
  std::uint32_t lastFirstWord_ = 0;   // lParam of the last WM_APP_TOUCH posted
  std::uint32_t lastSecondWord_ = 0;  // wParam of the last two-point WM_APP_TOUCH posted
  HookPort::WindowHandle targetWindow_ = 0;
  bool zemMode_ = false;
  std::int32_t postedCount_ = 0;  // count of the last WM_APP_TOUCH posted
  bool touchPosted_ = false;      // a WM_APP_TOUCH was posted since the last touch end
  bool endPending_ = false;       // a touch end whose post failed, not yet retried
  bool windowGone_ = false;       // a post found the main window gone: post no more
  SharedRect touchArea_;          // default until the first attach: unbounded

  HookPort& port_;
  RegistryStore registry_;
};
