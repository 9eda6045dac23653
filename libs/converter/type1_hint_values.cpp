#include "type1_hint_values.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string_view>

#include "glyph_outline.h"

namespace converter {

namespace {

// Interpreters need 2 * BlueFuzz + 1 units between zones (BlueFuzz is 1):
// zones closer than that are joined.
constexpr long kMinZoneGap = 3;
// Runs of ink wider than this are bowls, or bars cut lengthwise, not stems.
constexpr double kMaxStemWidth = 300;
constexpr int kCurvePieces = 16;

struct Edge {
  double x0, y0, x1, y1;
};

// A glyph's outline as straight edges, each curve cut into short pieces,
// and the box around them.
struct FlatGlyph {
  std::vector<Edge> edges;
  double xMin = HUGE_VAL, yMin = HUGE_VAL, xMax = -HUGE_VAL, yMax = -HUGE_VAL;

  void Add(double x0, double y0, double x1, double y1) {
    edges.push_back({x0, y0, x1, y1});
    xMin = std::min({xMin, x0, x1}), xMax = std::max({xMax, x0, x1});
    yMin = std::min({yMin, y0, y1}), yMax = std::max({yMax, y0, y1});
  }
};

FlatGlyph Flatten(const GlyphOutline& outline) {
  FlatGlyph glyph;
  for (const Contour& contour : outline.contours) {
    double x = static_cast<double>(contour.start.x), y = static_cast<double>(contour.start.y);
    auto lineTo = [&](double toX, double toY) {
      glyph.Add(x, y, toX, toY);
      x = toX, y = toY;
    };
    for (const OutlineSegment& segment : outline.SegmentsOf(contour)) {
      if (segment.curve) {
        const double x0 = x, y0 = y;
        for (int piece = 1; piece <= kCurvePieces; ++piece) {
          const double t = static_cast<double>(piece) / kCurvePieces, u = 1 - t;
          const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
          lineTo(a * x0 + b * segment.control1.x + c * segment.control2.x + d * segment.end.x,
                 a * y0 + b * segment.control1.y + c * segment.control2.y + d * segment.end.y);
        }
      } else {
        lineTo(static_cast<double>(segment.end.x), static_cast<double>(segment.end.y));
      }
    }
    lineTo(static_cast<double>(contour.start.x), static_cast<double>(contour.start.y));
  }
  return glyph;
}

// The letters of the face by character, each loaded once.
class Letters {
 public:
  explicit Letters(FT_Face face) : face_(face) {}

  // Null when the face maps no glyph with an outline to the letter.
  const FlatGlyph* Get(char letter) {
    auto& slot = glyphs_[static_cast<unsigned char>(letter) & 0x7F];
    if (!slot) {
      const FT_UInt index = FT_Get_Char_Index(face_, static_cast<unsigned char>(letter));
      GlyphOutline outline;
      slot = index != 0 && LoadGlyphOutline(face_, index, outline) ? Flatten(outline) : FlatGlyph{};
    }
    return slot->edges.empty() ? nullptr : &*slot;
  }

