#include "pcl_font_descriptor.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace converter {

namespace {

constexpr std::uint8_t kLetterQuality = 2;
constexpr std::uint8_t kScalingTrueType = 1;
constexpr std::uint16_t kNoOs2Table = 0xFFFF;  // FreeType's version mark for a font without one

// OS/2 width classes 1 (ultra-condensed) to 9 (ultra-expanded) as PCL
// width types (-5 ultra compressed to 3 extra expanded) and as the width
// bits of the style word (0 normal, 1 condensed, 2 compressed, 4 ultra
// compressed, 6 expanded, 7 extra expanded).
constexpr std::int8_t kWidthTypes[9] = {-4, -3, -2, -1, 0, 1, 2, 3, 3};
constexpr int kStyleWidths[9] = {4, 2, 1, 1, 0, 6, 6, 7, 7};

// PANOSE serif styles 0-15 as PCL serif styles: the high bits tell sans
// serif (64) from serif (128), the low ones the shape (0 square, 1 round,
// 2 line, 3 triangle, 5 block, 6 bracket, 7 rounded bracket, 8 flair).
constexpr std::uint8_t kSerifStyles[16] = {0,       0,       128 | 6, 128 | 6, 128 | 5, 128 | 5, 128 | 5, 128 | 2,
                                           128 | 7, 128 | 8, 128 | 3, 64 | 0,  64 | 1,  64 | 0,  64 | 8,  64 | 1};

int ClampToUnsigned16(long value) { return static_cast<int>(std::clamp(value, 0L, 65535L)); }

// The unhinted metrics in font units of the character's glyph; all 0 when
// the font does not have it.
FT_Glyph_Metrics CharacterMetrics(FT_Face face, FT_ULong character) {
  const FT_UInt glyph = FT_Get_Char_Index(face, character);
  if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return {};
  return face->glyph->metrics;
}

void SetName(PclTrueTypeDescriptor& descriptor, std::string_view name) {
  std::memset(descriptor.fontName, ' ', kPclFontNameBytes);
  std::memcpy(descriptor.fontName, name.data(), std::min(name.size(), kPclFontNameBytes));
}

}  // namespace

PclTrueTypeDescriptor DescribePclTrueTypeFont(FT_Face face, std::string_view name, const PclCodeFields& codes) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version == kNoOs2Table) os2 = nullptr;
  const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));

  PclTrueTypeDescriptor d{};
  d.descriptorSize.Set(sizeof d);
  d.headerFormat = codes.headerFormat;
  d.fontType = codes.fontType;
  d.cellWidth.Set(ClampToUnsigned16(face->bbox.xMax - face->bbox.xMin));
  d.cellHeight.Set(ClampToUnsigned16(face->bbox.yMax - face->bbox.yMin));
  const bool fixedPitch = post != nullptr ? post->isFixedPitch != 0 : FT_IS_FIXED_WIDTH(face);
  d.spacing = fixedPitch ? 0 : 1;
  d.symbolSet.Set(codes.symbolSet);

  // Scalable fonts give pitch (the space's escapement), heights and widths
  // in design units; the bitmap-only height and underline fields stay 0.
  const long spaceAdvance = CharacterMetrics(face, ' ').horiAdvance;
  const long averageWidth = os2 != nullptr && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : spaceAdvance;
  d.pitch.Set(ClampToUnsigned16(spaceAdvance > 0 ? spaceAdvance : averageWidth));
  // OS/2 tables before version 2 have no heights: measure x and H then.
  const bool os2HasHeights = os2 != nullptr && os2->version >= 2;
  const long xHeight =
      os2HasHeights && os2->sxHeight > 0 ? os2->sxHeight : CharacterMetrics(face, 'x').horiBearingY;
  const long capHeight =
      os2HasHeights && os2->sCapHeight > 0 ? os2->sCapHeight : CharacterMetrics(face, 'H').horiBearingY;
  d.xHeight.Set(ClampToUnsigned16(xHeight));
  d.capHeight.Set(ClampToUnsigned16(capHeight));
  d.textHeight.Set(ClampToUnsigned16(face->height));
  d.textWidth.Set(ClampToUnsigned16(averageWidth));

  const int widthClass = os2 != nullptr ? std::clamp<int>(os2->usWidthClass, 1, 9) : 5;
  d.widthType = kWidthTypes[widthClass - 1];
  const bool italic =
      (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0 || (post != nullptr && post->italicAngle != 0);
  const bool outlined = os2 != nullptr && (os2->fsSelection & 0x0008) != 0;
  const int style = (italic ? 1 : 0) | kStyleWidths[widthClass - 1] << 2 | (outlined ? 1 : 0) << 5;
  d.styleMsb = static_cast<std::uint8_t>(style >> 8);
  d.styleLsb = static_cast<std::uint8_t>(style);
  // OS/2 weight classes step by 100 from 400 (regular, PCL 0) and 700 (bold,
  // PCL 3); PCL weights run from -7 to 7.
  const bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  const long weightClass = os2 != nullptr ? os2->usWeightClass : (bold ? 700 : 400);
  d.strokeWeight = static_cast<std::int8_t>(std::clamp(std::lround((weightClass - 400) / 100.0), -7L, 7L));
  // Typeface numbers are handed out for PCL; only a font made for PCL
  // printers has one, in its PCLT table.
  const auto* pclt = static_cast<const TT_PCLT*>(FT_Get_Sfnt_Table(face, FT_SFNT_PCLT));
  if (pclt != nullptr) {
    d.typefaceMsb = static_cast<std::uint8_t>(pclt->TypeFamily >> 8);
    d.typefaceLsb = static_cast<std::uint8_t>(pclt->TypeFamily);
  }
  if (os2 != nullptr && os2->panose[0] == 2 && os2->panose[1] < std::size(kSerifStyles))
    d.serifStyle = kSerifStyles[os2->panose[1]];
  d.quality = kLetterQuality;

  d.firstCode.Set(codes.firstCode);
  d.lastCode.Set(codes.lastCode);
  SetName(d, name);
  d.scaleFactor.Set(face->units_per_EM);
  d.masterUnderlinePosition.Set(post != nullptr ? post->underlinePosition : face->underline_position);
  d.masterUnderlineThickness.Set(
      ClampToUnsigned16(post != nullptr ? post->underlineThickness : face->underline_thickness));
  d.scalingTechnology = kScalingTrueType;
  return d;
}

}  // namespace converter
