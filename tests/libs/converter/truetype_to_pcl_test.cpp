#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <sstream>

#include "converter_test_support.h"
#include "pcl_soft_font_checker.h"

namespace {

const fs::path kNotoDir = "/usr/share/fonts/truetype/noto";

struct SourceFont {
  const char* label;
  fs::path path;
  // fontTools code run on the font `f` before converting it, or empty.
  const char* change = "";
  // The symbol set expected, and the Python codec of its code map; or
  // "unbound".
  const char* symbolSet = "unbound";
  const char* codec = "";
};

void PrintTo(const SourceFont& font, std::ostream* out) { *out << font.label; }

// Runs Python code that prints "number number" lines, with `argument` as
// sys.argv[1].
std::map<int, int> PythonPairs(const std::string& code, const std::string& argument) {
  const CommandResult result = RunCommand("/usr/bin/python3 -c \"" + code + "\" " + Quote(argument));
  EXPECT_EQ(result.exitCode, 0) << result.output;
  std::map<int, int> pairs;
  std::istringstream lines(result.output);
  for (int key, value; lines >> key >> value;) pairs[key] = value;
  return pairs;
}

// The font's Unicode map as fontTools reads it: character to glyph id.
std::map<int, int> UnicodeMap(const fs::path& font) {
  return PythonPairs(
      "import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); "
      "[print(c, f.getGlyphID(g)) for c, g in f.getBestCmap().items()]",
      font);
}

// Code to character of codes 32-255 in a code page, by Python's codec.
std::map<int, int> CodePage(const std::string& codec) {
  return PythonPairs(
      "import sys\nfor b in range(32, 256):\n try: print(b, ord(bytes([b]).decode(sys.argv[1])))\n "
      "except UnicodeDecodeError: pass",
      codec);
}

// Saves a changed copy of a font through fontTools.
fs::path ChangedFont(const ScratchDir& dir, const fs::path& source, const std::string& change) {
  const fs::path changed = dir / "changed.ttf";
  const CommandResult result = RunCommand(
      "/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; f = TTFont(sys.argv[1]); " + change +
      "; f.save(sys.argv[2])\" " + Quote(source) + " " + Quote(changed));
  EXPECT_EQ(result.exitCode, 0) << result.output;
  return changed;
}

// fontTools code keeping only the characters of the cmap for which `test`
// (of c) holds.
std::string KeepCharacters(const std::string& test) {
  return "[setattr(t, 'cmap', {c: g for c, g in t.cmap.items() if " + test + "}) for t in f['cmap'].tables]";
}

constexpr std::array<int, 95> kAscii = [] {
  std::array<int, 95> ascii{};
  for (int c = 32; c < 127; ++c) ascii[c - 32] = c;
  return ascii;
}();

class TrueTypeToPcl : public testing::TestWithParam<SourceFont> {
 protected:
  void SetUp() override {
    std::string change = GetParam().change;
    if (change.starts_with("KEEP(")) change = KeepCharacters(change.substr(5, change.size() - 6));
    source_ = !change.empty() ? ChangedFont(dir_, GetParam().path, change) : GetParam().path;
    const fs::path output = dir_ / "font.sfp";
    ASSERT_EQ(ConvertTrueTypeToPclTrueTypeReporting(source_.c_str(), output.c_str(), &report_), 0);
    pcl_ = ReadBytes(output);
    ASSERT_EQ(ParsePclTrueTypeFont(pcl_, font_), "");
    ASSERT_TRUE(trueType_.Parse(ReadBytes(source_)));
    classification_ = Classify(output);
  }

  bool Unbound() const { return std::string(GetParam().symbolSet) == "unbound"; }

