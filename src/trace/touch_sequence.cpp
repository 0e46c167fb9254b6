#include "trace/touch_sequence.h"

#include <algorithm>
#include <cmath>

#include "ports/touch_messages.h"

namespace {

constexpr double quarterPixelsPerPixel = 4.0;

std::uint32_t quarterPixels(double pixels) {
  return static_cast<std::uint32_t>(std::lround(pixels * quarterPixelsPerPixel));
}

// The packed word of a point in quarter pixels, as the hook packs it.
std::uint32_t packed(std::uint32_t x, std::uint32_t y) { return PackedPoint::pack(x / 4u, y / 4u); }

TouchSequence::Pixel between(TouchSequence::Pixel from, TouchSequence::Pixel to, double t) {
  return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t};
}

}  // namespace

TouchSequence& TouchSequence::press(Pixel first) { return frame(1, first); }

TouchSequence& TouchSequence::press(Pixel first, Pixel second) { return frame(2, first, second); }

TouchSequence& TouchSequence::move(Pixel first, int steps) {
  return move(first, last().second, steps);
}

TouchSequence& TouchSequence::move(Pixel first, Pixel second, int steps) {
  const Frame from = last();
  const int count = std::max(steps, 1);
  for (int i = 1; i <= count; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(count);
    frames_.push_back(
        {from.pointCount, between(from.first, first, t), between(from.second, second, t)});
  }
  return *this;
}

TouchSequence& TouchSequence::hold(int frames) {
  const Frame held = last();
  for (int i = 0; i < frames; ++i) frames_.push_back(held);
  return *this;
}

TouchSequence& TouchSequence::release() {
  Frame lifted = last();
  lifted.pointCount = 0;
  frames_.push_back(lifted);
  return *this;
}

TouchSequence& TouchSequence::frame(std::uint32_t pointCount, Pixel first, Pixel second) {
  frames_.push_back({pointCount, first, second});
  return *this;
}

std::vector<MultipointSample> TouchSequence::samples() const {
  std::vector<MultipointSample> out;
  out.reserve(frames_.size());
  for (const Frame& f : frames_) out.push_back(sample(f));
  return out;
}

std::vector<TouchSequence::Message> TouchSequence::messages() const {
  std::vector<Message> out;
  for (const Frame& f : frames_) {
    if (f.pointCount <= 2) out.push_back(message(f));
  }
  return out;
}

MultipointSample TouchSequence::sample(const Frame& frame) {
  MultipointSample s;
  s.pointCount = frame.pointCount;
  s.firstX = quarterPixels(frame.first.x);
  s.firstY = quarterPixels(frame.first.y);
  s.secondX = quarterPixels(frame.second.x);
  s.secondY = quarterPixels(frame.second.y);
  return s;
}

TouchSequence::Message TouchSequence::message(const Frame& frame) {
  const MultipointSample s = sample(frame);
  switch (frame.pointCount) {
    case 0:
      return {WM_APP_TOUCH_END, touchSinglePointWParam, 0};
    case 1:
      return {WM_APP_TOUCH, touchSinglePointWParam, packed(s.firstX, s.firstY)};
    default:
      return {WM_APP_TOUCH, packed(s.secondX, s.secondY), packed(s.firstX, s.firstY)};
  }
}

// A sequence starts with a press; before one, moves and holds start from no
// finger at the origin.
const TouchSequence::Frame& TouchSequence::last() const {
  static const Frame none{};
  return frames_.empty() ? none : frames_.back();
}
