// Type 42 font (TrueType data wrapped in PostScript).
#include "postscript_font_header.h"

namespace converter {

const FontModule kType42Module = MakePostScriptTextModule<42>("Type 42 font (TrueType data wrapped in PostScript)");

}  // namespace converter
