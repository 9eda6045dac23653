// The global TrueType data segment ("GT") of a PCL TrueType soft font: the
// tables the printer's TrueType scaler needs besides the glyphs (head, hhea,
// hmtx, maxp and, where the font has them, cvt, fpgm and prep) as an sfnt of
// their own, directory first, each table on a 4-byte boundary, with an empty
// "gdir" standing for the glyphs that are downloaded one by one.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <optional>
#include <string>

namespace converter {

// The segment's data for the glyphs below glyphLimit: the metrics stop there
// (maxp and hhea say so), which keeps the font header within what one PCL
// command can carry even for fonts of thousands of glyphs. Nullopt when a
// required table is missing or too short.
std::optional<std::string> GlobalTrueTypeData(FT_Face face, std::size_t fontSize, std::size_t glyphLimit);

}  // namespace converter
