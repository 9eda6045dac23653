// The 72-byte descriptor that opens a PCL font header of format 15 or 16 (a
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

// The fields that tell how text reaches the font's characters.
struct PclCodeFields {
  std::uint8_t headerFormat;  // 15, or 16 for 32-bit segment sizes
  std::uint8_t fontType;      // 1 or 2 bound, 11 unbound (Unicode codes)
  int symbolSet;
  int firstCode;
  int lastCode;  // for an unbound font, the number of characters
};

// The descriptor for `face`, named `name` (cut to 16 bytes, padded with
// spaces). `face` has the character map the font's characters were taken
// from selected.
PclTrueTypeDescriptor DescribePclTrueTypeFont(FT_Face face, std::string_view name, const PclCodeFields& codes);

}  // namespace converter
