// Type 1 charstrings: writing a glyph as the text of its commands, and
// assembling that text (the form t1disasm prints) into charstring bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "glyph_outline.h"

namespace converter {

// Where the commands of one contour that follow its moveto lie in a text,
// closepath included, and how many charstring bytes they assemble into.
// They draw relative to where the moveto leaves the current point, so the
// same text is the same shape wherever the contour starts.
struct ContourText {
  std::size_t begin = 0, end = 0;  // offsets into the text
  std::size_t bytes = 0;
};

// Appends the glyph's commands, one per line: hsbw, then per contour a
// moveto, its lines and curves and closepath, then endchar; and to
// `contours` where each contour's commands after its moveto went. Horizontal
// and vertical moves, lines and curves use their shorter commands. Unlike
// t1disasm, which t1asm reads just the same, the lines are not indented:
// the text of a large font is read back whole, and a tab a line is 5% of it.
void AppendCharstringText(const GlyphOutline& outline, std::string& out, std::vector<ContourText>& contours);

// Assembles numbers and command names into charstring bytes (before
// encryption), up to the "}" that closes the charstring; returns the offset
// of that "}". Nothing on an unknown command, a bad number or no "}".
std::optional<std::size_t> AssembleCharstring(std::string_view text, std::vector<std::uint8_t>& bytes);

}  // namespace converter
