#include "glyph_outline.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace converter {

namespace {

// Differences of two coordinates must still fit a 32-bit charstring number.
constexpr double kMaxCoordinate = 1 << 29;

struct Decomposer {
  double scale = 1.0;
  FT_Vector current{};  // in font units, before rounding
  GlyphOutline* outline = nullptr;
  bool reverse = false;  // contours are to be drawn the other way round

  bool outOfRange = false;

  // Where each contour's component lies, in font units (empty: all at 0,
  // 0), and the current contour's offset, as it is and rounded.
  std::span<const FT_Vector> contourOffsets;
  double offsetX = 0, offsetY = 0;
  Point offsetRounded;

  // Half away from zero, like lround, but inline: this runs for every point.
  // Coordinates a charstring number cannot hold make the glyph fail.
  long RoundToUnit(double v) {
    if (!(v > -kMaxCoordinate && v < kMaxCoordinate)) {
      outOfRange = true;
      return 0;
    }
    return static_cast<long>(v < 0 ? v - 0.5 : v + 0.5);
  }
  // A component's contours are rounded where the component glyph has them
  // and then moved by its rounded offset, so that they come out as the
  // same relative commands as in that glyph and every other composite that
  // uses it, which a subroutine can then share.
  Point Round(double x, double y) {
    return {offsetRounded.x + RoundToUnit((x - offsetX) * scale), offsetRounded.y + RoundToUnit((y - offsetY) * scale)};
  }
  Point Round(const FT_Vector& v) {
    return Round(static_cast<double>(v.x), static_cast<double>(v.y));
  }
  Point LastPoint() const {
    const Contour& contour = outline->contours.back();
    return outline->segments.size() == contour.firstSegment ? contour.start : outline->segments.back().end;
  }

  void StartContour(int index, const FT_Vector& at) {
    FinishContour();
    const std::size_t first = outline->segments.size();
    const FT_Vector offset = contourOffsets.empty() ? FT_Vector{0, 0} : contourOffsets[static_cast<std::size_t>(index)];
    offsetX = static_cast<double>(offset.x), offsetY = static_cast<double>(offset.y);
    offsetRounded = {RoundToUnit(offsetX * scale), RoundToUnit(offsetY * scale)};
    outline->contours.push_back({Round(at), first, first});
    current = at;
  }

  void AddLine(const FT_Vector& to) {
    const Point end = Round(to);
    if (end != LastPoint()) outline->segments.push_back({false, {}, {}, end});
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
    outline->segments.push_back({true, control1, control2, end});
    current = to;
  }

  // Drops the closing line (closepath draws it) and a contour that rounding
  // reduced to a point, and turns the contour round where asked.
  void FinishContour() {
    if (outline->contours.empty()) return;
    Contour& contour = outline->contours.back();
    std::vector<OutlineSegment>& segments = outline->segments;
    if (segments.size() > contour.firstSegment && !segments.back().curve && segments.back().end == contour.start)
      segments.pop_back();
    if (segments.size() == contour.firstSegment) {
      outline->contours.pop_back();
      return;
    }
    if (reverse) Reverse(contour);
    contour.endSegment = segments.size();
  }

