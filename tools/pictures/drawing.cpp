#include "drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace Pictures {

namespace {

constexpr double softEdge = 0.5;  // pixels either side of a shape's edge

double length(double x, double y) { return std::sqrt(x * x + y * y); }

std::uint8_t mix(std::uint8_t from, std::uint8_t to, double amount) {
  const double v = from + (to - from) * amount;
  return static_cast<std::uint8_t>(std::floor(v + 0.5));
}

// Blends every pixel of the box [x0, x1) x [y0, y1) whose centre is inside
// the shape; `distance` is the signed distance of a point to the shape's edge
// (negative inside).
template <typename Distance>
void paint(Image& image, double x0, double y0, double x1, double y1, Rgb colour,
           Distance distance) {
  const int left = std::max(0, static_cast<int>(std::floor(x0 - 1)));
  const int top = std::max(0, static_cast<int>(std::floor(y0 - 1)));
  const int right = std::min(image.width(), static_cast<int>(std::ceil(x1 + 1)));
  const int bottom = std::min(image.height(), static_cast<int>(std::ceil(y1 + 1)));
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const double coverage = std::clamp(softEdge - distance(x + 0.5, y + 0.5), 0.0, 1.0);
      if (coverage <= 0.0) continue;
      const Rgb old = image.pixel(x, y);
      image.setPixel(x, y,
                     {mix(old.r, colour.r, coverage), mix(old.g, colour.g, coverage),
                      mix(old.b, colour.b, coverage)});
    }
  }
}

double roundedRectDistance(const Rect2D& r, double radius, double px, double py) {
  const double halfW = r.width / 2;
  const double halfH = r.height / 2;
  const double rad = std::clamp(radius, 0.0, std::min(halfW, halfH));
  const double qx = std::abs(px - (r.x + halfW)) - (halfW - rad);
  const double qy = std::abs(py - (r.y + halfH)) - (halfH - rad);
  return length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - rad;
}

double segmentDistance(const Point2D& a, const Point2D& b, double px, double py) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = 0.0;
  if (lengthSquared > 0.0) {
    t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / lengthSquared, 0.0, 1.0);
  }
  return length(px - (a.x + t * dx), py - (a.y + t * dy));
}

struct Bounds {
  double x0, y0, x1, y1;
};

Bounds boundsOf(const Path2D& points) {
  Bounds b{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const Point2D& p : points) {
    b.x0 = std::min(b.x0, p.x);
    b.y0 = std::min(b.y0, p.y);
    b.x1 = std::max(b.x1, p.x);
    b.y1 = std::max(b.y1, p.y);
  }
  return b;
}

// Dots of the 5 x 7 font, one row per byte, the leftmost dot in bit 4.
struct Glyph {
  char c;
  std::array<std::uint8_t, 7> rows;
};
constexpr std::array<Glyph, 19> font = {{
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
}};
constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
constexpr int glyphAdvance = 6;  // dots, one blank column between characters

const Glyph* findGlyph(char c) {
  for (const Glyph& g : font) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

}  // namespace

void fillRoundedRect(Image& image, const Rect2D& rect, double radius, Rgb colour) {
  paint(image, rect.x, rect.y, rect.x + rect.width, rect.y + rect.height, colour,
        [&](double px, double py) { return roundedRectDistance(rect, radius, px, py); });
}

void outlineRoundedRect(Image& image, const Rect2D& rect, double radius, double width, Rgb colour) {
  const double half = width / 2;
  paint(image, rect.x, rect.y, rect.x + rect.width, rect.y + rect.height, colour,
        [&](double px, double py) {
          return std::abs(roundedRectDistance(rect, radius, px, py) + half) - half;
        });
}

void strokePolyline(Image& image, const Path2D& points, double width, Rgb colour) {
  if (points.empty()) return;
  const double half = width / 2;
  const Bounds b = boundsOf(points);
  paint(image, b.x0 - half, b.y0 - half, b.x1 + half, b.y1 + half, colour,
        [&](double px, double py) {
          double nearest = segmentDistance(points[0], points[0], px, py);
          for (std::size_t i = 1; i < points.size(); ++i) {
            nearest = std::min(nearest, segmentDistance(points[i - 1], points[i], px, py));
          }
          return nearest - half;
        });
}

void fillConvexPolygon(Image& image, const Path2D& corners, Rgb colour) {
  if (corners.size() < 3) return;
  double twiceArea = 0.0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Point2D& a = corners[i];
    const Point2D& b = corners[(i + 1) % corners.size()];
    twiceArea += a.x * b.y - b.x * a.y;
  }
  if (twiceArea == 0.0) return;
  const double turn = twiceArea > 0.0 ? 1.0 : -1.0;
  const Bounds b = boundsOf(corners);
  // Distance beyond the farthest edge line: exact along the edges, which is
  // all the soft edge needs.
  paint(image, b.x0, b.y0, b.x1, b.y1, colour, [&](double px, double py) {
    double outside = -Geometry::largestDouble;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      const Point2D& p = corners[i];
      const Point2D& q = corners[(i + 1) % corners.size()];
      const double edge = length(q.x - p.x, q.y - p.y);
      if (edge == 0.0) continue;
      const double cross = (q.x - p.x) * (py - p.y) - (q.y - p.y) * (px - p.x);
      outside = std::max(outside, -turn * cross / edge);
    }
    return outside;
  });
}

void drawText(Image& image, std::string_view text, Point2D centre, int scale, Rgb colour) {
  if (text.empty() || scale <= 0) return;
  const int count = static_cast<int>(text.size());
  const int width = (count * glyphAdvance - (glyphAdvance - glyphWidth)) * scale;
  const int height = glyphHeight * scale;
  const int left = static_cast<int>(std::floor(centre.x - width / 2.0 + 0.5));
  const int top = static_cast<int>(std::floor(centre.y - height / 2.0 + 0.5));
  for (int i = 0; i < count; ++i) {
    const Glyph* glyph = findGlyph(text[static_cast<std::size_t>(i)]);
    if (glyph == nullptr) continue;
    for (int row = 0; row < glyphHeight; ++row) {
      for (int col = 0; col < glyphWidth; ++col) {
        if ((glyph->rows[static_cast<std::size_t>(row)] & (0x10u >> col)) == 0) continue;
        const int x = left + (i * glyphAdvance + col) * scale;
        const int y = top + row * scale;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) image.setPixel(x + dx, y + dy, colour);
        }
      }
    }
  }
}

}  // namespace Pictures
