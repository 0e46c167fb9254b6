// Touch sequences written in pixels: a chainable builder of what the touch
// driver hands the hook (samples in quarter pixels) and of what the hook
// library posts to the main window (packed words).
//
//   TouchSequence().press({40, 300}, {40, 400}).move({440, 300}, {440, 400}, 20).release()
//
// is two fingers put down, 20 more samples at constant speed until they reach
// the end points, and the release (point count 0, the points where the
// fingers were). Every call adds frames; a frame is one driver sample.
#pragma once

#include <cstdint>
#include <vector>

#include "hook/multipoint_sample.h"
#include "recognition/geometry.h"

class TouchSequence {
 public:
  using Pixel = Geometry::Point2D;  // screen pixels, y downwards

  // One driver sample, in pixels.
  struct Frame {
    std::uint32_t pointCount = 0;  // 0 = no finger down; others than 1 and 2 occur
    Pixel first;
    Pixel second;  // meaningful when pointCount is 2
  };

  // One touch message as the hook library posts it (see ports/touch_messages.h).
  struct Message {
    std::uint32_t message = 0;  // WM_APP_TOUCH or WM_APP_TOUCH_END
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
  };

  // One frame with one finger, or two, down at these points.
  TouchSequence& press(Pixel first);
  TouchSequence& press(Pixel first, Pixel second);

  // `steps` more frames (at least one) in which the fingers that are down
  // move at constant speed to these points; the last frame is there. A move
  // with one point keeps a second finger where it was.
  TouchSequence& move(Pixel first, int steps = 1);
  TouchSequence& move(Pixel first, Pixel second, int steps = 1);

  // `frames` more frames in which the fingers stay where they are.
  TouchSequence& hold(int frames);

  // A frame with no finger down, at the last points.
  TouchSequence& release();

  // One frame with any point count, also one the driver should not report.
  TouchSequence& frame(std::uint32_t pointCount, Pixel first, Pixel second = {});

  const std::vector<Frame>& frames() const { return frames_; }

  // The driver's samples, rounded to the nearest quarter pixel.
  std::vector<MultipointSample> samples() const;

  // For each frame, the message the hook library posts for its sample (whole
  // pixels, truncated from the quarter pixels as the hook truncates them):
  // WM_APP_TOUCH for one or two points, WM_APP_TOUCH_END for none, nothing
  // for other counts. The hook itself posts only news (a point moved, a
  // first frame or end); this is one message per frame.
  std::vector<Message> messages() const;

  static MultipointSample sample(const Frame& frame);
  // The message of a frame with no point, one or two (other counts post
  // nothing; here they read as two).
  static Message message(const Frame& frame);

 private:
  const Frame& last() const;

  std::vector<Frame> frames_;
};
