#include <gtest/gtest.h>

#include <set>

#include "converter_test_support.h"
#include "pcl_soft_font_checker.h"

namespace {

struct SourceFont {
  const char* label;
  fs::path path;
  // fontTools code run on the font `f` before converting it, or empty.
  const char* change = "";
};

void PrintTo(const SourceFont& font, std::ostream* out) { *out << font.label; }

// Saves a changed copy of a font through fontTools.
fs::path ChangedFont(const ScratchDir& dir, const fs::path& source, const std::string& change) {
  const fs::path changed = dir / "changed.ttf";
  const CommandResult result = RunCommand(
      "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); " + change +
      "; f.save(sys.argv[2])\" " + Quote(source) + " " + Quote(changed));
  EXPECT_EQ(result.exitCode, 0) << result.output;
  return changed;
}

class TrueTypeToPcl : public testing::TestWithParam<SourceFont> {
 protected:
  void SetUp() override {
    source_ = *GetParam().change != '\0' ? ChangedFont(dir_, GetParam().path, GetParam().change) : GetParam().path;
    const fs::path output = dir_ / "font.sfp";
    ASSERT_EQ(ConvertTrueTypeToPclTrueType(source_.c_str(), output.c_str()), 0);
    pcl_ = ReadBytes(output);
    ASSERT_EQ(ParsePclTrueTypeFont(pcl_, font_), "");
    ASSERT_TRUE(trueType_.Parse(ReadBytes(source_)));
    classification_ = Classify(output);
  }

  ScratchDir dir_;
  fs::path source_;
  std::string pcl_;
  PclTrueTypeFont font_;
  TrueTypeFile trueType_;
  Classification classification_;
};

TEST_P(TrueTypeToPcl, IsALatin1BoundFontNamedAsClassified) {
  EXPECT_EQ(classification_.result, 0);
  EXPECT_EQ(classification_.info.kind, 2);
  EXPECT_EQ(classification_.info.subtype, 15);
  EXPECT_EQ(classification_.name, font_.name);

  Face face(source_);
  std::string postScriptName = FT_Get_Postscript_Name(face.get());
  if (postScriptName.size() > 16) std::erase(postScriptName, '-');
  EXPECT_EQ(font_.name, postScriptName.substr(0, 16));
  EXPECT_EQ(font_.Field8(3), 1);                     // 8-bit bound
  EXPECT_EQ(font_.Field16(14), 14);                  // 0N, ISO 8859-1
  EXPECT_EQ(font_.Field16(64), face->units_per_EM);  // scale factor
  EXPECT_EQ(font_.Field8(13), FT_IS_FIXED_WIDTH(face.get()) ? 0 : 1);
  EXPECT_EQ(font_.Signed16(66), static_cast<std::int16_t>(BigEndian16(trueType_.tables.at("post"), 8)));
  EXPECT_EQ(font_.Field16(16), AdvanceWidth(trueType_.tables, FT_Get_Char_Index(face.get(), ' ')));
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
  ASSERT_NE(os2, nullptr);
  EXPECT_EQ(font_.segments["PA"], std::string(reinterpret_cast<const char*>(os2->panose), 10));
  EXPECT_EQ(font_.Signed8(24), os2->usWeightClass >= 700 ? 3 : 0);
  EXPECT_EQ(font_.Field8(23) & 3, face->style_flags & FT_STYLE_FLAG_ITALIC ? 1 : 0);
  const auto* pclt = static_cast<const TT_PCLT*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_PCLT));
  EXPECT_EQ(font_.Field8(26) << 8 | font_.Field8(25), pclt != nullptr ? pclt->TypeFamily : 0);  // typeface
  // x-height and cap height, whether the font states them or not, are
  // about the tops of x and H (which may overshoot).
  for (const auto& [offset, character] : {std::pair{20, 'x'}, std::pair{42, 'H'}}) {
    ASSERT_EQ(FT_Load_Char(face.get(), character, FT_LOAD_NO_SCALE), 0);
    EXPECT_NEAR(font_.Field16(offset), face->glyph->metrics.horiBearingY, face->units_per_EM / 50) << character;
  }
}

TEST_P(TrueTypeToPcl, GlobalDataHoldsTheSourceTablesForTheDownloadedGlyphs) {
  const auto& gt = font_.globalTables;
  for (const char* tag : {"head", "cvt ", "fpgm", "prep"}) {
    if (trueType_.tables.count(tag) == 0) {
      EXPECT_EQ(gt.count(tag), 0u) << tag;
    } else {
      EXPECT_TRUE(gt.count(tag) == 1 && gt.at(tag) == trueType_.tables.at(tag)) << tag;
    }
  }
  // hhea and maxp may only narrow the glyph count, to cover what was sent.
  int highestGlyph = 0;
  for (const PclCharacter& c : font_.characters) highestGlyph = std::max(highestGlyph, c.glyph);
  std::string hhea = gt.at("hhea"), maxp = gt.at("maxp");
  const int glyphs = BigEndian16(maxp, 4), longMetrics = BigEndian16(hhea, 34);
  EXPECT_GT(glyphs, highestGlyph);
  EXPECT_LE(glyphs, BigEndian16(trueType_.tables.at("maxp"), 4));
  EXPECT_EQ(gt.at("hmtx").size(), 4u * longMetrics + 2u * (glyphs - longMetrics));
  hhea.replace(34, 2, trueType_.tables.at("hhea").substr(34, 2));
  maxp.replace(4, 2, trueType_.tables.at("maxp").substr(4, 2));
  EXPECT_EQ(hhea, trueType_.tables.at("hhea"));
  EXPECT_EQ(maxp, trueType_.tables.at("maxp"));
  for (const PclCharacter& c : font_.characters) {
    EXPECT_EQ(AdvanceWidth(gt, c.glyph), AdvanceWidth(trueType_.tables, c.glyph)) << "glyph " << c.glyph;
  }
}

