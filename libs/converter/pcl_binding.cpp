#include "pcl_binding.h"

namespace converter {

namespace {

constexpr std::size_t kBmpSize = 0x10000;

// Unicode values an unbound font can carry: the Basic Multilingual Plane
// without the control codes and the two noncharacters at its end, the last
// of which stands for glyphs without a character.
bool IsUnboundCode(char32_t c) { return c >= 0x20 && !(c >= 0x7F && c < 0xA0) && c < 0xFFFE; }

}  // namespace

std::optional<PclBinding> ChoosePclBinding(FT_Face face, std::size_t glyphCount) {
  PclBinding binding;
  std::vector<std::uint16_t> glyphOf(kBmpSize);  // 0: the font lacks it
  FT_UInt glyph = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &glyph); glyph != 0; c = FT_Get_Next_Char(face, c, &glyph)) {
    if (glyph >= glyphCount) continue;
    ++binding.mapped;
    if (c < kBmpSize) glyphOf[c] = static_cast<std::uint16_t>(glyph);
  }
  const auto has = [&glyphOf](char16_t c) { return glyphOf[c] != 0; };

  std::size_t best = 0;
  for (const PclSymbolSet& set : PclSymbolSets()) {
    std::size_t carried = 0;
    for (int code = 32; code < 256; ++code) carried += set.Character(code) != 0 && has(set.Character(code));
    if (carried > best) best = carried, binding.symbolSet = &set;
  }
  const std::uint64_t complement = UnicodeCharacterComplement(has);
  constexpr std::uint64_t kAsciiBit = std::uint64_t{1} << 31;
  std::size_t unbound = 0;
  if ((complement & kAsciiBit) == 0) {
    for (char32_t c = 0; c < kBmpSize; ++c) unbound += IsUnboundCode(c) && glyphOf[c] != 0;
  }
  if (unbound > best) {
    binding.symbolSet = nullptr;
    binding.complement = complement;
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
