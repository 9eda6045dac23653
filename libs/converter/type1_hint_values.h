// The font-wide hints of a Type 1 private dictionary, measured from the
// outlines of a TrueType face: alignment zones (BlueValues, OtherBlues)
// where the flat and the round tops and bottoms of letters lie, and the
// dominant stem widths (StdHW, StdVW). With them an interpreter lines up
// baselines, x-heights and cap heights and keeps stems even at small sizes.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace converter {

struct Type1HintValues {
  // Bottom and top of each zone, lowest first; BlueValues starts with the
  // baseline zone, OtherBlues holds the zones below it.
  std::vector<long> blueValues, otherBlues;
  double blueScale = 0.039625;  // the Type 1 default
  long stdHW = 0, stdVW = 0;    // 0 where the font has no letters to measure
};

// Measures the letters the face maps in Unicode, in the 1000-unit em of the
// Type 1 font. A face without them (a symbol font) gets no zones or stems.
// Uses the face's glyph slot.
Type1HintValues MeasureHintValues(FT_Face face);

// The private dictionary entries for the values, one "/Key value def" a line.
std::string HintValueEntries(const Type1HintValues& values);

}  // namespace converter
