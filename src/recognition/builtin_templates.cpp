// The twelve shipped one-finger gestures. Every path except the question mark
// lies on a 250 by 250 grid; all are normalised on registration, so only shape
// and drawing direction matter. The order decides ties in recognition.
#include <cstddef>
#include <iterator>

#include "recognition/builtin_templates.h"
#include "recognition/recognizer.h"

namespace Gestures {

namespace {

Path2D swipeRightPath() { return {{0, 125}, {250, 125}}; }
Path2D swipeLeftPath() { return {{250, 125}, {0, 125}}; }
Path2D swipeUpPath() { return {{125, 250}, {125, 0}}; }
Path2D swipeDownPath() { return {{125, 0}, {125, 250}}; }
Path2D swipeRightLeftPath() { return {{0, 125}, {250, 125}, {0, 125}}; }
Path2D swipeLeftRightPath() { return {{250, 125}, {0, 125}, {250, 125}}; }
Path2D swipeUpDownPath() { return {{125, 250}, {125, 0}, {125, 250}}; }
Path2D swipeDownUpPath() { return {{125, 0}, {125, 250}, {125, 0}}; }

// Clockwise from the top-left corner, which is sharp; the other three corners
// are bevelled by 50.
Path2D squarePath() {
  return {{0, 0}, {200, 0}, {250, 50}, {250, 200}, {200, 250}, {50, 250}, {0, 200}, {0, 0}};
}

// Clockwise from the bottom vertex.
Path2D diamondPath() { return {{125, 250}, {0, 125}, {125, 0}, {250, 125}, {125, 250}}; }

// The hook from its left end, over the top and down into the stem; no dot. The
// recorded path holds the first point once and every later point twice: the
// zero-length segments change nothing in resampling but are kept as recorded.
Path2D questionmarkPath() {
  static constexpr Point2D distinct[] = {
      {188, 435}, {186, 433}, {185, 429}, {183, 425}, {182, 420}, {182, 414}, {183, 408},
      {185, 400}, {188, 394}, {191, 388}, {197, 383}, {204, 378}, {212, 372}, {220, 367},
      {230, 363}, {242, 359}, {254, 357}, {265, 356}, {275, 356}, {287, 358}, {299, 360},
      {310, 363}, {320, 366}, {328, 370}, {335, 376}, {341, 382}, {346, 388}, {349, 394},
      {350, 402}, {350, 408}, {350, 416}, {347, 423}, {343, 431}, {337, 438}, {330, 444},
      {322, 450}, {315, 456}, {306, 462}, {299, 468}, {292, 472}, {286, 476}, {280, 481},
      {275, 486}, {271, 492}, {267, 498}, {265, 504}, {262, 511}, {261, 517}, {260, 524},
      {260, 532}, {260, 540}, {260, 549}, {260, 558}, {262, 568}, {267, 601}};
  Path2D path;
  path.push_back(distinct[0]);
  for (std::size_t i = 1; i < std::size(distinct); ++i) {
    path.push_back(distinct[i]);
    path.push_back(distinct[i]);
  }
  return path;
}

// One-stroke cross: diagonal down to the bottom-right (which ends at y 255, not
// 250), back along the bottom edge, diagonal up to the top-right.
Path2D deletePath() { return {{0, 0}, {250, 255}, {0, 250}, {250, 0}}; }

}  // namespace

const std::vector<BuiltInGesture>& builtInGestures() {
  // Square and Diamond (ids 10 and 11) come before Questionmark (9).
  static const std::vector<BuiltInGesture> gestures = {
      {1, L"SwipeRight", 0, swipeRightPath()},
      {2, L"SwipeLeft", 0, swipeLeftPath()},
      {3, L"SwipeUp", 0, swipeUpPath()},
      {4, L"SwipeDown", 0, swipeDownPath()},
      {5, L"SwipeRightLeft", 0, swipeRightLeftPath()},
      {6, L"SwipeLeftRight", 0, swipeLeftRightPath()},
      {7, L"SwipeUpDown", 0, swipeUpDownPath()},
      {8, L"SwipeDownUp", 0, swipeDownUpPath()},
      {10, L"Square", 158, squarePath()},
      {11, L"Diamond", 173, diamondPath()},
      {9, L"Questionmark", 0, questionmarkPath()},
      {12, L"Delete", 157, deletePath()},
  };
  return gestures;
}

void Recognizer::addBuiltInTemplates() {
  for (const BuiltInGesture& g : builtInGestures()) {
    addTemplate(g.id, g.name, g.path, g.bitmapId);
  }
}

}  // namespace Gestures
