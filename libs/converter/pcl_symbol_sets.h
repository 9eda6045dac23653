// The PCL symbol sets a TrueType soft font can be bound to, and the symbol
// collections an unbound font's character complement can claim. All the
// code maps are in pcl_symbol_sets.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace converter {

struct PclSymbolSet {
  std::string_view id;  // as printers select it: "0N", "19U"
  // The characters of codes 128-255, 0 where a code holds none. Codes
  // 32-126 are ASCII in every set.
  std::array<char16_t, 128> upperHalf;

  // The symbol set's number in a font header: number * 32 + letter - 64.
  int Value() const;
  // The character of `code`, 0 when it holds none.
  char16_t Character(int code) const;
  // True when codes 128-159 hold characters, which only a font of type 2
  // (all of 0-255 printable) lets print.
  bool PrintsControlRange() const;
};

// The character of a code of the Macintosh character set, 0 for the
// control codes.
char16_t MacintoshCharacter(int code);

// The sets a bound font may be given, ISO 8859-1 Latin 1 (0N) first.
std::span<const PclSymbolSet> PclSymbolSets();

// What an unbound font arranged in Unicode order claims: a 0 bit for each
// symbol collection whose characters the font has (hasCharacter), 1 for the
// others and for the ones it cannot tell; bits 2-0 are 110.
std::uint64_t UnicodeCharacterComplement(const std::function<bool(char16_t)>& hasCharacter);

// The symbol set number of an unbound font's header ("1X").
inline constexpr int kUnboundSymbolSet = 1 * 32 + ('X' - 64);

// The symbol set that selects an unbound font's characters by their
// Unicode values: Unicode, with text sent as UTF-8.
inline constexpr std::string_view kUnicodeSymbolSetId = "18N";

}  // namespace converter
