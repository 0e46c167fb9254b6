#include "hook/touch_forwarder.h"

#include <cstddef>

#include "hook/debug_line.h"
#include "ports/main_window.h"
#include "ports/shared_registry.h"
#include "ports/touch_messages.h"

namespace {

using Geometry::Point2D;
using Geometry::Rect2D;

// Quarter pixels to pixels: unsigned division truncates (raw 0-3 is pixel 0).
// Every 32-bit raw value divided by 4 is below 2^30, exact in a double.
Point2D toPixels(std::uint32_t x, std::uint32_t y) {
  const std::uint32_t pixelX = x / 4u;
  const std::uint32_t pixelY = y / 4u;
  return {static_cast<double>(pixelX), static_cast<double>(pixelY)};
}

// The stored pixels are whole numbers in [0, 2^30), so converting them back
// is exact. PackedPoint::pack keeps the low 16 bits of each coordinate: x of
// 16384 pixels or more sets bit 14, and positions 65536 pixels apart pack
// alike. A panel reports far less than 4096 pixels.
std::uint32_t packed(const Point2D& p) {
  return PackedPoint::pack(static_cast<std::uint32_t>(p.x), static_cast<std::uint32_t>(p.y));
}

bool inside(const Rect2D& area, const Point2D& p) { return Geometry::contains(area, p.x, p.y); }

}  // namespace

TouchForwarder::TouchForwarder(HookPort& port, RegistryPort& registry)
    : port_(port), registry_(registry) {
  targetWindow_ = port_.findWindow(MainWindow::className, MainWindow::title);
  zemMode_ = targetWindow_ != 0;
  log(zemMode_ ? L"[Quillon] ZEM mode" : L"[Quillon] Foreground window mode");
}

bool TouchForwarder::entryNotification(std::uint32_t reason) noexcept {
  log(L"[Quillon] DllMain()");
  switch (static_cast<EntryReason>(reason)) {
    case EntryReason::processAttach:
    case EntryReason::threadAttach:
      log(L"[Quillon] Initialize...");
      readTouchArea();
      break;
    case EntryReason::processDetach:
    case EntryReason::threadDetach:
      log(L"[Quillon] Unload...");
      break;
  }
  return true;
}

void TouchForwarder::readTouchArea() noexcept {
  // Read into a fixed buffer: nothing is allocated and nothing can fail out
  // of the loader's notification. A text that does not fit, like a missing
  // value, leaves all four fields 0.
  TouchArea::Fields area = {0, 0, 0, 0};
  wchar_t text[lockTouchCapacity];
  if (registry_.ReadString(TouchDriverRegistry::root, TouchDriverRegistry::key,
                           TouchDriverRegistry::lockTouch, text, lockTouchCapacity)) {
    std::size_t length = 0;
    while (text[length] != L'\0') ++length;
    TouchArea::scan(text, length, area);
  }
  touchArea_.store(Rect2D(area[0], area[1], area[2], area[3]));

  DebugLine line;
  line.text(L"[Quillon] area ").number(area[0]).text(L" ").number(area[1]);
  line.text(L" ").number(area[2]).text(L" ").number(area[3]);
  log(line.line());
}

void TouchForwarder::hook(MultipointSample& sample) noexcept {
  // Both points are converted whatever the count says.
  const Point2D first = toPixels(sample.firstX, sample.firstY);
  const Point2D second = toPixels(sample.secondX, sample.secondY);

  previousCount_ = count_;
  count_ = static_cast<std::int32_t>(sample.pointCount);
  if (count_ == 1) {
    firstPoint_ = first;
  } else if (count_ == 2) {
    firstPoint_ = first;
    secondPoint_ = second;
  }

  const Rect2D area = touchArea_.load();
  bool passes = false;
  if (count_ == 1) {
    passes = inside(area, firstPoint_);
  } else if (count_ == 2) {
    passes = inside(area, firstPoint_) && inside(area, secondPoint_);
  }
  if (!passes) sample.pointCount = 0;

  // In foreground-window mode only the filter acts.
  if (zemMode_) forward();
}

void TouchForwarder::forward() noexcept {
  // Once the main window is gone no post can succeed again (the target is
  // fixed while the library is loaded): only the filter acts from then on.
  if (windowGone_) return;

  // A touch end that could not be posted is tried once more, at the first
  // sample of the next touch and before anything of it is posted: otherwise
  // the program would take the next touch as the continuation of the
  // unfinished one and lose both gestures. Later samples never retry, so the
  // end cannot land in the middle of the next touch.
  if (previousCount_ == 0 && count_ != 0 && endPending_) {
    endPending_ = false;
    if (!post(WM_APP_TOUCH_END, touchSinglePointWParam, 0)) return;
  }
  switch (count_) {
    case 0:
      // Only the first of a run of empty samples ends the touch.
      if (previousCount_ != 0) {
        touchPosted_ = false;
        endPending_ = !post(WM_APP_TOUCH_END, touchSinglePointWParam, 0) && !windowGone_;
      }
      break;
    case 1: {
      const std::uint32_t a = packed(firstPoint_);
      if (isNews(a, lastSecondWord_)) {
        post(WM_APP_TOUCH, touchSinglePointWParam, static_cast<HookPort::LParam>(a));
        lastFirstWord_ = a;
      }
      break;
    }
    case 2: {
      const std::uint32_t a = packed(firstPoint_);
      const std::uint32_t b = packed(secondPoint_);
      if (isNews(a, b)) {
        post(WM_APP_TOUCH, b, static_cast<HookPort::LParam>(a));
        lastFirstWord_ = a;
        lastSecondWord_ = b;
      }
      break;
    }
    default:
      // A count the library does not understand posts nothing; the next
      // empty sample still ends the touch.
      break;
  }
}

// Called for counts 1 and 2 only. Besides a moved point, the first sample of
// a touch and a change of the finger count are news: a second tap on the
// pixel of the first, or one of two fingers lifting while the other rests,
// changes no packed word but must reach the program (a game-pad key is
// released, or pressed again, only then). Whether the post succeeds or not,
// the sample counts as posted, so a failed one is not tried again.
bool TouchForwarder::isNews(std::uint32_t firstWord, std::uint32_t secondWord) noexcept {
  const bool news = !touchPosted_ || count_ != postedCount_ || firstWord != lastFirstWord_ ||
                    (count_ == 2 && secondWord != lastSecondWord_);
  if (news) {
    touchPosted_ = true;
    postedCount_ = count_;
  }
  return news;
}

// A failed move is not retried: the caller updates the last words anyway, so
// the same position is not tried again. A failed touch end is, once (see
// forward). A post that fails because the window no longer exists stops all
// posting.
bool TouchForwarder::post(std::uint32_t message, HookPort::WParam wParam,
                          HookPort::LParam lParam) noexcept {
  if (port_.postMessage(targetWindow_, message, wParam, lParam)) return true;
  const std::uint32_t error = port_.lastError();
  if (error == errorInvalidWindowHandle) windowGone_ = true;
  // Both values as "%d" prints them: window handles are significant in their
  // low 32 bits, error codes are 32-bit.
  DebugLine line;
  line.text(L"[Quillon] Msg not sent to ").number(static_cast<std::int32_t>(targetWindow_));
  line.text(L",lastError=").number(static_cast<std::int32_t>(error)).text(L")");
  log(line.line());
  return false;
}

void TouchForwarder::log(const wchar_t* text) noexcept { port_.debugOutput(text); }