  // The same contour the other way round from the same start: first the
  // line closepath drew, then each segment backwards, ending where the first
  // began; that last one goes again when it is a line, as closepath draws it.
  void Reverse(const Contour& contour) {
    std::vector<OutlineSegment>& segments = outline->segments;
    const auto first = segments.begin() + static_cast<std::ptrdiff_t>(contour.firstSegment);
    const Point farEnd = segments.back().end;
    std::reverse(first, segments.end());
    // Each reversed segment ends where its original began, which is where
    // the original before it, now next in line, still ends.
    for (auto segment = first; segment != segments.end(); ++segment) {
      segment->end = segment + 1 != segments.end() ? (segment + 1)->end : contour.start;
      if (segment->curve) std::swap(segment->control1, segment->control2);
    }
    if (!segments.back().curve) segments.pop_back();
    if (farEnd != contour.start)
      segments.insert(segments.begin() + static_cast<std::ptrdiff_t>(contour.firstSegment), {false, {}, {}, farEnd});
  }
};

// The quadratic with control q from p0 to p2 is exactly the cubic whose
// controls lie two thirds of the way from each end towards q.
void AddConic(Decomposer& d, const FT_Vector& control, const FT_Vector& to) {
  const double p0x = static_cast<double>(d.current.x), p0y = static_cast<double>(d.current.y);
  const double qx = static_cast<double>(control.x), qy = static_cast<double>(control.y);
  const double p2x = static_cast<double>(to.x), p2y = static_cast<double>(to.y);
  d.AddCurve(p0x + 2.0 * (qx - p0x) / 3.0, p0y + 2.0 * (qy - p0y) / 3.0,
             p2x + 2.0 * (qx - p2x) / 3.0, p2y + 2.0 * (qy - p2y) / 3.0, to);
}

FT_Vector Middle(const FT_Vector& a, const FT_Vector& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Walks the outline's points into lines and curves, as FreeType's
// FT_Outline_Decompose does, to the same points (midpoints of two control
// points included), but without a callback per segment: this runs for
// every point of every glyph. False for an outline that breaks the rules.
bool Decompose(const FT_Outline& outline, Decomposer& d) {
  auto tagOf = [&](int i) { return FT_CURVE_TAG(outline.tags[i]); };
  for (int contour = 0, first = 0; contour < outline.n_contours; first = outline.contours[contour++] + 1) {
    int last = outline.contours[contour];
    if (last < first || last >= outline.n_points) return false;
    const FT_Vector* points = outline.points;
    FT_Vector start = points[first];
    int at = first;  // the next point to take
    if (tagOf(first) == FT_CURVE_TAG_CUBIC) return false;
    if (tagOf(first) == FT_CURVE_TAG_CONIC) {
      // A contour starting with a control point starts at its last point
      // when that is on the curve, else halfway between the two.
      if (tagOf(last) == FT_CURVE_TAG_ON) start = points[last--];
      else start = Middle(start, points[last]);
    } else {
      ++at;
    }
    d.StartContour(contour, start);
    bool closed = false;  // by a curve back to the start
    while (at <= last && !closed) {
      const int tag = tagOf(at);
      if (tag == FT_CURVE_TAG_ON) {
        d.AddLine(points[at++]);
      } else if (tag == FT_CURVE_TAG_CONIC) {
        FT_Vector control = points[at++];
        while (true) {
          if (at > last) {
            AddConic(d, control, start);
            closed = true;
            break;
          }
          const FT_Vector next = points[at++];
          if (tagOf(at - 1) == FT_CURVE_TAG_ON) {
            AddConic(d, control, next);
            break;
          }
          if (tagOf(at - 1) != FT_CURVE_TAG_CONIC) return false;
          AddConic(d, control, Middle(control, next));
          control = next;
        }
      } else {
        if (at + 1 > last || tagOf(at + 1) != FT_CURVE_TAG_CUBIC) return false;
        const FT_Vector& control1 = points[at];
        const FT_Vector& control2 = points[at + 1];
        at += 2;
        const bool toStart = at > last;
        d.AddCurve(static_cast<double>(control1.x), static_cast<double>(control1.y),
                   static_cast<double>(control2.x), static_cast<double>(control2.y), toStart ? start : points[at]);
        if (toStart) closed = true;
        else ++at;
      }
    }
    if (!closed) d.AddLine(start);
  }
  return true;
}

// Twice the area the outline's points enclose, counting each contour with
// its direction: positive when the outer contours run counter-clockwise.
// Control points count as the corners of the polygon, as they lie on the
// same side of the curve as its points.
std::int64_t SignedArea(const FT_Outline& outline) {
  std::int64_t area = 0;
  for (int contour = 0, first = 0; contour < outline.n_contours; first = outline.contours[contour++] + 1) {
    const int last = outline.contours[contour];
    if (last < first || last >= outline.n_points) break;  // malformed; FreeType refuses it as well
    for (int i = first, previous = last; i <= last; previous = i++) {
      area += static_cast<std::int64_t>(outline.points[previous].x) * outline.points[i].y -
              static_cast<std::int64_t>(outline.points[i].x) * outline.points[previous].y;
    }
  }
  return area;
}

}  // namespace

bool LoadGlyphOutline(FT_Face face, FT_UInt glyphIndex, GlyphOutline& outline,
                      std::span<const FT_Vector> contourOffsets) {
  constexpr FT_Int32 kFlags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP |
                              FT_LOAD_IGNORE_TRANSFORM | FT_LOAD_LINEAR_DESIGN;
  if (FT_Load_Glyph(face, glyphIndex, kFlags) != 0) return false;
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;

  outline.contours.clear();
  outline.segments.clear();
  Decomposer decomposer;
  decomposer.scale = static_cast<double>(kType1UnitsPerEm) / face->units_per_EM;
  decomposer.outline = &outline;
  if (contourOffsets.size() == static_cast<std::size_t>(slot->outline.n_contours))
    decomposer.contourOffsets = contourOffsets;
  // The sign of the area all contours enclose together tells how the glyph
  // draws its outer contours.
  decomposer.reverse = SignedArea(slot->outline) <= 0;
  outline.advance = decomposer.RoundToUnit(static_cast<double>(slot->metrics.horiAdvance) * decomposer.scale);
  outline.leftSideBearing =
      decomposer.RoundToUnit(static_cast<double>(slot->metrics.horiBearingX) * decomposer.scale);

  if (!Decompose(slot->outline, decomposer) || decomposer.outOfRange) return false;
  decomposer.FinishContour();
  return true;
}

}  // namespace converter
