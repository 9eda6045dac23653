// Type 1 charstrings: writing a glyph as the text of its commands, and
// assembling that text (the form t1disasm prints) into charstring bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "glyph_outline.h"

namespace converter {

// The glyph's commands, one per line, each line starting with a tab:
// hsbw, then per contour a moveto, its lines and curves and closepath,
// then endchar. Horizontal and vertical moves, lines and curves use their
// shorter commands.
std::string WriteCharstringText(const GlyphOutline& outline);

// Assembles lines of numbers and command names into charstring bytes
// (before encryption). False on an unknown command or a bad number.
bool AssembleCharstring(std::string_view text, std::vector<std::uint8_t>& bytes);

}  // namespace converter
