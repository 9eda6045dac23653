// Glyph names for a Type 1 font made from a TrueType font, and the tables
// they come from.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace converter {

struct StandardGlyph {
  std::uint32_t code;  // Unicode
  const char* name;
};

// Sorted by code.
std::span<const StandardGlyph> StandardGlyphs();

// True for a name a PostScript interpreter reads back as one literal name.
bool IsValidGlyphName(std::string_view name);

// One unique, valid name per glyph index; glyph 0 is ".notdef". Names come
// from the font's "post" table where it has usable ones, otherwise from the
// character each glyph is mapped to (standard names, else uniXXXX/uXXXXXX),
// otherwise "glyphN".
std::vector<std::string> NameGlyphs(FT_Face face);

// The glyph index for every code of the Type 1 encoding (0 = none). Codes
// 32-126 and 160-255 are Latin-1 characters looked up in the font's Unicode
// map, so text sent without re-encoding prints straight quotes and accented
// letters; a symbol font keeps its own codes; a font with neither map gets
// the glyphs that bear those characters' standard names.
std::array<FT_UInt, 256> BuildEncoding(FT_Face face, const std::vector<std::string>& names);

}  // namespace converter
