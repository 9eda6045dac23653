#include "type1_subroutines.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace converter {

namespace {

// Subroutines 0-2 are the ones interpreters expect for flex and hint
// replacement; no glyph calls them, but readers look for them.
constexpr std::string_view kStandardSubrs =
    "dup 0 {\n\t3 0 callothersubr\n\tpop\n\tpop\n\tsetcurrentpoint\n\treturn\n\t} NP\n"
    "dup 1 {\n\t0 1 callothersubr\n\treturn\n\t} NP\n"
    "dup 2 {\n\t0 2 callothersubr\n\treturn\n\t} NP\n"
    "dup 3 {\n\treturn\n\t} NP\n";
constexpr std::int64_t kFirstSharedSubr = 4;
// PostScript interpreters make arrays of up to 65535 elements.
constexpr std::size_t kMaxSubrs = 65535;

// What a subroutine costs beyond its commands: "dup 1234 123 RD ", four
// random bytes, return and " NP\n"; and what a call costs, mostly a
// two-byte number and callsubr.
constexpr std::size_t kSubrOverheadBytes = 25;
constexpr std::size_t kCallBytes = 3;

constexpr std::string_view kSubrOpening = "dup ";
constexpr std::string_view kSubrClosing = "return\n} NP\n";
constexpr std::string_view kCall = " callsubr\n";
constexpr std::size_t kLongestCall = std::numeric_limits<std::int64_t>::digits10 + 1 + kCall.size();

// Shorter contours never pay for a subroutine anyway; the limit keeps a call
// from being longer than what it replaces.
bool WorthASubroutine(std::string_view text, std::size_t bytes, std::size_t uses) {
  return uses > 1 && text.size() >= kLongestCall && (uses - 1) * bytes > kSubrOverheadBytes + uses * kCallBytes;
}

char* WriteCall(std::int64_t subroutine, char* at) {
  at = std::to_chars(at, at + kLongestCall, subroutine).ptr;
  return std::copy(kCall.begin(), kCall.end(), at);
}

}  // namespace

void ContourSharing::AddGlyphs(std::string_view text, std::span<const ContourText> contours) {
  auto bodyOf = [](std::string_view in, const ContourText& contour) {
    return in.substr(contour.begin, contour.end - contour.begin);
  };
  // Every contour's shape, new shapes still in `text`; and the size of what
  // is left once the repeated contours are cut out.
  const std::size_t firstShape = shapeOfContour_.size();
  repeated_.clear();
  std::size_t keptBytes = text.size();
  for (const ContourText& contour : contours) {
    const std::string_view bodyText = bodyOf(text, contour);
    const HashedText body{bodyText, std::hash<std::string_view>{}(bodyText)};
    const auto at = shapeByText_.find(body);
    const bool repeated = at != shapeByText_.end();
    std::uint32_t shape;
    if (repeated) {
      shape = *at;
      keptBytes -= body.text.size();
    } else {
      shape = static_cast<std::uint32_t>(shapes_.size());
      shapes_.push_back({body.text, body.hash, contour.bytes});
      shapeByText_.insert(shape);
    }
    ++shapes_[shape].uses;
    shapeOfContour_.push_back(shape);
    repeated_.push_back(repeated);
  }

  Piece& piece = pieces_.emplace_back();
  piece.firstShape = firstShape;
  // Exactly the size kept, so that the text never moves while the new
  // shapes are pointed into it.
  piece.text.reserve(keptBytes);
  piece.contours.reserve(contours.size());
  std::size_t copied = 0;
  for (std::size_t i = 0; i < contours.size(); ++i) {
    const ContourText& contour = contours[i];
    piece.text.append(text.substr(copied, contour.begin - copied));
    copied = contour.end;
    ContourText& kept = piece.contours.emplace_back(contour);
    kept.begin = piece.text.size();
    if (!repeated_[i]) piece.text.append(bodyOf(text, contour));
    kept.end = piece.text.size();
    if (!repeated_[i]) shapes_[shapeOfContour_[firstShape + i]].text = bodyOf(piece.text, kept);
  }
  piece.text.append(text.substr(copied));
}

void ContourSharing::WriteSubrs(OutputSink& out) {
  std::vector<std::uint32_t> shared;
  for (std::uint32_t shape = 0; shape < shapes_.size(); ++shape) {
    if (WorthASubroutine(shapes_[shape].text, shapes_[shape].bytes, shapes_[shape].uses)) shared.push_back(shape);
  }
  // Ties keep the order in which the glyphs first draw them.
  std::stable_sort(shared.begin(), shared.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return shapes_[a].uses > shapes_[b].uses; });
  // A font with more shared contours than an array holds keeps the least
  // used ones in its glyphs.
  shared.resize(std::min(shared.size(), kMaxSubrs - static_cast<std::size_t>(kFirstSharedSubr)));

  out.Write("/Subrs " + std::to_string(kFirstSharedSubr + static_cast<std::int64_t>(shared.size())) + " array\n");
  out.Write(kStandardSubrs);
  std::int64_t number = kFirstSharedSubr;
  std::string opening;
  for (const std::uint32_t shape : shared) {
    shapes_[shape].subroutine = number;
    opening.assign(kSubrOpening).append(std::to_string(number++)).append(" {\n");
    out.Write(opening);
    out.Write(shapes_[shape].text);
    out.Write(kSubrClosing);
  }
  out.Write("ND\n");
}

void ContourSharing::WriteGlyphs(OutputSink& out) const {
  char call[kLongestCall];
  for (const Piece& piece : pieces_) {
    const std::string_view text = piece.text;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < piece.contours.size(); ++i) {
      const Shape& shape = shapes_[shapeOfContour_[piece.firstShape + i]];
      const ContourText& contour = piece.contours[i];
      const bool cut = contour.begin == contour.end;
      if (shape.subroutine < 0 && !cut) continue;
      out.Write(text.substr(copied, contour.begin - copied));
      if (shape.subroutine >= 0) out.Write({call, WriteCall(shape.subroutine, call)});
      else out.Write(shape.text);
      copied = contour.end;
    }
    out.Write(text.substr(copied));
  }
}

}  // namespace converter
