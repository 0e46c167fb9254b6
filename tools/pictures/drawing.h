// Anti-aliased drawing on an Image. Shapes are given in pixel coordinates
// with (0, 0) at the picture's top-left corner: pixel (i, j) covers the unit
// square from (i, j) to (i + 1, j + 1), so a shape whose edges lie on whole
// numbers covers whole pixels exactly. Each pixel is blended towards the
// colour by how far its centre lies inside the shape (one pixel of soft edge).
#pragma once

#include <string_view>

#include "image.h"
#include "recognition/geometry.h"

namespace Pictures {

using Geometry::Path2D;
using Geometry::Point2D;
using Geometry::Rect2D;

void fillRoundedRect(Image& image, const Rect2D& rect, double radius, Rgb colour);

// A band of the given width just inside the rectangle's edges.
void outlineRoundedRect(Image& image, const Rect2D& rect, double radius, double width, Rgb colour);

// A brush stroke along the points: round ends and round joins.
void strokePolyline(Image& image, const Path2D& points, double width, Rgb colour);

// A convex polygon, corners in either turning direction.
void fillConvexPolygon(Image& image, const Path2D& corners, Rgb colour);

// Crisp text in the built-in 5 x 7 font, each font dot `scale` pixels square,
// centred on `centre` (snapped to whole pixels). Characters the font lacks
// leave a gap.
void drawText(Image& image, std::string_view text, Point2D centre, int scale, Rgb colour);

}  // namespace Pictures
