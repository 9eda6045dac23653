// The raw tables of a TrueType font, as the font stores them, and its glyph
// data found through "loca" in "glyf": what a format that carries TrueType
// data unchanged (a PCL TrueType soft font) copies out of the font.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "font_module.h"

namespace converter {

// The table with the tag, or nullopt when the font has none or it is longer
// than the whole font (a damaged directory) so that it cannot be there.
std::optional<std::vector<std::uint8_t>> LoadSfntTable(FT_Face face, FT_ULong tag, std::size_t fontSize);

// The "head" table's size up to its last field, glyphDataFormat.
inline constexpr std::size_t kHeadMinBytes = 54;

// Numbers in sfnt tables (and PCL font data) are big-endian.
inline std::uint16_t ReadUint16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline void AppendUint16(std::string& out, std::size_t value) {
  out += static_cast<char>(value >> 8 & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

inline void AppendUint32(std::string& out, std::uint32_t value) {
  AppendUint16(out, value >> 16);
  AppendUint16(out, value & 0xFFFF);
}

// Refers to "loca" and "glyf" where they lie in the font's bytes, which must
// outlive it: they are the most of a font, and not copied.
class GlyphTable {
 public:
  // `face` is open on `font`. Null when "head", "loca" or "glyf" is missing
  // or malformed.
  static std::optional<GlyphTable> Load(FT_Face face, ByteView font);

  std::size_t count() const { return count_; }
  // The glyph's bytes in "glyf" (empty for a glyph without outline, such as
  // the space); nullopt when the glyph id is out of range or "loca" points
  // outside "glyf".
  std::optional<ByteView> Data(std::size_t glyph) const;

 private:
  ByteView loca_, glyf_;
  bool longOffsets_ = false;
  std::size_t count_ = 0;
};

// One component of a composite glyph: the glyph it draws, and the offset it
// is drawn at in font units (0, 0 when the record places it by matching
// points rather than by an offset).
struct CompositeComponent {
  std::uint16_t glyph;
  long dx = 0, dy = 0;
};

// The components a composite glyph is built from, in its order (none for a
// simple glyph); false when the component records run past the data.
bool CompositeComponents(ByteView glyphData, std::vector<CompositeComponent>& components);

// The offset each contour of the glyph is drawn at, in the order FreeType
// lists them once composites are flattened: the sum of the offsets of the
// components that lead to it. Empty for a simple glyph, whose contours all
// lie where they are, and for data too damaged or too deeply nested to
// follow.
void ContourOffsets(const GlyphTable& glyphs, std::size_t glyph, std::vector<FT_Vector>& offsets);

}  // namespace converter
