#include "gesture_art.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "capture/gesture_naming.h"
#include "drawing.h"
#include "recognition/builtin_templates.h"

namespace Pictures {

namespace {

constexpr Rgb tileRim{84, 84, 84};
constexpr double tileRadius = 36.0;  // pixels
constexpr double tileRimWidth = 3.0;

// Sizes in pixels. The path's larger side is scaled to `extent`.
struct Brush {
  double extent;
  double width;        // of the stroke
  double arrowLength;  // base to tip
  double arrowHalf;    // half the arrow head's width at its base
  double hairpinGap;   // between the way out and the way back
};
constexpr Brush oneFinger{140, 16, 30, 19, 36};
constexpr Brush twoFingers{112, 12, 24, 15, 30};

// A turn sharper than this (cosine of the angle between the two directions)
// goes back the way it came.
constexpr double reversal = -0.99;

// cos and sin of 1/16 of a half turn: the hairpin's bend in 16 steps.
constexpr double bendCos = 0.98078528040323043;
constexpr double bendSin = 0.19509032201612825;
constexpr int bendSteps = 16;

double distance(const Point2D& a, const Point2D& b) {
  return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

Point2D unit(const Point2D& from, const Point2D& to) {
  const double d = distance(from, to);
  return d > 0.0 ? Point2D{(to.x - from.x) / d, (to.y - from.y) / d} : Point2D{1.0, 0.0};
}

Path2D withoutRepeats(const Path2D& path) {
  Path2D out;
  for (const Point2D& p : path) {
    if (out.empty() || out.back() != p) out.push_back(p);
  }
  return out;
}

// The path scaled so that its larger side is `extent`, centred on the origin.
Path2D scaled(const Path2D& path, double extent) {
  double x0 = path[0].x, x1 = x0, y0 = path[0].y, y1 = y0;
  for (const Point2D& p : path) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  const double side = std::max(x1 - x0, y1 - y0);
  const double factor = side > 0.0 ? extent / side : 1.0;
  Path2D out;
  for (const Point2D& p : path) {
    out.push_back({(p.x - (x0 + x1) / 2) * factor, (p.y - (y0 + y1) / 2) * factor});
  }
  return out;
}

// The way out and every way back get a lane of their own, side by side,
// joined by half-circle bends beyond each turning point.
Path2D hairpins(const Path2D& path, double gap) {
  std::vector<std::size_t> turns;
  for (std::size_t i = 1; i + 1 < path.size(); ++i) {
    const Point2D a = unit(path[i - 1], path[i]);
    const Point2D b = unit(path[i], path[i + 1]);
    if (a.x * b.x + a.y * b.y < reversal) turns.push_back(i);
  }
  if (turns.empty()) return path;

  const Point2D along = unit(path[0], path[1]);
  const Point2D side{-along.y, along.x};
  const double middle = static_cast<double>(turns.size()) / 2;
  auto lane = [&](std::size_t k, const Point2D& p) {
    const double offset = gap * (static_cast<double>(k) - middle);
    return Point2D{p.x + side.x * offset, p.y + side.y * offset};
  };

  Path2D out;
  std::size_t k = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const bool turning = k < turns.size() && turns[k] == i;
    if (!turning) {
      out.push_back(lane(k, path[i]));
      continue;
    }
    // From lane k to lane k + 1 around the turning point.
    const Point2D from = lane(k, path[i]);
    const Point2D to = lane(k + 1, path[i]);
    const Point2D centre{(from.x + to.x) / 2, (from.y + to.y) / 2};
    const Point2D radial{from.x - centre.x, from.y - centre.y};
    const double radius = gap / 2;
    const Point2D ahead = unit(path[i - 1], path[i]);
    double c = 1.0, s = 0.0;
    for (int step = 0; step <= bendSteps; ++step) {
      out.push_back({centre.x + radial.x * c + ahead.x * radius * s,
                     centre.y + radial.y * c + ahead.y * radius * s});
      const double nc = c * bendCos - s * bendSin;
      s = s * bendCos + c * bendSin;
      c = nc;
    }
    ++k;
  }
  return out;
}

constexpr double pictureSpan = 200;     // pixels: what both fingers' strokes may span
constexpr double fingerClearance = 38;  // pixels between two strokes lying side by side

struct FingerPlacement {
  Point2D direction;  // unit step from one finger's stroke to the other's
  double apart;       // pixels
};

double extentAlong(const Path2D& path, const Point2D& v) {
  double lo = Geometry::largestDouble;
  double hi = -Geometry::largestDouble;
  for (const Point2D& p : path) {
    lo = std::min(lo, p.x * v.x + p.y * v.y);
    hi = std::max(hi, p.x * v.x + p.y * v.y);
  }
  return hi - lo;
}

// Where the two fingers' strokes lie: clear of each other, side by side or
// one above the other, whichever needs less room, when both fit on the tile;
// otherwise overlapping, offset in the direction (diagonals too) that shows
// most of the path doubled: a stroke running along the offset would hide its
// twin.
FingerPlacement placeFingers(const Path2D& path) {
  constexpr double h = 0.70710678118654752;
  constexpr std::array<Point2D, 4> candidates = {{{1, 0}, {0, 1}, {h, h}, {h, -h}}};
  const double width = extentAlong(path, {1, 0});
  const double height = extentAlong(path, {0, 1});
  FingerPlacement best{candidates[0], Geometry::largestDouble};
  for (const Point2D& v : {candidates[0], candidates[1]}) {
    const double apart = extentAlong(path, v) + fingerClearance;
    const bool fits = width + std::abs(v.x) * apart <= pictureSpan &&
                      height + std::abs(v.y) * apart <= pictureSpan;
    if (fits && apart < best.apart) best = {v, apart};
  }
  if (best.apart < Geometry::largestDouble) return best;

  double bestShown = -1.0;
  for (const Point2D& v : candidates) {
    double shown = 0.0;
    for (std::size_t i = 1; i < path.size(); ++i) {
      const double dx = path[i].x - path[i - 1].x;
      const double dy = path[i].y - path[i - 1].y;
      shown += std::abs(dx * v.y - dy * v.x);
    }
    if (shown > bestShown) {
      bestShown = shown;
      best = {v, fingerClearance};
    }
  }
  return best;
}

Path2D shifted(const Path2D& path, double dx, double dy) {
  Path2D out;
  for (const Point2D& p : path) out.push_back({p.x + dx, p.y + dy});
  return out;
}

// The stroke up to the arrow head's base, and the head itself, whose tip is
// the path's end.
void drawStroke(Image& image, const Path2D& path, const Brush& brush) {
  double remaining = brush.arrowLength;
  std::size_t i = path.size() - 1;
  Point2D base = path[i];
  while (i > 0) {
    const double d = distance(path[i - 1], path[i]);
    if (d >= remaining) {
      const double t = remaining / d;
      base = {path[i].x + (path[i - 1].x - path[i].x) * t,
              path[i].y + (path[i - 1].y - path[i].y) * t};
      break;
    }
    remaining -= d;
    base = path[i - 1];
    --i;
  }
  Path2D body(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i));
  body.push_back(base);
  if (body.size() > 1) strokePolyline(image, body, brush.width, white);