  ScratchDir dir_;
  fs::path source_;
  PclConversionReport report_{};
  std::string pcl_;
  PclTrueTypeFont font_;
  TrueTypeFile trueType_;
  Classification classification_;
};

TEST_P(TrueTypeToPcl, DescribesTheFontNamedAsClassified) {
  EXPECT_EQ(classification_.result, 0);
  EXPECT_EQ(classification_.info.kind, 2);
  // Format 16 only where format 15 cannot state the sizes.
  const bool large = font_.header.size() > 32767 || font_.segments["GT"].size() > 0xFFFF;
  EXPECT_EQ(classification_.info.subtype, large ? 16 : 15);
  EXPECT_EQ(classification_.name, font_.name);

  Face face(source_);
  std::string postScriptName = FT_Get_Postscript_Name(face.get());
  if (postScriptName.size() > 16) std::erase(postScriptName, '-');
  EXPECT_EQ(font_.name, postScriptName.substr(0, 16));
  EXPECT_EQ(report_.symbolSet, std::string(GetParam().symbolSet));
  EXPECT_EQ(report_.unbound, Unbound() ? 1u : 0u);
  EXPECT_EQ(report_.selectSymbolSet, std::string(Unbound() ? "18N" : GetParam().symbolSet));
  if (Unbound()) {
    EXPECT_EQ(font_.Field8(3), 11);     // unbound, Unicode codes
    EXPECT_EQ(font_.Field16(14), 56);   // 1X
    // Bits 2-0 say Unicode order; a font with all of ASCII claims it (bit
    // 31), the Latin fonts here Latin 1, 2 and 5 as well.
    const std::string& cc = font_.segments["CC"];
    const std::uint64_t complement = std::uint64_t{BigEndian32(cc, 0)} << 32 | BigEndian32(cc, 4);
    EXPECT_EQ(complement >> 32, 0xFFFFFFFFu);  // nothing claimed that the font cannot tell
    const std::map<int, int> unicodeMap = UnicodeMap(source_);
    const bool ascii = std::all_of(kAscii.begin(), kAscii.end(), [&](int c) { return unicodeMap.count(c) > 0; });
    EXPECT_EQ(complement >> 28 & 0xF, ascii ? 0u : 0xFu);  // ASCII, Latin 1, Latin 2, Latin 5
    EXPECT_EQ(complement & 7, 6u);                         // arranged in Unicode order
  } else {
    const std::string id = GetParam().symbolSet;
    const int value = std::stoi(id) * 32 + (id.back() - 64);
    EXPECT_EQ(font_.Field16(14), value);
    EXPECT_EQ(font_.segments.count("CC"), 0u);
  }
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
}

// Every character of the chosen set (or, unbound, of the plane) that the
// font has goes under its code with the font's glyph for it, characters
// above the plane of an unbound font under the Private Use codes the font
// leaves free, and the report counts what stayed behind.
TEST_P(TrueTypeToPcl, CarriesEveryCharacterItsCodesCanHoldAndCountsTheRest) {
  const std::map<int, int> unicodeMap = UnicodeMap(source_);
  std::map<int, int> codeToCharacter;
  if (Unbound()) {
    for (const auto& [c, glyph] : unicodeMap) {
      if (c >= 32 && (c < 127 || c >= 160) && c < 0xFFFE) codeToCharacter[c] = c;
    }
    int privateUse = 0xE000, firstPrivateUse = 0, abovePlane = 0;
    for (auto c = unicodeMap.upper_bound(0xFFFF); c != unicodeMap.end(); ++c, ++privateUse, ++abovePlane) {
      while (unicodeMap.count(privateUse) > 0) ++privateUse;
      if (firstPrivateUse == 0) firstPrivateUse = privateUse;
      codeToCharacter[privateUse] = c->first;
    }
    EXPECT_EQ(report_.privateUseCharacters, static_cast<std::uint32_t>(abovePlane));
    EXPECT_EQ(report_.firstPrivateUseCode, static_cast<std::uint32_t>(firstPrivateUse));
  } else {
    codeToCharacter = CodePage(GetParam().codec);
  }
  std::map<int, int> expected;  // code to glyph
  for (const auto& [code, c] : codeToCharacter) {
    if (code == 127 || (code >= 128 && code < 160 && c < 160)) continue;  // control codes
    if (unicodeMap.count(c) > 0 && unicodeMap.at(c) != 0) expected[code] = unicodeMap.at(c);
  }
  std::map<int, int> carried;
  for (const PclCharacter& c : font_.characters) {
    ASSERT_EQ(c.glyphData, trueType_.Glyph(c.glyph)) << "code " << c.code << " glyph " << c.glyph;
    if (c.code != 65535) carried[c.code] = c.glyph;
  }
  EXPECT_EQ(carried, expected);
  std::size_t mapped = 0;
  for (const auto& entry : unicodeMap) mapped += entry.second != 0;
  EXPECT_EQ(report_.charactersMapped, mapped);
  EXPECT_EQ(report_.charactersCarried, carried.size());
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

TEST_P(TrueTypeToPcl, CompositeGlyphsComeWithTheirComponents) {
  std::set<int> sentGlyphs;
  for (const PclCharacter& c : font_.characters) sentGlyphs.insert(c.glyph);
  for (const int glyph : sentGlyphs) {
    for (const int component : ComponentGlyphs(trueType_.Glyph(glyph)))
      EXPECT_EQ(sentGlyphs.count(component), 1u) << component << " of " << glyph;
  }
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
                               "4148, 1409, 14, b'Liberation Sans ', bytes(8), b'LIBSAN', 0, 0, 64, 0)"},
                    SourceFont{"Latin1Only", kDejaVuSans, "KEEP(c < 256)", "0N", "latin-1"},
                    // A set that holds all the characters keeps the font bound.
                    SourceFont{"CyrillicWithAscii", kDejaVuSans, "KEEP(c < 128 or 0x410 <= c < 0x450)", "10N", "iso8859_5"},
                    SourceFont{"HebrewWithAscii", kDejaVuSans, "KEEP(c < 128 or 0x5D0 <= c < 0x5EB)", "7H", "iso8859_8"},
                    // More characters than any set holds, without all of ASCII.
                    SourceFont{"NotoSansArabic", kNotoDir / "NotoSansArabic-Regular.ttf"},
                    // Nearly all characters above the Basic Multilingual Plane.
                    SourceFont{"NotoSansSignWriting", kNotoDir / "NotoSansSignWriting-Regular.ttf"}),
    [](const auto& info) { return std::string(info.param.label); });

