// One module per font format, all behind this interface: a cheap signature
// test, identification (kind, subtype, name) and, where the format has one,
// a conversion into line-oriented PostScript text. A new format is a new
// module file plus one row in font_modules.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "output_sink.h"

namespace converter {

using ByteView = std::span<const std::uint8_t>;

// How many leading bytes every recognise() is given at most.
inline constexpr std::size_t kSignatureBytes = 64 * 1024;

// Callers keep a font's name in a 40-byte buffer; longer names are cut.
inline constexpr std::size_t kMaxFontNameLength = 39;

enum class FontKind : std::uint16_t { TrueType = 1, PclSoftFont = 2, PostScript = 3 };

struct FontIdentity {
  FontKind kind{};
  std::uint16_t subtype = 0;
  std::string name;
};

// How much of a font's character map a PCL TrueType conversion carried.
struct PclCoverage {
  std::size_t mapped = 0;   // characters the font's Unicode map names
  std::size_t carried = 0;  // of those, characters the PCL font holds
  std::string symbolSet;    // the symbol set bound to ("0N"), or "unbound"
  std::string selectWith;   // the symbol set that prints its codes: symbolSet, or "18N" unbound
  // Unbound: characters above the Basic Multilingual Plane carried under
  // Private Use Area codes, from firstPrivateUseCode on.
  std::size_t privateUseCount = 0;
  int firstPrivateUseCode = 0;
  std::string failure;      // why no PCL font was made, when none was
};

struct FontModule {
  const char* format;
  // True when the first bytes of a file carry this format's signature.
  bool (*recognise)(ByteView head);
  // Reads kind, subtype and name from the whole file; false when the file
  // is malformed.
  bool (*identify)(ByteView file, FontIdentity& identity);
  // Writes the font as PostScript text; null when the format needs none.
  bool (*convert)(ByteView file, OutputSink& out);
  // Writes the font as a PCL TrueType soft font; null for formats that
  // cannot become one.
  bool (*convertToPclTrueType)(ByteView file, std::string& out, PclCoverage& coverage) = nullptr;
};

extern const FontModule kTrueTypeModule;
extern const FontModule kType1PfaModule;
extern const FontModule kType1PfbModule;
extern const FontModule kType1BinaryModule;
extern const FontModule kType3Module;
extern const FontModule kType42Module;
extern const FontModule kPclSoftFontModule;

// The modules in the order they are tried.
std::span<const FontModule* const> FontModules();

// The module whose signature the head carries, or null.
const FontModule* FindFontModule(ByteView head);

inline std::string_view AsText(ByteView bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace converter