TEST_P(TrueTypeToPcl, EveryMappedLatin1CharacterCarriesItsGlyphAndItsComponents) {
  Face face(source_);
  std::set<int> sentGlyphs;
  std::map<int, int> glyphOfCode;
  for (const PclCharacter& c : font_.characters) {
    ASSERT_EQ(c.glyphData, trueType_.Glyph(c.glyph)) << "code " << c.code << " glyph " << c.glyph;
    sentGlyphs.insert(c.glyph);
    if (c.code != 65535) glyphOfCode[c.code] = c.glyph;
  }
  for (int code = 32; code < 256; ++code) {
    const int glyph = code < 127 || code >= 160 ? static_cast<int>(FT_Get_Char_Index(face.get(), code)) : 0;
    if (glyph == 0) {
      EXPECT_EQ(glyphOfCode.count(code), 0u) << code;
    } else {
      EXPECT_EQ(glyphOfCode[code], glyph) << code;
    }
  }
  int composites = 0;
  for (const int glyph : sentGlyphs) {
    const std::vector<int> components = ComponentGlyphs(trueType_.Glyph(glyph));
    composites += !components.empty();
    for (const int component : components)
      EXPECT_EQ(sentGlyphs.count(component), 1u) << component << " of " << glyph;
  }
  EXPECT_GT(composites, 40);  // the accented letters
}

INSTANTIATE_TEST_SUITE_P(
    DebianFonts, TrueTypeToPcl,
    testing::Values(SourceFont{"DejaVuSans", kDejaVuSans},
                    SourceFont{"LiberationSerifItalic", kLiberationDir / "LiberationSerif-Italic.ttf"},
                    // Some accented letters are composites of composites.
                    SourceFont{"DejaVuSansMonoBold", kDejaVuSans.parent_path() / "DejaVuSansMono-Bold.ttf"},
                    SourceFont{"NoHintingTablesButPclt", kLiberationDir / "LiberationSans-Regular.ttf",
                               "[f.__delitem__(k) for k in ('prep', 'cvt ', 'fpgm')]; import struct; "
                               "from fontTools.ttLib import newTable; f['PCLT'] = newTable('PCLT'); "
                               "f['PCLT'].data = struct.pack('>IIHHHHHH16s8s6sbbBB', 0x10000, 0, 569, 1082, 0, "
                               "4148, 1409, 14, b'Liberation Sans ', bytes(8), b'LIBSAN', 0, 0, 64, 0)"}),
    [](const auto& info) { return std::string(info.param.label); });

// A glyph over one command's 32767 bytes goes on in continuation blocks.
TEST(TrueTypeToPclLongGlyph, GlyphDataIsContinuedAcrossBlocks) {
  ScratchDir dir;
  const fs::path source = ChangedFont(dir, kLiberationDir / "LiberationSans-Regular.ttf",
                                      "from fontTools.ttLib.tables import ttProgram; g = f['glyf']['A']; "
                                      "g.program = ttProgram.Program(); g.program.fromBytecode(b'\\x20' * 32767)");
  const fs::path output = dir / "font.sfp";
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(source.c_str(), output.c_str()), 0);
  PclTrueTypeFont font;
  ASSERT_EQ(ParsePclTrueTypeFont(ReadBytes(output), font), "");
  TrueTypeFile trueType;
  ASSERT_TRUE(trueType.Parse(ReadBytes(source)));
  const auto a =
      std::find_if(font.characters.begin(), font.characters.end(), [](const auto& c) { return c.code == 'A'; });
  ASSERT_NE(a, font.characters.end());
  EXPECT_EQ(a->blocks, 2);
  EXPECT_GT(a->glyphData.size(), 32767u);
  EXPECT_EQ(a->glyphData, trueType.Glyph(a->glyph));
}

TEST(TrueTypeToPclFailures, FontsThatCannotBecomePclTrueTypeLeaveNoFile) {
  ScratchDir dir;
  const fs::path output = dir / "out.sfp";
  for (const fs::path& input : {fs::path("/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf"),
                                kUrwType1Dir / "NimbusSans-Regular.pfb", dir.path(), dir / "missing.ttf"}) {
    WriteBytes(output, "stale");
    EXPECT_NE(ConvertTrueTypeToPclTrueType(input.c_str(), output.c_str()), 0) << input;
    EXPECT_FALSE(fs::exists(output)) << input;
  }
  // No Unicode map, nor glyph names to make one from: nothing to bind to Latin 1.
  const fs::path symbolOnly = ChangedFont(dir, kLiberationDir / "LiberationSans-Regular.ttf",
                                          "f['cmap'].tables = [t for t in f['cmap'].tables if not t.isUnicode()]; "
                                          "f['post'].formatType = 3.0");
  EXPECT_NE(ConvertTrueTypeToPclTrueType(symbolOnly.c_str(), output.c_str()), 0);
  EXPECT_FALSE(fs::exists(output));
}

}  // namespace
