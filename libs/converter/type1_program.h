// The unencrypted Type 1 program made from a TrueType face: the font
// dictionary in clear text, then after "currentfile eexec" the private
// dictionary with the subroutines that hold contours several glyphs share,
// and one charstring per glyph, all written as commands, in the form
// t1disasm prints and t1asm reads. type1_finisher.h encrypts it into a PFA.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "font_module.h"

namespace converter {

// `face` is open on `font`. False when a glyph cannot be loaded or the font
// has no outlines at all; nothing is written before every glyph is.
bool WriteType1Program(ByteView font, FT_Face face, const std::string& fontName, OutputSink& out);

}  // namespace converter
