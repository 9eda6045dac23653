#include "pcl_binding.h"

#include <algorithm>

namespace converter {

namespace {

constexpr std::size_t kBmpSize = 0x10000;
constexpr char32_t kPrivateUseFirst = 0xE000, kPrivateUseLast = 0xF8FF;

// Unicode values an unbound font can carry: the Basic Multilingual Plane
// without the control codes and the two noncharacters at its end, the last
// of which stands for glyphs without a character.
bool IsUnboundCode(char32_t c) { return c >= 0x20 && !(c >= 0x7F && c < 0xA0) && c < 0xFFFE; }

// Gives the characters above the plane, in Unicode order, the Private Use
// Area codes the font maps nothing to, as far as those codes go; returns
// how many found a code.
std::size_t PlaceAbovePlane(const std::vector<std::uint16_t>& glyphsAbovePlane, std::vector<std::uint16_t>& glyphOf,
                            int& firstCode) {
  std::size_t placed = 0;
  char32_t code = kPrivateUseFirst;
  for (const std::uint16_t glyph : glyphsAbovePlane) {
    while (code <= kPrivateUseLast && glyphOf[code] != 0) ++code;
    if (code > kPrivateUseLast) break;
    if (placed++ == 0) firstCode = static_cast<int>(code);
    glyphOf[code++] = glyph;
  }
  return placed;
}

// Characters in the Supplementary Private Use Area-A that stand for the
// glyphs of a font without a character map.
constexpr char32_t kGlyphOrderBase = 0xF0000;
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

struct MappedCharacter {
  char32_t c;
  FT_UInt glyph;
};

// The face's characters in code order, by the first map it has of Unicode,
// symbol and Macintosh, or its glyphs when it has none.
std::vector<MappedCharacter> FontCharacters(FT_Face face, std::size_t glyphCount) {
  std::vector<MappedCharacter> characters;
  const auto mapped = [&](auto toUnicode) {
    FT_UInt glyph = 0;
    for (FT_ULong code = FT_Get_First_Char(face, &glyph); glyph != 0; code = FT_Get_Next_Char(face, code, &glyph)) {
      const char32_t c = toUnicode(code);
      if (c != kNoCharacter && glyph < glyphCount) characters.push_back({c, glyph});
    }
    std::sort(characters.begin(), characters.end(), [](const auto& a, const auto& b) { return a.c < b.c; });
  };
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 || FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
    mapped([](FT_ULong code) { return static_cast<char32_t>(code); });
  } else if (FT_Select_Charmap(face, FT_ENCODING_APPLE_ROMAN) == 0) {
    mapped([](FT_ULong code) {
      const char16_t c = code < 256 ? MacintoshCharacter(static_cast<int>(code)) : 0;
      return c != 0 ? char32_t{c} : kNoCharacter;
    });
  } else {
    for (FT_UInt glyph = 1; glyph < glyphCount; ++glyph) characters.push_back({kGlyphOrderBase + glyph, glyph});
  }
  return characters;
}

}  // namespace

std::optional<PclBinding> ChoosePclBinding(FT_Face face, std::size_t glyphCount) {
  PclBinding binding;
  std::vector<std::uint16_t> glyphOf(kBmpSize);  // 0: the font lacks it
  std::vector<std::uint16_t> glyphsAbovePlane;   // in Unicode order
  for (const auto [c, glyph] : FontCharacters(face, glyphCount)) {
    ++binding.mapped;
    if (c < kBmpSize) glyphOf[c] = static_cast<std::uint16_t>(glyph);
    else glyphsAbovePlane.push_back(static_cast<std::uint16_t>(glyph));
  }
  const auto has = [&glyphOf](char16_t c) { return glyphOf[c] != 0; };

  std::size_t best = 0;
  for (const PclSymbolSet& set : PclSymbolSets()) {
    std::size_t carried = 0;
    for (int code = 32; code < 256; ++code) carried += set.Character(code) != 0 && has(set.Character(code));
    if (carried > best) best = carried, binding.symbolSet = &set;
  }
  // Claimed before the characters above the plane take Private Use codes,
  // which belong to none of the collections.
  const std::uint64_t complement = UnicodeCharacterComplement(has);
  std::size_t unbound = 0, freePrivateUse = 0;
  for (char32_t c = 0; c < kBmpSize; ++c) {
    unbound += IsUnboundCode(c) && glyphOf[c] != 0;
    freePrivateUse += c >= kPrivateUseFirst && c <= kPrivateUseLast && glyphOf[c] == 0;
  }
  unbound += std::min(glyphsAbovePlane.size(), freePrivateUse);

  if (unbound > best) {
    binding.symbolSet = nullptr;
    binding.complement = complement;
    binding.privateUseCount = PlaceAbovePlane(glyphsAbovePlane, glyphOf, binding.firstPrivateUseCode);
    for (char32_t c = 0; c < kBmpSize; ++c) {
      if (IsUnboundCode(c) && glyphOf[c] != 0) binding.characters.push_back({static_cast<int>(c), glyphOf[c]});
    }
  } else if (binding.symbolSet != nullptr) {
    for (int code = 32; code < 256; ++code) {
      const char16_t c = binding.symbolSet->Character(code);
      if (c != 0 && has(c)) binding.characters.push_back({code, glyphOf[c]});
    }
  }
  if (binding.characters.empty()) return std::nullopt;
  return binding;
}

}  // namespace converter
