// Type 3 font (glyphs as PostScript procedures).
#include "postscript_font_header.h"

namespace converter {

namespace {

constexpr int kFontType = 3;

bool Recognise(ByteView head) { return RecognisePostScriptFont(head, kFontType); }

bool Identify(ByteView file, FontIdentity& identity) {
  return IdentifyPostScriptFont(file, kFontType, 0, identity);
}

}  // namespace

const FontModule kType3Module = {"Type 3 font (glyphs as PostScript procedures)", Recognise, Identify, nullptr};

}  // namespace converter
