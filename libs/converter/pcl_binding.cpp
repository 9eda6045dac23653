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

}  // namespace

std::optional<PclBinding> ChoosePclBinding(FT_Face face, std::size_t glyphCount) {
  PclBinding binding;
  std::vector<std::uint16_t> glyphOf(kBmpSize);  // 0: the font lacks it
  std::vector<std::uint16_t> glyphsAbovePlane;   // in Unicode order
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0; c = FT_Get_Next_Char(face, c, &glyph)) {
    if (glyph >= glyphCount) continue;
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
