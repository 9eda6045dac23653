// Type 1 font in ASCII form (PFA).
#include "postscript_font_header.h"

namespace converter {

namespace {

constexpr int kFontType = 1;

bool Recognise(ByteView head) { return RecognisePostScriptFont(head, kFontType); }

bool Identify(ByteView file, FontIdentity& identity) {
  return IdentifyPostScriptFont(file, kFontType, 0, identity);
}

}  // namespace

const FontModule kType1PfaModule = {"Type 1 font in ASCII form (PFA)", Recognise, Identify, nullptr};

}  // namespace converter
