// A FreeType library and face opened on bytes in memory, owned together.
// Each user opens its own, so calls on different threads share nothing.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

#include "font_module.h"

namespace converter {

class FreeTypeFace {
 public:
  // The first face in the bytes, or null when FreeType cannot open them.
  // The bytes must outlive the face.
  static std::unique_ptr<FreeTypeFace> Open(ByteView bytes);
  ~FreeTypeFace();
  FreeTypeFace(const FreeTypeFace&) = delete;
  FreeTypeFace& operator=(const FreeTypeFace&) = delete;

  FT_Face get() const { return face_; }
  // True for a TrueType font whose glyphs have outlines ("glyf" table), as
  // opposed to CFF-based OpenType or bitmap-only sfnt files.
  bool HasTrueTypeOutlines() const;

 private:
  FreeTypeFace() = default;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

}  // namespace converter
