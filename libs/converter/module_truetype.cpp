// TrueType font (glyf outlines), also the first font of a collection. Its
// conversions write an unencrypted Type 1 program (see type1_program.h) or a
// PCL TrueType soft font (see pcl_truetype_font.h).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>

#include "freetype_face.h"
#include "pcl_truetype_font.h"
#include "type1_program.h"

namespace converter {

namespace {

bool Recognise(ByteView head) {
  const std::string_view tag = AsText(head).substr(0, 4);
  return tag == std::string_view("\0\1\0\0", 4) || tag == "true" || tag == "ttcf";
}

// The PostScript name (name record 6), else family and style names joined by
// a hyphen; only characters that may stand in a PostScript name are kept. It
// is cut to the length callers keep, so that the Type 1 font made from this
// one defines the very name it is reported, stored and looked up under.
std::string PostScriptName(FT_Face face) {
  std::string name;
  auto keep = [&name](const char* text) {
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
      if (*c > 0x20 && *c < 0x7F && std::strchr("()<>[]{}/%", *c) == nullptr) name += *c;
    }
  };
  if (const char* postScriptName = FT_Get_Postscript_Name(face)) {
    keep(postScriptName);
  } else if (face->family_name != nullptr) {
    keep(face->family_name);
    keep("-");
    keep(face->style_name);
  }
  name.resize(std::min(name.size(), kMaxFontNameLength));
  return name;
}

bool Identify(ByteView file, FontIdentity& identity) {
  const auto face = FreeTypeFace::Open(file);
  if (!face || !face->HasTrueTypeOutlines()) return false;
  identity.kind = FontKind::TrueType;
  identity.subtype = 0;
  identity.name = PostScriptName(face->get());
  return true;
}

bool Convert(ByteView file, OutputSink& out) {
  const auto face = FreeTypeFace::Open(file);
  if (!face || !face->HasTrueTypeOutlines()) return false;
  const std::string name = PostScriptName(face->get());
  return !name.empty() && WriteType1Program(file, face->get(), name, out);
}

bool ConvertToPclTrueType(ByteView file, std::string& out, PclCoverage& coverage) {
  const auto face = FreeTypeFace::Open(file);
  if (!face || !face->HasTrueTypeOutlines()) {
    coverage.failure = "not a TrueType font with glyph outlines";
    return false;
  }
  const std::string name = PostScriptName(face->get());
  if (name.empty()) {
    coverage.failure = "the font has no name";
    return false;
  }
  return WritePclTrueTypeFont(file, face->get(), name, out, coverage);
}

}  // namespace

const FontModule kTrueTypeModule = {"TrueType font", Recognise, Identify, Convert, ConvertToPclTrueType};

}  // namespace converter
