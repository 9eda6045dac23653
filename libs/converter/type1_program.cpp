#include "type1_program.h"

#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <tuple>

#include "freetype_face.h"
#include "glyph_names.h"
#include "glyph_outline.h"
#include "sfnt_tables.h"
#include "type1_charstring.h"
#include "type1_encryption.h"
#include "type1_hint_values.h"
#include "type1_shared_work.h"
#include "type1_subroutines.h"

namespace converter {

namespace {

// The dictionary has room for every entry, hint values included.
constexpr const char* kPrivateOpening =
    "dup /Private 12 dict dup begin\n"
    "/RD {string currentfile exch readstring pop} executeonly def\n"
    "/ND {noaccess def} executeonly def\n"
    "/NP {noaccess put} executeonly def\n";

// The Subrs array follows (type1_subroutines.h).
constexpr const char* kPrivateRest =
    "/MinFeature {16 16} def\n"
    "/password 5839 def\n"
    "/lenIV 4 def\n";

constexpr const char* kEpilogue =
    "end\n"
    "end\n"
    "readonly put\n"
    "noaccess put\n"
    "dup /FontName get exch definefont pop\n"
    "mark currentfile closefile\n";

struct BoundingBox {
  long xMin = LONG_MAX, yMin = LONG_MAX, xMax = LONG_MIN, yMax = LONG_MIN;
  void Add(const Point& p) {
    xMin = std::min(xMin, p.x), yMin = std::min(yMin, p.y);
    xMax = std::max(xMax, p.x), yMax = std::max(yMax, p.y);
  }
  void Add(const GlyphOutline& outline) {
    for (const Contour& contour : outline.contours) {
      Add(contour.start);
      for (const OutlineSegment& segment : outline.SegmentsOf(contour)) {
        if (segment.curve) Add(segment.control1), Add(segment.control2);
        Add(segment.end);
      }
    }
  }
  void Add(const BoundingBox& other) {
    if (other.Empty()) return;
    Add(Point{other.xMin, other.yMin});
    Add(Point{other.xMax, other.yMax});
  }
  bool Empty() const { return xMin > xMax; }
};

// A name table entry as Latin-1 text: Windows names are UTF-16BE, Macintosh
// Roman ones are taken byte by byte (their ASCII half is all fonts use).
std::string SfntName(FT_Face face, FT_UShort nameId) {
  std::string best;
  int bestRank = 0;
  const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName entry;
    if (FT_Get_Sfnt_Name(face, i, &entry) != 0 || entry.name_id != nameId) continue;
    const bool windows = entry.platform_id == TT_PLATFORM_MICROSOFT &&
                         (entry.encoding_id == TT_MS_ID_UNICODE_CS || entry.encoding_id == TT_MS_ID_UCS_4);
    const bool mac = entry.platform_id == TT_PLATFORM_MACINTOSH && entry.encoding_id == TT_MAC_ID_ROMAN;
    const int rank = windows ? (entry.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES ? 3 : 2)
                             : mac ? 1 : 0;
    if (rank <= bestRank) continue;
    std::string text;
    if (windows) {
      for (FT_UInt at = 0; at + 1 < entry.string_len; at += 2) {
        const unsigned code = entry.string[at] << 8 | entry.string[at + 1];
        if (code <= 0xFF) text += static_cast<char>(code);
      }
    } else {
      text.assign(reinterpret_cast<const char*>(entry.string), entry.string_len);
    }
    best = std::move(text);
    bestRank = rank;
  }
  return best;
}

std::string PostScriptString(std::string_view text) {
  std::string out = "(";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte > 0x7E) {
      char octal[5];
      std::snprintf(octal, sizeof octal, "\\%03o", byte);
      out += octal;
    } else {
      out += c;
    }
  }
  return out + ")";
}

const char* WeightName(FT_Face face) {
  static constexpr const char* kWeights[] = {"Thin", "ExtraLight", "Light", "Regular", "Medium",
                                             "SemiBold", "Bold", "ExtraBold", "Black"};
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const int weightClass = os2 != nullptr ? os2->usWeightClass : 400;
  return kWeights[std::clamp((weightClass + 50) / 100, 1, 9) - 1];
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::round(value * 1000.0) / 1000.0);
  return text;
}