  const Point2D tip = path.back();
  const Point2D u = unit(base, tip);
  const Point2D foot{tip.x - u.x * brush.arrowLength, tip.y - u.y * brush.arrowLength};
  fillConvexPolygon(image,
                    {tip,
                     {foot.x - u.y * brush.arrowHalf, foot.y + u.x * brush.arrowHalf},
                     {foot.x + u.y * brush.arrowHalf, foot.y - u.x * brush.arrowHalf}},
                    white);
}

}  // namespace

std::vector<GestureArtwork> gestureArtworks() {
  std::vector<GestureArtwork> out;
  const auto& gestures = Gestures::builtInGestures();
  for (const Gestures::BuiltInGesture& g : gestures) {
    if (g.bitmapId != 0) out.push_back({g.bitmapId, g.name, g.path, false});
  }
  for (const GestureNaming::TwoFingerVariant& v : GestureNaming::twoFingerVariants) {
    const auto drawn =
        std::find_if(gestures.begin(), gestures.end(),
                     [&](const Gestures::BuiltInGesture& g) { return g.id == v.strokeId; });
    if (drawn != gestures.end()) out.push_back({v.bitmapId, v.name, drawn->path, true});
  }
  std::sort(out.begin(), out.end(), [](const GestureArtwork& a, const GestureArtwork& b) {
    return a.bitmapId < b.bitmapId;
  });
  return out;
}

Image drawGesture(const Path2D& path, bool twoFingerGesture) {
  constexpr double size = gesturePictureSize;
  Image image(gesturePictureSize, gesturePictureSize, black);
  fillRoundedRect(image, {0, 0, size, size}, tileRadius, tileColour);
  outlineRoundedRect(image, {0, 0, size, size}, tileRadius, tileRimWidth, tileRim);

  const Path2D distinct = withoutRepeats(path);
  if (distinct.size() < 2) return image;  // nothing drawn has a direction
  const Brush& brush = twoFingerGesture ? twoFingers : oneFinger;
  const Path2D shape = scaled(distinct, brush.extent);
  const Path2D lanes = hairpins(shape, brush.hairpinGap);

  std::vector<Path2D> strokes;
  if (twoFingerGesture) {
    const FingerPlacement fingers = placeFingers(lanes);
    const double dx = fingers.direction.x * fingers.apart / 2;
    const double dy = fingers.direction.y * fingers.apart / 2;
    strokes.push_back(shifted(lanes, -dx, -dy));
    strokes.push_back(shifted(lanes, dx, dy));
  } else {
    strokes.push_back(lanes);
  }

  // Centre what is drawn on the tile.
  double x0 = strokes[0][0].x, x1 = x0, y0 = strokes[0][0].y, y1 = y0;
  for (const Path2D& s : strokes) {
    for (const Point2D& p : s) {
      x0 = std::min(x0, p.x);
      x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y);
      y1 = std::max(y1, p.y);
    }
  }
  for (const Path2D& s : strokes) {
    drawStroke(image, shifted(s, size / 2 - (x0 + x1) / 2, size / 2 - (y0 + y1) / 2), brush);
  }
  return image;
}

}  // namespace Pictures
