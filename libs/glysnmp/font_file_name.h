// What a font file stored on a printer is and what it is called, from the
// bytes the printer uploads of it. The bytes are untrusted: every reader
// takes any bytes, bounds what it keeps and never reads past them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace glysnmp {

enum class FontFileType { kUnknown, kPcl, kPostScript, kTrueType };
struct FontFileName {
  FontFileType type = FontFileType::kUnknown;
  std::string name;
  std::optional<int32_t> pclFontId;  // "ESC *c#D" in front of a PCL descriptor
};
// How much of a font file's head is read for its name: a Type 1 font's
// /FontName follows its header comments, which often run past 512 bytes.
inline constexpr uint32_t kFontNameSearchBytes = 4096;

// What a font file's first bytes say it is. PCL: the descriptor's name.
// PostScript (text, or PFB): its /FontName within kFontNameSearchBytes,
// else the name of its "%!PS-AdobeFont-1.0: Name" or "%!FontType1-1.0: Name"
// first line. TrueType: no name here (see below). An empty name leaves the
// file to be named by its file name.
FontFileName ReadFontFileName(std::string_view head);

// Where a TrueType file's name table lies (offset, length), from its
// table directory; and the full name (else the family) in that table.
std::optional<std::pair<uint32_t, uint32_t>> FindTrueTypeNameTable(std::string_view head);
std::optional<std::string> ReadTrueTypeName(std::string_view table);

}  // namespace glysnmp
