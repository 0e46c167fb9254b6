// Arbitrary strokes through the recogniser, non-finite and huge coordinates
// included, against the built-in templates or against templates made from
// the input.
//
// Input: a mode byte (bits 0-1: how points are read; bit 2: the recogniser
// gets up to three templates from the input instead of the built-in set),
// then the templates (id byte, name, point count byte, points), then the
// stroke's points until the input ends. Points are read as
//   0  a walk of small steps (signed bytes) from a screen position
//   1  raw doubles (eight bytes each)
//   2  coordinates of any kind (see Reader::coordinate)
//   3  whole pixels of 16 bits
//
// Invariants: the result is the unknown result, or names a registered
// template with its picture and a finite score of at most 1; resampling gives
// no points or a bounded number of them; a normalised path is empty or holds
// only finite points; the template count that addTemplate returns is right;
// the choice and the score are those of the plain loop over pathDistance, to
// the last bit.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "recognition/recognizer.h"

namespace {

using Geometry::Path2D;
using Geometry::Point2D;

Path2D readPath(FuzzInput::Reader& in, unsigned mode, std::size_t maxPoints) {
  Path2D path;
  double x = static_cast<double>(in.u16() % 480u);
  double y = static_cast<double>(in.u16() % 800u);
  while (!in.empty() && path.size() < maxPoints) {
    switch (mode) {
      case 0:
        x += static_cast<std::int8_t>(in.u8());
        y += static_cast<std::int8_t>(in.u8());
        path.emplace_back(x, y);
        break;
      case 1: {
        const double px = in.f64();
        path.emplace_back(px, in.f64());
        break;
      }
      case 2: {
        const double px = in.coordinate();
        path.emplace_back(px, in.coordinate());
        break;
      }
      default: {
        const double px = in.u16();
        path.emplace_back(px, static_cast<double>(in.u16()));
        break;
      }
    }
  }
  return path;
}

bool isFinitePoint(const Point2D& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

Gestures::Recognizer& builtIn() {
  static Gestures::Recognizer recognizer = [] {
    Gestures::Recognizer r;
    r.addBuiltInTemplates();
    return r;
  }();
  return recognizer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput::Reader in(data, size);
  const std::uint8_t mode = in.u8();
  const unsigned pointMode = mode & 3u;

  Gestures::Recognizer own;
  Gestures::Recognizer* recognizer = &builtIn();
  if ((mode & 4u) != 0) {
    recognizer = &own;
    const unsigned count = in.u8() % 4u;
    for (unsigned i = 0; i < count; ++i) {
      const std::int32_t id = 1 + in.u8();  // 0 never names a template
      std::wstring name = in.text(in.u8() % 4u);
      const Path2D points = readPath(in, pointMode, in.u8());
      const int sameName = recognizer->addTemplate(id, name, points, id + 100);
      const auto& all = recognizer->templates();
      FUZZ_CHECK(sameName ==
                 std::count_if(all.begin(), all.end(),
                               [&](const Gestures::Template& t) { return t.name == name; }));
    }
  }

  const Path2D stroke = readPath(in, pointMode, 4096);
  const Path2D resampled = recognizer->resample(stroke);
  FUZZ_CHECK(resampled.size() <= 2u * static_cast<std::size_t>(recognizer->numPoints()) + 1u);
  Path2D normalised = stroke;
  recognizer->normalize(normalised);
  FUZZ_CHECK(std::all_of(normalised.begin(), normalised.end(), isFinitePoint));

  const Gestures::RecognitionResult r = recognizer->recognize(stroke);
  const auto& templates = recognizer->templates();
  double best = Geometry::largestDouble;
  const Gestures::Template* nearest = nullptr;
  for (const Gestures::Template& t : templates) {
    const double d = Gestures::Recognizer::pathDistance(normalised, t.points);
    if (d < best) {
      best = d;
      nearest = &t;
    }
  }
  if (r.id == 0 && r.name == L"Unknown") {
    FUZZ_CHECK(r.score == 0.0 && r.bitmapId == 0);
    FUZZ_CHECK(nearest == nullptr);
    return 0;
  }
  FUZZ_CHECK(nearest != nullptr && nearest->id == r.id && nearest->name == r.name);
  FUZZ_CHECK(r.score == 1.0 - best / recognizer->halfDiagonal());
  FUZZ_CHECK(std::isfinite(r.score) && r.score <= 1.0);
  FUZZ_CHECK(std::any_of(templates.begin(), templates.end(), [&](const Gestures::Template& t) {
    return t.id == r.id && t.name == r.name && t.bitmapId == r.bitmapId;
  }));
  // The bounds of a recognised stroke are a real box in input coordinates.
  FUZZ_CHECK(std::isfinite(r.bounds.x) && std::isfinite(r.bounds.y));
  FUZZ_CHECK(r.bounds.width >= 0.0 && r.bounds.height >= 0.0);
  FUZZ_CHECK(std::isfinite(r.bounds.width) && std::isfinite(r.bounds.height));
  return 0;
}
