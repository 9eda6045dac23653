// Which characters of a TrueType font a PCL TrueType soft font carries, and
// under which codes: bound to the symbol set that holds the most of them
// (Latin 1 when none holds more), or unbound, each character under its
// Unicode value with a character complement that lets printers map text
// through their own symbol set tables. An unbound font is made only for a
// font that has all of ASCII, since printers select unbound fonts for a
// symbol set by the collections the complement claims, and every one of
// them includes ASCII.
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
  std::size_t mapped = 0;                   // characters the font's Unicode map names
};

// `face` has its Unicode map selected; glyphs from glyphCount on are not
// the font's. Nullopt when none of its characters fits any symbol set.
std::optional<PclBinding> ChoosePclBinding(FT_Face face, std::size_t glyphCount);

}  // namespace converter