// The checker itself must see what a printer would reject.
TEST(PclSoftFontChecker, FindsFaultsPlantedInAGoodFont) {
  ScratchDir dir;
  const fs::path output = dir / "font.sfp";
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(kDejaVuSans.c_str(), output.c_str()), 0);
  const std::string good = ReadBytes(output);
  const std::size_t header = good.find('W') + 1, glyphOfA = good.find("\x1B(s", good.find("\x1B*c65E")) + 20;
  for (const auto& [label, bad] : std::initializer_list<std::pair<const char*, std::string>>{
           {"header count one short",
            std::string(good).replace(3, header - 4, std::to_string(std::stoi(good.substr(3)) - 1))},
           {"descriptor byte changed", std::string(good).replace(header + 70, 1, 1, '\x02')},
           {"checksum covered byte changed", std::string(good).replace(header + 65, 1, 1, '\x7F')},
           {"glyph byte changed", std::string(good).replace(glyphOfA, 1, 1, '\x55')},
           {"last character cut", good.substr(0, good.size() - 1)},
           {"trailing byte", good + '\0'}}) {
    PclTrueTypeFont font;
    EXPECT_NE(ParsePclTrueTypeFont(bad, font), "") << label;
  }
}

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
  // No character but control codes: refused, saying why.
  const fs::path controlsOnly = ChangedFont(dir, kDejaVuSans, "[setattr(t, 'cmap', {9: 'space'}) for t in f['cmap'].tables]");
  PclConversionReport report{};
  EXPECT_NE(ConvertTrueTypeToPclTrueTypeReporting(controlsOnly.c_str(), output.c_str(), &report), 0);
  EXPECT_STREQ(report.failure, "the font has no character a PCL font can carry");
  EXPECT_FALSE(fs::exists(output));
}

// A font that converts to Type 1 converts to PCL too, without a Unicode
// map: through its Macintosh map, whose characters (more than Latin 1
// holds) go unbound under their Unicode values, or, without any map, its
// glyphs in order under Private Use codes.
TEST(TrueTypeToPclWithoutUnicodeMap, CarriesWhatTheFontHas) {
  ScratchDir dir;
  const fs::path output = dir / "out.sfp";
  for (const bool anyMap : {true, false}) {
    // Without glyph names either, from which FreeType would make a Unicode map.
    const fs::path font = ChangedFont(dir, kDejaVuSans,
                                      std::string(anyMap ? "f['cmap'].tables = [t for t in f['cmap'].tables if not t.isUnicode()]"
                                                         : "f['cmap'].tables = []") +
                                          "; f['post'].formatType = 3.0");
    PclConversionReport report{};
    ASSERT_EQ(ConvertTrueTypeToPclTrueTypeReporting(font.c_str(), output.c_str(), &report), 0) << report.failure;
    PclTrueTypeFont pcl;
    ASSERT_EQ(ParsePclTrueTypeFont(ReadBytes(output), pcl), "");
    EXPECT_STREQ(report.symbolSet, "unbound");
    if (anyMap) {
      // Macintosh code 128 is Adieresis, U+00C4.
      EXPECT_EQ(report.charactersCarried, report.charactersMapped);  // all the map's printable codes
      const auto adieresis = std::find_if(pcl.characters.begin(), pcl.characters.end(),
                                          [](const PclCharacter& c) { return c.code == 0xC4; });
      ASSERT_NE(adieresis, pcl.characters.end());
      EXPECT_EQ(adieresis->glyph, static_cast<int>(FT_Get_Char_Index(Face(kDejaVuSans).get(), 0xC4)));
    } else {
      EXPECT_EQ(report.charactersCarried, static_cast<std::uint32_t>(Face(font)->num_glyphs - 1));  // all but .notdef
      EXPECT_EQ(report.firstPrivateUseCode, 0xE000u);
      EXPECT_EQ(pcl.characters.front().code, 0xE000);
      EXPECT_EQ(pcl.characters.front().glyph, 1);
    }
    EXPECT_EQ(ConvertTrueTypeToType1(font.c_str(), (dir / "font.program").c_str()), 0);
  }
}

// Global data over format 15's 65535-byte segments makes a format 16 font.
TEST(TrueTypeToPclLargeHeader, IsWrittenInFormat16) {
  ScratchDir dir;
  const fs::path source = ChangedFont(dir, kLiberationDir / "LiberationSans-Regular.ttf",
                                      "f['fpgm'].program.fromBytecode(b'\\x20' * 70000)");
  const fs::path output = dir / "font.sfp";
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(source.c_str(), output.c_str()), 0);
  PclTrueTypeFont font;
  ASSERT_EQ(ParsePclTrueTypeFont(ReadBytes(output), font), "");
  EXPECT_EQ(font.Field8(2), 16);
  EXPECT_EQ(font.globalTables["fpgm"], std::string(70000, '\x20'));
  EXPECT_EQ(Classify(output).info.subtype, 16);
}

}  // namespace
