// What a printer reads from a stored font file to list it: the name in a
// PCL font descriptor (and the font ID the file assigns), or the /FontName
// of a PostScript font program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace printer_sim {

struct PclFontHeader {
  std::string name;
  std::optional<int32_t> fontId;  // from "ESC *c#D" in front of the descriptor
};

// A PCL soft font: an optional font ID command, then "ESC )s#W" and a font
// descriptor of at least 64 bytes whose bytes 48 to 63 hold the name.
std::optional<PclFontHeader> ReadPclFontHeader(std::string_view file);

// The name after the first "/FontName" of a PostScript font program.
std::optional<std::string> ReadPostScriptFontName(std::string_view file);

}  // namespace printer_sim
