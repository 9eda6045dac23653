// Contours that several glyphs draw alike (the base letter of every accented
// form, a dot, a ring) written once, as subroutines that the glyphs call
// instead of repeating the contour. A contour's commands after its moveto
// draw relative to the current point, so equal text is the same shape
// wherever a glyph places it, and a call draws exactly what it replaces.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "output_sink.h"
#include "type1_charstring.h"

namespace converter {

class ContourSharing {
 public:
  ContourSharing() = default;
  // The index of shapes by text refers to shapes_ of this object.
  ContourSharing(const ContourSharing&) = delete;
  ContourSharing& operator=(const ContourSharing&) = delete;

  // Keeps a copy of the charstring text of the next glyphs, which come in
  // glyph order, with where their contours lie. A contour drawn alike in
  // glyphs kept before is cut out of the copy and written from the first
  // one: the whole font's text is held here until the subroutines are
  // chosen, and most of a large font's contours repeat.
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
    std::size_t hash;  // of the text
    std::size_t bytes = 0;
    std::size_t uses = 0;
    std::int64_t subroutine = -1;  // once chosen
  };
  // Glyphs' text as kept; a contour cut out of it has begin == end.
  struct Piece {
    std::string text;
    std::vector<ContourText> contours;
    std::size_t firstShape;  // into shapeOfContour_
  };

  // Shapes are found by their text, but the index holds their numbers: a
  // shape's text can then move to where it is kept without a new entry. A
  // text is hashed once, whether it is found or added.
  struct HashedText {
    std::string_view text;
    std::size_t hash;
  };
  struct ShapeTextHash {
    using is_transparent = void;
    const std::vector<Shape>* shapes;
    std::size_t operator()(const HashedText& key) const { return key.hash; }
    std::size_t operator()(std::uint32_t shape) const { return (*shapes)[shape].hash; }
  };
  struct ShapeTextEqual {
    using is_transparent = void;
    const std::vector<Shape>* shapes;
    std::string_view TextOf(const HashedText& key) const { return key.text; }
    std::string_view TextOf(std::uint32_t shape) const { return (*shapes)[shape].text; }
    bool operator()(const auto& a, const auto& b) const { return TextOf(a) == TextOf(b); }
  };

  std::vector<Shape> shapes_;
  std::unordered_set<std::uint32_t, ShapeTextHash, ShapeTextEqual> shapeByText_{
      0, ShapeTextHash{&shapes_}, ShapeTextEqual{&shapes_}};
  std::vector<std::uint32_t> shapeOfContour_;  // every contour added, in order
  std::vector<bool> repeated_;                 // of the piece being added
  std::deque<Piece> pieces_;  // never moved, as shapes' views point into them
};

}  // namespace converter
