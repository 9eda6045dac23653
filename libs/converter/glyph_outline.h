// A glyph's outline as Type 1 needs it: cubic segments only, coordinates in
// a 1000-unit em rounded to whole units, outer contours counter-clockwise.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <span>
#include <vector>

namespace converter {

inline constexpr int kType1UnitsPerEm = 1000;

struct Point {
  long x = 0;
  long y = 0;
  bool operator==(const Point&) const = default;
};

struct OutlineSegment {
  bool curve = false;
  Point control1, control2;  // curves only
  Point end;
};

// A closed contour: from start along its segments, then by a straight line
// back to start (closepath) where the last segment ends elsewhere.
struct Contour {
  Point start;
  std::size_t firstSegment = 0, endSegment = 0;  // into GlyphOutline::segments
};

// The segments of all contours lie in one array, so that an outline reused
// for glyph after glyph stops allocating after the first few.
struct GlyphOutline {
  long advance = 0;
  long leftSideBearing = 0;
  std::vector<Contour> contours;
  std::vector<OutlineSegment> segments;

  std::span<const OutlineSegment> SegmentsOf(const Contour& contour) const {
    return std::span(segments).subspan(contour.firstSegment, contour.endSegment - contour.firstSegment);
  }
};

// Loads the glyph unhinted in font units (composite glyphs come back
// flattened), turns each quadratic segment into the cubic that draws the same
// curve, scales to 1000 units per em and rounds every point on its own, so
// rounding errors never add up along a contour. Given the offset of each
// contour's component (see ContourOffsets), a composite's contours are
// rounded as in their own glyph and moved by the rounded offset, so that
// they draw exactly alike wherever they are used. Segments that rounding has
// shrunk to nothing are dropped, and so is the line that closes a contour
// (closepath draws it). TrueType draws outer contours clockwise, Type 1
// counter-clockwise: a glyph drawn the TrueType way has every contour
// reversed, each still starting at the same point, which fills the same
// area under either fill rule.
bool LoadGlyphOutline(FT_Face face, FT_UInt glyphIndex, GlyphOutline& outline,
                      std::span<const FT_Vector> contourOffsets = {});

}  // namespace converter