void WriteFontInfo(FT_Face face, double scale, std::string& out) {
  const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
  const double italicAngle = post != nullptr ? static_cast<double>(post->italicAngle) / 65536.0 : 0.0;
  const long thickness = post != nullptr ? std::lround(post->underlineThickness * scale) : 50;
  // TrueType places the top of the underline, Type 1 the middle of it.
  const long position =
      post != nullptr ? std::lround((post->underlinePosition - post->underlineThickness / 2.0) * scale) : -100;
  const bool fixedPitch = post != nullptr ? post->isFixedPitch != 0 : FT_IS_FIXED_WIDTH(face);

  out += "/FontInfo 9 dict dup begin\n";
  out += "/version " + PostScriptString(SfntName(face, TT_NAME_ID_VERSION_STRING)) + " readonly def\n";
  out += "/Notice " + PostScriptString(SfntName(face, TT_NAME_ID_COPYRIGHT)) + " readonly def\n";
  out += "/FullName " + PostScriptString(SfntName(face, TT_NAME_ID_FULL_NAME)) + " readonly def\n";
  out += "/FamilyName " + PostScriptString(SfntName(face, TT_NAME_ID_FONT_FAMILY)) + " readonly def\n";
  out += "/Weight " + PostScriptString(WeightName(face)) + " readonly def\n";
  out += "/ItalicAngle " + Number(italicAngle) + " def\n";
  out += std::string("/isFixedPitch ") + (fixedPitch ? "true" : "false") + " def\n";
  out += "/UnderlinePosition " + std::to_string(position) + " def\n";
  out += "/UnderlineThickness " + std::to_string(thickness) + " def\n";
  out += "end readonly def\n";
}

void WriteEncoding(FT_Face face, const std::vector<std::string>& names, std::string& out) {
  out += "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n";
  const std::array<FT_UInt, 256> encoding = BuildEncoding(face, names);
  for (int code = 0; code < 256; ++code) {
    if (encoding[code] != 0) out += "dup " + std::to_string(code) + " /" + names[encoding[code]] + " put\n";
  }
  out += "readonly def\n";
}

// Charstring text of consecutive glyphs, where their contours lie in it, and
// the box around their outlines.
struct GlyphChunk {
  std::string text;
  std::vector<ContourText> contours;
  BoundingBox box;
};

// What converting glyph after glyph reuses: the font's glyph data (null when
// it cannot be read, and composites are then rounded like simple glyphs),
// memory for one outline and its contours' offsets, and the chunk being
// converted.
struct GlyphScratch {
  explicit GlyphScratch(const GlyphTable* table) : glyphs(table) {}
  const GlyphTable* glyphs;
  GlyphOutline outline;
  std::vector<FT_Vector> contourOffsets;
  GlyphChunk chunk;
};

// Beyond the text of nearly every glyph, so that the chunk being converted
// is seldom moved while it grows.
constexpr std::size_t kTextPerGlyph = 1024;

// Converts glyphs [first, last) into the scratch's chunk, emptied first;
// false when a glyph cannot be loaded.
bool ConvertChunk(FT_Face face, const std::vector<std::string>& names, std::size_t first, std::size_t last,
                  GlyphScratch& scratch) {
  GlyphChunk& chunk = scratch.chunk;
  chunk.text.clear();
  chunk.contours.clear();
  chunk.box = {};
  GlyphOutline& outline = scratch.outline;
  for (std::size_t glyph = first; glyph < last; ++glyph) {
    if (scratch.glyphs != nullptr) ContourOffsets(*scratch.glyphs, glyph, scratch.contourOffsets);
    if (!LoadGlyphOutline(face, static_cast<FT_UInt>(glyph), outline, scratch.contourOffsets)) return false;
    chunk.box.Add(outline);
    chunk.text.append("/").append(names[glyph]).append(" {\n");
    AppendCharstringText(outline, chunk.text, chunk.contours);
    chunk.text.append("} ND\n");
  }
  return true;
}

// Below this many glyphs a second thread costs more than it saves.
constexpr std::size_t kGlyphsWorthAThread = 1024;
constexpr std::size_t kGlyphsPerChunk = 256;

