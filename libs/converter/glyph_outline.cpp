#include "glyph_outline.h"

#include FT_OUTLINE_H

#include <cmath>

namespace converter {

namespace {

// Differences of two coordinates must still fit a 32-bit charstring number.
constexpr double kMaxCoordinate = 1 << 29;

struct Decomposer {
  double scale = 1.0;
  FT_Vector current{};  // in font units, before rounding
  std::vector<Contour>* contours = nullptr;

  bool outOfRange = false;

  // Half away from zero, like lround, but inline: this runs for every point.
  // Coordinates a charstring number cannot hold make the glyph fail.
  long RoundToUnit(double v) {
    if (!(v > -kMaxCoordinate && v < kMaxCoordinate)) {
      outOfRange = true;
      return 0;
    }
    return static_cast<long>(v < 0 ? v - 0.5 : v + 0.5);
  }
  Point Round(double x, double y) { return {RoundToUnit(x * scale), RoundToUnit(y * scale)}; }
  Point Round(const FT_Vector& v) {
    return Round(static_cast<double>(v.x), static_cast<double>(v.y));
  }
  Point LastPoint() const {
    const Contour& contour = contours->back();
    return contour.segments.empty() ? contour.start : contour.segments.back().end;
  }

  void AddLine(const FT_Vector& to) {
    const Point end = Round(to);
    if (end != LastPoint()) contours->back().segments.push_back({false, {}, {}, end});
    current = to;
  }

  void AddCurve(double x1, double y1, double x2, double y2, const FT_Vector& to) {
    const Point start = LastPoint();
    const Point control1 = Round(x1, y1);
    const Point control2 = Round(x2, y2);
    const Point end = Round(to);
    if (control1 == start && control2 == end) {
      AddLine(to);  // rounding straightened it
      return;
    }
    contours->back().segments.push_back({true, control1, control2, end});
    current = to;
  }
};

Decomposer& Of(void* user) { return *static_cast<Decomposer*>(user); }

int MoveTo(const FT_Vector* to, void* user) {
  Decomposer& d = Of(user);
  d.contours->push_back({d.Round(*to), {}});
  d.current = *to;
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  Of(user).AddLine(*to);
  return 0;
}

// The quadratic with control q from p0 to p2 is exactly the cubic whose
// controls lie two thirds of the way from each end towards q.
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  Decomposer& d = Of(user);
  const double p0x = static_cast<double>(d.current.x), p0y = static_cast<double>(d.current.y);
  const double qx = static_cast<double>(control->x), qy = static_cast<double>(control->y);
  const double p2x = static_cast<double>(to->x), p2y = static_cast<double>(to->y);
  d.AddCurve(p0x + 2.0 * (qx - p0x) / 3.0, p0y + 2.0 * (qy - p0y) / 3.0,
             p2x + 2.0 * (qx - p2x) / 3.0, p2y + 2.0 * (qy - p2y) / 3.0, *to);
  return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
  Of(user).AddCurve(static_cast<double>(control1->x), static_cast<double>(control1->y),
                    static_cast<double>(control2->x), static_cast<double>(control2->y), *to);
  return 0;
}

// Drops the closing line and any contour that rounding reduced to a point.
void TidyContours(std::vector<Contour>& contours) {
  std::erase_if(contours, [](Contour& contour) {
    if (!contour.segments.empty() && !contour.segments.back().curve &&
        contour.segments.back().end == contour.start)
      contour.segments.pop_back();
    return contour.segments.empty();
  });
}

}  // namespace

bool LoadGlyphOutline(FT_Face face, FT_UInt glyphIndex, GlyphOutline& outline) {
  constexpr FT_Int32 kFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP |
                              FT_LOAD_IGNORE_TRANSFORM | FT_LOAD_LINEAR_DESIGN;
  if (FT_Load_Glyph(face, glyphIndex, kFlags) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;

  outline = {};
  Decomposer decomposer;
  decomposer.scale = static_cast<double>(kType1UnitsPerEm) / face->units_per_EM;
  decomposer.contours = &outline.contours;
  outline.advance = decomposer.RoundToUnit(static_cast<double>(slot->metrics.horiAdvance) * decomposer.scale);
  outline.leftSideBearing =
      decomposer.RoundToUnit(static_cast<double>(slot->metrics.horiBearingX) * decomposer.scale);

  static const FT_Outline_Funcs kCallbacks = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  if (FT_Outline_Decompose(&slot->outline, &kCallbacks, &decomposer) != 0 || decomposer.outOfRange)
    return false;
  TidyContours(outline.contours);
  return true;
}

}  // namespace converter
