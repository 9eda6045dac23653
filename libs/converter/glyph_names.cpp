#include "glyph_names.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace converter {

namespace {

constexpr std::size_t kMaxGlyphNameLength = 127;
constexpr FT_ULong kSymbolFontBase = 0xF000;  // symbol fonts map code c at U+F000 + c

std::string NameForCharacter(FT_ULong code) {
  const auto glyphs = StandardGlyphs();
  const auto found = std::lower_bound(glyphs.begin(), glyphs.end(), code,
                                      [](const StandardGlyph& g, FT_ULong c) { return g.code < c; });
  if (found != glyphs.end() && found->code == code) return found->name;
  char name[16];
  std::snprintf(name, sizeof name, code <= 0xFFFF ? "uni%04lX" : "u%lX", code);
  return name;
}

// The lowest character mapped to each glyph, 0 for none.
std::vector<FT_ULong> CharacterOfEachGlyph(FT_Face face) {
  std::vector<FT_ULong> characters(static_cast<std::size_t>(face->num_glyphs), 0);
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) return characters;
  FT_UInt glyph = 0;
  for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0;
       code = FT_Get_Next_Char(face, code, &glyph)) {
    if (glyph < characters.size() && characters[glyph] == 0) characters[glyph] = code;
  }
  return characters;
}

std::string PostTableName(FT_Face face, FT_UInt glyph) {
  if (!FT_HAS_GLYPH_NAMES(face)) return {};
  char buffer[kMaxGlyphNameLength + 1] = {};
  if (FT_Get_Glyph_Name(face, glyph, buffer, sizeof buffer) != 0) return {};
  return buffer;
}

}  // namespace

bool IsValidGlyphName(std::string_view name) {
  // Printable ASCII but the PostScript delimiters.
  static constexpr std::array<bool, 256> kNameCharacters = [] {
    std::array<bool, 256> allowed{};
    for (int c = 0x21; c < 0x7F; ++c) allowed[static_cast<std::size_t>(c)] = true;
    for (const char c : std::string_view("()<>[]{}/%")) allowed[static_cast<unsigned char>(c)] = false;
    return allowed;
  }();
  if (name.empty() || name.size() > kMaxGlyphNameLength) return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return kNameCharacters[static_cast<unsigned char>(c)]; });
}

std::vector<std::string> NameGlyphs(FT_Face face) {
  const std::vector<FT_ULong> characters = CharacterOfEachGlyph(face);
  std::vector<std::string> names(characters.size());
  // Views of the names given so far; `names` never grows, so they stay valid.
  std::unordered_set<std::string_view> taken(names.size() * 2);
  auto claim = [&](FT_UInt glyph, std::string name) {
    if (!IsValidGlyphName(name)) return false;
    names[glyph] = std::move(name);
    if (taken.insert(names[glyph]).second) return true;
    names[glyph].clear();
    return false;
  };
  if (!names.empty()) claim(0, ".notdef");
  for (FT_UInt glyph = 1; glyph < names.size(); ++glyph) {
    if (claim(glyph, PostTableName(face, glyph))) continue;
    if (characters[glyph] != 0 && claim(glyph, NameForCharacter(characters[glyph]))) continue;
    const std::string numbered = "glyph" + std::to_string(glyph);
    for (int suffix = 0; !claim(glyph, suffix == 0 ? numbered : numbered + "." + std::to_string(suffix));)
      ++suffix;
  }
  return names;
}

std::array<FT_UInt, 256> BuildEncoding(FT_Face face, const std::vector<std::string>& names) {
  // Latin-1 less its control codes, which no font draws.
  auto isLatin1Text = [](int code) { return (code >= 0x20 && code <= 0x7E) || code >= 0xA0; };
  std::array<FT_UInt, 256> encoding{};
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) {
    for (int code = 0; code < 256; ++code) {
      if (isLatin1Text(code)) encoding[code] = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    }
  } else if (FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
    for (int code = 0; code < 256; ++code) {
      encoding[code] = FT_Get_Char_Index(face, kSymbolFontBase + code);
      if (encoding[code] == 0) encoding[code] = FT_Get_Char_Index(face, code);
    }
  } else {
    std::unordered_map<std::string_view, FT_UInt> glyphByName;
    for (FT_UInt glyph = 0; glyph < names.size(); ++glyph) glyphByName.emplace(names[glyph], glyph);
    for (int code = 0; code < 256; ++code) {
      if (!isLatin1Text(code)) continue;
      const auto found = glyphByName.find(NameForCharacter(static_cast<FT_ULong>(code)));
      if (found != glyphByName.end()) encoding[code] = found->second;
    }
  }
  for (FT_UInt& glyph : encoding) {
    if (glyph >= names.size()) glyph = 0;
  }
  return encoding;
}

}  // namespace converter
