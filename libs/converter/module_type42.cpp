// Type 42 font (TrueType data wrapped in PostScript).
#include "postscript_font_header.h"

namespace converter {

namespace {

constexpr int kFontType = 42;

bool Recognise(ByteView head) { return RecognisePostScriptFont(head, kFontType); }

bool Identify(ByteView file, FontIdentity& identity) {
  return IdentifyPostScriptFont(file, kFontType, 0, identity);
}

}  // namespace

const FontModule kType42Module = {"Type 42 font (TrueType data wrapped in PostScript)", Recognise, Identify, nullptr};

}  // namespace converter