// The charstrings of all glyphs, handed to `sharing` in glyph order, and the
// box around their outlines. A large font's glyphs are shared with a helper
// thread working from the last glyph back (see type1_shared_work.h); it has
// a face of its own, as FreeType faces are not shared between threads. This
// thread's chunks come in order and are handed over as each is done; the
// helper's are kept, each in memory of its exact size, until the end.
bool ConvertGlyphs(ByteView font, FT_Face face, const std::vector<std::string>& names, const GlyphTable* glyphs,
                   ContourSharing& sharing, BoundingBox& box) {
  const std::size_t count = names.size();
  TwoEndedWork work(count);
  std::atomic<bool> failed = false;
  std::vector<GlyphChunk> helperChunks;  // last glyphs first
  std::unique_ptr<FreeTypeFace> secondFace;
  std::jthread helper;  // joined even when this thread throws
  if (count >= kGlyphsWorthAThread && HelperThreadWorthwhile() && (secondFace = FreeTypeFace::Open(font)) != nullptr) {
    try {
      helper = std::jthread([&] {
        try {
          GlyphScratch scratch{glyphs};
          scratch.chunk.text.reserve(kGlyphsPerChunk * kTextPerGlyph);
          for (auto [first, last] = work.TakeBack(kGlyphsPerChunk); first < last;
               std::tie(first, last) = work.TakeBack(kGlyphsPerChunk)) {
            if (ConvertChunk(secondFace->get(), names, first, last, scratch)) {
              helperChunks.push_back(scratch.chunk);
            } else {
              failed = true;
              work.Stop();
            }
          }
        } catch (const std::bad_alloc&) {
          failed = true;
          work.Stop();
        }
      });
    } catch (const std::system_error&) {
      // No thread to be had: this one does all.
    }
  }
  auto handOver = [&](const GlyphChunk& chunk) {
    box.Add(chunk.box);
    sharing.AddGlyphs(chunk.text, chunk.contours);
  };
  GlyphScratch scratch{glyphs};
  scratch.chunk.text.reserve(kGlyphsPerChunk * kTextPerGlyph);
  for (auto [first, last] = work.TakeFront(kGlyphsPerChunk); first < last;
       std::tie(first, last) = work.TakeFront(kGlyphsPerChunk)) {
    if (ConvertChunk(face, names, first, last, scratch)) {
      handOver(scratch.chunk);
    } else {
      failed = true;
      work.Stop();
    }
  }
  if (helper.joinable()) helper.join();
  if (failed) return false;
  // The helper's first glyphs are its last chunk; each is freed once handed over.
  for (; !helperChunks.empty(); helperChunks.pop_back()) handOver(helperChunks.back());
  return true;
}

}  // namespace

bool WriteType1Program(ByteView font, FT_Face face, const std::string& fontName, OutputSink& out) {
  const double scale = static_cast<double>(kType1UnitsPerEm) / face->units_per_EM;
  const std::vector<std::string> names = NameGlyphs(face);
  const Type1HintValues hints = MeasureHintValues(face);

  const std::optional<GlyphTable> glyphs = GlyphTable::Load(face, font);
  ContourSharing sharing;
  BoundingBox box;
  if (!ConvertGlyphs(font, face, names, glyphs ? &*glyphs : nullptr, sharing, box)) return false;
  if (box.Empty()) return false;  // nothing to draw: not worth a font

  std::string head = "%!PS-AdobeFont-1.0: " + fontName + "\n%%Title: " + fontName + "\n%%EndComments\n";
  head += "12 dict begin\n";
  WriteFontInfo(face, scale, head);
  head += "/FontName /" + fontName + " def\n";
  WriteEncoding(face, names, head);
  head += "/PaintType 0 def\n/FontType 1 def\n/FontMatrix [0.001 0 0 0.001 0 0] readonly def\n";
  head += "/FontBBox {" + std::to_string(box.xMin) + " " + std::to_string(box.yMin) + " " +
          std::to_string(box.xMax) + " " + std::to_string(box.yMax) + "} readonly def\n";
  head += "currentdict end\ncurrentfile eexec\n";
  head += kPrivateOpening;
  head += HintValueEntries(hints);
  head += kPrivateRest;
  out.Write(head);
  sharing.WriteSubrs(out);
  out.Write("2 index /CharStrings " + std::to_string(names.size()) + " dict dup begin\n");
  sharing.WriteGlyphs(out);
  out.Write(kEpilogue);
  WriteEexecTrailer(out);  // t1asm, unlike our finisher, copies it only when it is there
  return true;
}

}  // namespace converter
