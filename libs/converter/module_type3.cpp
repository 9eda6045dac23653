// Type 3 font (glyphs as PostScript procedures).
#include "postscript_font_header.h"

namespace converter {

const FontModule kType3Module = MakePostScriptTextModule<3>("Type 3 font (glyphs as PostScript procedures)");

}  // namespace converter
