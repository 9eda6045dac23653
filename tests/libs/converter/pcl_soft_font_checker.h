// Reads a PCL 5 soft font of header format 15 or 16 (TrueType scalable,
// bound or unbound) the way a printer does, from the published layout
// alone: the font header command, its descriptor, segments (16-bit sizes in
// format 15, 32-bit in 16), global TrueType data and checksum, then each
// character code command and character descriptor with its continuation
// blocks. Also a minimal reader of TrueType files, to hold the downloaded
// glyphs against their source.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct PclCharacter {
  int code = 0;
  int glyph = 0;
  std::string glyphData;
  int blocks = 0;
};

struct PclTrueTypeFont {
  std::string header;                               // the font header command's data bytes
  std::string name;                                 // the descriptor's font name, spaces trimmed
  std::map<std::string, std::string> segments;      // by mnemonic ("GT", "PA")
  std::map<std::string, std::string> globalTables;  // the GT segment's tables by tag
  std::vector<PclCharacter> characters;

  int Field8(std::size_t offset) const { return static_cast<std::uint8_t>(header.at(offset)); }
  int Field16(std::size_t offset) const { return Field8(offset) << 8 | Field8(offset + 1); }
  int Signed8(std::size_t offset) const { return static_cast<std::int8_t>(header.at(offset)); }
  int Signed16(std::size_t offset) const { return static_cast<std::int16_t>(Field16(offset)); }
  bool Unbound() const { return Field8(3) == 10 || Field8(3) == 11; }
};

// Empty when `bytes` is a well-formed format 15 or 16 soft font (filled into
// `font`); else the first fault found.
std::string ParsePclTrueTypeFont(const std::string& bytes, PclTrueTypeFont& font);

// The tables of a TrueType file by tag ("head", "cvt "), and its glyphs.
struct TrueTypeFile {
  std::map<std::string, std::string> tables;
  bool Parse(const std::string& bytes);
  std::string Glyph(int glyph) const;  // the glyph's bytes in "glyf"
};

// A glyph's advance width from the "hhea" and "hmtx" among `tables`.
int AdvanceWidth(const std::map<std::string, std::string>& tables, int glyph);

// The glyph ids a composite glyph names (none for a simple glyph).
std::vector<int> ComponentGlyphs(const std::string& glyphData);

std::uint16_t BigEndian16(const std::string& bytes, std::size_t offset);
std::uint32_t BigEndian32(const std::string& bytes, std::size_t offset);
