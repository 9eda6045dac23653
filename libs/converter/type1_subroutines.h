// Contours that several glyphs draw alike (the base letter of every accented
// form, a dot, a ring) written once, as subroutines that the glyphs call
// instead of repeating the contour. A contour's commands after its moveto
// draw relative to the current point, so equal text is the same shape
// wherever a glyph places it, and a call draws exactly what it replaces.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "output_sink.h"
#include "type1_charstring.h"

namespace converter {

class ContourSharing {
 public:
  // Adds charstring text with its contours; text is added in glyph order and
  // must stay in place until the glyphs are written.
  void AddGlyphs(std::string_view text, std::span<const ContourText> contours);

  // Picks the contours worth a subroutine and writes the Subrs array: the
  // four that interpreters expect for flex and hint replacement, then the
  // shared contours, the most used first, so that most calls take the
  // shortest numbers.
  void WriteSubrs(OutputSink& out);

  // Writes all the text added, each shared contour replaced by its call.
  void WriteGlyphs(OutputSink& out) const;

 private:
  struct Shape {
    std::string_view text;
    std::size_t bytes = 0;
    std::size_t uses = 0;
    std::int64_t subroutine = -1;  // once chosen
  };
  struct Piece {
    std::string_view text;
    std::span<const ContourText> contours;
    std::size_t firstShape;  // into shapeOfContour_
  };

  std::vector<Shape> shapes_;
  std::unordered_map<std::string_view, std::uint32_t> shapeByText_;
  std::vector<std::uint32_t> shapeOfContour_;  // every contour added, in order
  std::vector<Piece> pieces_;
};

}  // namespace converter
