// Which characters of a TrueType font a PCL TrueType soft font carries, and
// under which codes: bound to the symbol set that holds the most of them
// (Latin 1 when none holds more), or, when more of them fit its codes than
// any one set holds, unbound: each character of the Basic Multilingual Plane
// under its Unicode value, with a character complement that lets printers
// map text through their own symbol set tables. Character codes are 16-bit,
// so the characters of the planes above go under Private Use Area codes the
// font leaves free, from U+E000 on in Unicode order; without them a font of
// a script encoded only there would have nothing to carry. A font without a
// Unicode map is read through the map it has: a symbol map's codes are
// Private Use characters already, a Macintosh map's are translated; a font
// without any map has its glyphs carried in glyph order, as if they were
// Private Use characters above the plane.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "pcl_symbol_sets.h"

namespace converter {

struct PclCharacter {
  int code;
  std::uint16_t glyph;
};

struct PclBinding {
  const PclSymbolSet* symbolSet = nullptr;  // null: unbound
  std::uint64_t complement = 0;             // unbound only
  std::vector<PclCharacter> characters;     // by code
  std::size_t mapped = 0;                   // characters the font's map names
  // Unbound only: characters above the Basic Multilingual Plane carried
  // under Private Use Area codes, and the first of those codes.
  std::size_t privateUseCount = 0;
  int firstPrivateUseCode = 0;
};

// Selects the face's character map as above; glyphs from glyphCount on are
// not the font's. Nullopt when the font has no character to carry.
std::optional<PclBinding> ChoosePclBinding(FT_Face face, std::size_t glyphCount);

}  // namespace converter
