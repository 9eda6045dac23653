// A glyph's outline as Type 1 needs it: cubic segments only, coordinates in
// a 1000-unit em rounded to whole units.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

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

struct Contour {
  Point start;
  std::vector<OutlineSegment> segments;
};

struct GlyphOutline {
  long advance = 0;
  long leftSideBearing = 0;
  std::vector<Contour> contours;
};

// Loads the glyph unhinted in font units (composite glyphs come back
// flattened), turns each quadratic segment into the cubic that draws the same
// curve, scales to 1000 units per em and rounds every point on its own, so
// rounding errors never add up along a contour. Segments that rounding has
// shrunk to nothing are dropped, and so is the line that closes a contour
// (closepath draws it).
bool LoadGlyphOutline(FT_Face face, FT_UInt glyphIndex, GlyphOutline& outline);

}  // namespace converter
