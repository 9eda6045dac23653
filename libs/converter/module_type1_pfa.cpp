// Type 1 font in ASCII form (PFA).
#include "postscript_font_header.h"

namespace converter {

const FontModule kType1PfaModule = MakePostScriptTextModule<1>("Type 1 font in ASCII form (PFA)");

}  // namespace converter
