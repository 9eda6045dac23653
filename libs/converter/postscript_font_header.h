// Reads the two entries every PostScript font program states near its top:
// /FontType and /FontName. Shared by the PostScript font modules.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "font_module.h"

namespace converter {

struct PostScriptFontHeader {
  std::optional<int> fontType;
  std::string fontName;  // empty when the program names no font
};

// Scans the program's tokens up to the first "eexec" (where a Type 1 font's
// encrypted part starts) or the end of text. Strings, comments and
// procedures are skipped as units, so text inside them never counts.
PostScriptFontHeader ScanPostScriptFontHeader(std::string_view program);

// True when the text begins like a PostScript program ("%!").
bool StartsAsPostScript(ByteView head);

// recognise() and identify() of a text font module for one FontType.
bool RecognisePostScriptFont(ByteView head, int fontType);
bool IdentifyPostScriptFont(ByteView file, int fontType, std::uint16_t subtypeFlags,
                            FontIdentity& identity);

// The module of PostScript font programs in text form with one FontType.
template <int kFontType>
constexpr FontModule MakePostScriptTextModule(const char* format) {
  return {format, [](ByteView head) { return RecognisePostScriptFont(head, kFontType); },
          [](ByteView file, FontIdentity& identity) {
            return IdentifyPostScriptFont(file, kFontType, 0, identity);
          },
          nullptr};
}

}  // namespace converter