 private:
  FT_Face face_;
  std::array<std::optional<FlatGlyph>, 128> glyphs_;
};

std::optional<double> Median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The median of one edge of the box over the letters the face has.
std::optional<double> MedianEdge(Letters& letters, std::string_view which, double FlatGlyph::*edge) {
  std::vector<double> values;
  for (const char letter : which) {
    if (const FlatGlyph* glyph = letters.Get(letter)) values.push_back(glyph->*edge);
  }
  return Median(std::move(values));
}

struct Zone {
  long bottom, top;
};

// The zone from where flat letters end to where round ones overshoot them.
std::optional<Zone> MakeZone(std::optional<double> flat, std::optional<double> round) {
  if (!flat) return std::nullopt;
  const double overshoot = round.value_or(*flat);
  return Zone{std::lround(std::min(*flat, overshoot)), std::lround(std::max(*flat, overshoot))};
}

// Widths of the runs of ink that a line across the glyph at `at` cuts,
// horizontal or vertical.
void AddRuns(const FlatGlyph& glyph, bool horizontal, double at, std::vector<double>& widths) {
  std::vector<double> crossings;
  for (const Edge& e : glyph.edges) {
    const double a0 = horizontal ? e.y0 : e.x0, a1 = horizontal ? e.y1 : e.x1;
    const double b0 = horizontal ? e.x0 : e.y0, b1 = horizontal ? e.x1 : e.y1;
    if ((a0 > at) != (a1 > at)) crossings.push_back(b0 + (at - a0) * (b1 - b0) / (a1 - a0));
  }
  std::sort(crossings.begin(), crossings.end());
  for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
    const double width = crossings[i + 1] - crossings[i];
    if (width > 0 && width <= kMaxStemWidth) widths.push_back(width);
  }
}

// Vertical stems, cut across low enough to miss the bars and arches of H
// and n; slanted stems are measured square to their slant.
long MeasureVerticalStems(Letters& letters, double italicAngle) {
  static constexpr struct {
    char letter;
    double height;  // of the cut, as a share of the letter's height
  } kCuts[] = {{'l', 0.5}, {'I', 0.5}, {'H', 0.25}, {'n', 0.25}};
  std::vector<double> widths;
  for (const auto& cut : kCuts) {
    if (const FlatGlyph* glyph = letters.Get(cut.letter))
      AddRuns(*glyph, true, glyph->yMin + cut.height * (glyph->yMax - glyph->yMin), widths);
  }
  const auto width = Median(std::move(widths));
  return width ? std::lround(*width * std::cos(italicAngle * std::numbers::pi / 180)) : 0;
}

// Horizontal stems: the bars of H and E and the top and bottom of o, cut
// down through their middle.
long MeasureHorizontalStems(Letters& letters) {
  std::vector<double> widths;
  for (const char letter : {'H', 'E', 'o'}) {
    if (const FlatGlyph* glyph = letters.Get(letter)) AddRuns(*glyph, false, (glyph->xMin + glyph->xMax) / 2, widths);
  }
  const auto width = Median(std::move(widths));
  return width ? std::lround(*width) : 0;
}

void AddZone(const Zone& zone, std::vector<long>& pairs) {
  pairs.push_back(zone.bottom);
  pairs.push_back(zone.top);
}

void AppendArray(std::string_view key, const std::vector<long>& values, std::string& out) {
  out.append("/").append(key).append(" [");
  for (std::size_t i = 0; i < values.size(); ++i) out.append(i == 0 ? "" : " ").append(std::to_string(values[i]));
  out += "] def\n";
}

}  // namespace

Type1HintValues MeasureHintValues(FT_Face face) {
  Type1HintValues values;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0) return values;
  Letters letters(face);
  auto bottoms = [&](std::string_view which) { return MedianEdge(letters, which, &FlatGlyph::yMin); };
  auto tops = [&](std::string_view which) { return MedianEdge(letters, which, &FlatGlyph::yMax); };

  if (const auto baseline = MakeZone(bottoms("HIExz"), bottoms("OCGSoces"))) {
    // Zones above the baseline, lowest first; zones that touch are joined.
    std::vector<Zone> zones = {*baseline};
    std::vector<Zone> above;
    for (const auto zone : {MakeZone(tops("xzvw"), tops("oces")), MakeZone(tops("HIEFTZ"), tops("OCGS")),
                            MakeZone(tops("bdhkl"), tops("f"))}) {
      if (zone) above.push_back(*zone);
    }
    std::sort(above.begin(), above.end(), [](const Zone& a, const Zone& b) { return a.bottom < b.bottom; });
    for (const Zone& zone : above) {
      if (zone.bottom - zones.back().top < kMinZoneGap) zones.back().top = std::max(zones.back().top, zone.top);
      else zones.push_back(zone);
    }
    long highest = 0;
    for (const Zone& zone : zones) {
      AddZone(zone, values.blueValues);
      highest = std::max(highest, zone.top - zone.bottom);
    }
    if (const auto descender = MakeZone(bottoms("pq"), bottoms("gj"));
        descender && zones.front().bottom - descender->top >= kMinZoneGap) {
      AddZone(*descender, values.otherBlues);
      highest = std::max(highest, descender->top - descender->bottom);
    }
    // BlueScale times the height of every zone must stay below 1: a zone
    // taller than the default allows lowers it.
    if (highest * values.blueScale >= 1) values.blueScale = std::floor(0.99 / highest * 1e6) / 1e6;
  }

  const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  values.stdVW = MeasureVerticalStems(letters, post != nullptr ? post->italicAngle / 65536.0 : 0.0);
  values.stdHW = MeasureHorizontalStems(letters);
  return values;
}

std::string HintValueEntries(const Type1HintValues& values) {
  std::string out;
  AppendArray("BlueValues", values.blueValues, out);
  if (!values.otherBlues.empty()) AppendArray("OtherBlues", values.otherBlues, out);
  char scale[32];
  std::snprintf(scale, sizeof scale, "%.6g", values.blueScale);
  out.append("/BlueScale ").append(scale).append(" def\n");
  if (values.stdHW > 0) AppendArray("StdHW", {values.stdHW}, out);
  if (values.stdVW > 0) AppendArray("StdVW", {values.stdVW}, out);
  return out;
}

}  // namespace converter
