// The 72-byte descriptor that opens a PCL font header of format 15 (a
// TrueType scalable font), big-endian as the printer reads it, and how its
// fields are drawn from a TrueType font. The segmented font data and the
// checksum that follow it are pcl_truetype_font.cpp's business.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace converter {

struct BigEndian16 {
  std::uint8_t bytes[2];
  void Set(int value) {
    bytes[0] = static_cast<std::uint8_t>(value >> 8);
    bytes[1] = static_cast<std::uint8_t>(value);
  }
};

struct BigEndian32 {
  std::uint8_t bytes[4];
  void Set(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
  }
};

inline constexpr std::size_t kPclFontNameBytes = 16;

struct PclTrueTypeDescriptor {
  BigEndian16 descriptorSize;  // bytes before the segmented font data
  std::uint8_t headerFormat;
  std::uint8_t fontType;
  std::uint8_t styleMsb;
  std::uint8_t reserved;
  BigEndian16 baselinePosition;
  BigEndian16 cellWidth;
  BigEndian16 cellHeight;
  std::uint8_t orientation;
  std::uint8_t spacing;
  BigEndian16 symbolSet;
  BigEndian16 pitch;
  BigEndian16 height;
  BigEndian16 xHeight;
  std::int8_t widthType;
  std::uint8_t styleLsb;
  std::int8_t strokeWeight;
  std::uint8_t typefaceLsb;
  std::uint8_t typefaceMsb;
  std::uint8_t serifStyle;
  std::uint8_t quality;
  std::int8_t placement;
  std::int8_t underlineDistance;
  std::uint8_t underlineThickness;
  BigEndian16 textHeight;
  BigEndian16 textWidth;
  BigEndian16 firstCode;
  BigEndian16 lastCode;
  std::uint8_t pitchExtended;
  std::uint8_t heightExtended;
  BigEndian16 capHeight;
  BigEndian32 fontNumber;
  char fontName[kPclFontNameBytes];
  BigEndian16 scaleFactor;
  BigEndian16 masterUnderlinePosition;
  BigEndian16 masterUnderlineThickness;
  std::uint8_t scalingTechnology;
  std::uint8_t variety;
};

static_assert(std::is_standard_layout_v<PclTrueTypeDescriptor>);
static_assert(sizeof(PclTrueTypeDescriptor) == 72);
static_assert(offsetof(PclTrueTypeDescriptor, symbolSet) == 14);
static_assert(offsetof(PclTrueTypeDescriptor, widthType) == 22);
static_assert(offsetof(PclTrueTypeDescriptor, textHeight) == 32);
static_assert(offsetof(PclTrueTypeDescriptor, capHeight) == 42);
static_assert(offsetof(PclTrueTypeDescriptor, fontName) == 48);
static_assert(offsetof(PclTrueTypeDescriptor, scaleFactor) == 64);
static_assert(offsetof(PclTrueTypeDescriptor, scalingTechnology) == 70);

// The font is bound to ISO 8859-1 Latin 1 (symbol set 0N): codes 32-127 and
// 160-255 print, each the character of the same Unicode value.
inline constexpr int kLatin1SymbolSet = 0 * 32 + ('N' - 64);
inline constexpr int kFirstCode = 32;
inline constexpr int kLastCode = 255;
inline constexpr bool IsPrintableCode(int code) {
  return (code >= kFirstCode && code < 128) || (code >= 160 && code <= kLastCode);
}

// The descriptor for `face`, named `name` (cut to 16 bytes, padded with
// spaces). `face` has its Unicode character map selected.
PclTrueTypeDescriptor DescribePclTrueTypeFont(FT_Face face, std::string_view name);

}  // namespace converter
