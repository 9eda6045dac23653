// A PCL 5 soft font of header format 15 (TrueType scalable) made from a
// TrueType font, as a printer stores it after a file-system download: the
// font header ("ESC ) s # W": descriptor, PANOSE, character complement and
// global TrueType data segments, null segment, checksum), then per
// character its code ("ESC * c # E") and its descriptor with the glyph's
// data copied unchanged from "glyf" ("ESC ( s # W", continued in further
// blocks when long). A header too large for format 15's 16-bit segment
// sizes or for one command's 32767 bytes is written in format 16, which
// differs only in its 32-bit segment sizes.
//
// Which characters go under which codes is pcl_binding.h's choice. Glyphs
// that composite glyphs are built from, and that no code reaches, follow
// under code 65535, which no text can select; the printer finds them by
// glyph id.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <string_view>

#include "font_module.h"

namespace converter {

// The 16-byte font name the descriptor carries for a font of this
// PostScript name: the name itself, or when longer, the name without its
// hyphens, cut.
std::string PclFontName(std::string_view postScriptName);

// `face` is open on `font`. False, with coverage.failure saying why, when
// the font has no character a PCL font can carry,
// or its data does not fit the format (a glyph over the size its fields
// can state).
bool WritePclTrueTypeFont(ByteView font, FT_Face face, std::string_view postScriptName, std::string& out,
                          PclCoverage& coverage);

}  // namespace converter
