#include "freetype_face.h"

#include FT_FONT_FORMATS_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <cstring>

namespace converter {

std::unique_ptr<FreeTypeFace> FreeTypeFace::Open(ByteView bytes) {
  std::unique_ptr<FreeTypeFace> face(new FreeTypeFace);
  if (FT_Init_FreeType(&face->library_) != 0) return nullptr;
  if (FT_New_Memory_Face(face->library_, bytes.data(), static_cast<FT_Long>(bytes.size()), 0,
                         &face->face_) != 0) {
    face->face_ = nullptr;
    return nullptr;
  }
  return face;
}

FreeTypeFace::~FreeTypeFace() {
  if (face_ != nullptr) FT_Done_Face(face_);
  if (library_ != nullptr) FT_Done_FreeType(library_);
}

bool FreeTypeFace::HasTrueTypeOutlines() const {
  const char* format = FT_Get_Font_Format(face_);
  if (format == nullptr || std::strcmp(format, "TrueType") != 0 || !FT_IS_SCALABLE(face_))
    return false;
  FT_ULong glyfLength = 0;
  return FT_Load_Sfnt_Table(face_, TTAG_glyf, 0, nullptr, &glyfLength) == 0 && glyfLength > 0 &&
         face_->num_glyphs > 0;
}

}  // namespace converter
