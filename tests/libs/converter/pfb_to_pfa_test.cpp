#include <gtest/gtest.h>

#include "converter_test_support.h"

namespace {

struct PfbSegment {
  int type;
  std::string data;
};

std::vector<PfbSegment> ReadSegments(const std::string& pfb) {
  std::vector<PfbSegment> segments;
  for (std::size_t pos = 0; pos + 6 <= pfb.size() && pfb[pos + 1] != 3;) {
    const auto byte = [&](std::size_t i) { return std::size_t{static_cast<unsigned char>(pfb[pos + i])}; };
    const std::size_t length = byte(2) | byte(3) << 8 | byte(4) << 16 | byte(5) << 24;
    segments.push_back({pfb[pos + 1], pfb.substr(pos + 6, length)});
    pos += 6 + length;
  }
  return segments;
}

std::string WriteSegments(const std::vector<PfbSegment>& segments) {
  std::string pfb;
  for (const PfbSegment& s : segments) {
    pfb += '\x80';
    pfb += static_cast<char>(s.type);
    for (int shift = 0; shift < 32; shift += 8) pfb += static_cast<char>(s.data.size() >> shift);
    pfb += s.data;
  }
  return pfb + "\x80\x03";
}

// The peer's reading of the font: t1disasm decrypts every charstring.
std::string Disassemble(const fs::path& font) {
  const CommandResult result = RunCommand("t1disasm " + Quote(font));
  EXPECT_EQ(result.exitCode, 0) << font << ": " << result.output.substr(0, 200);
  return result.output;
}

void ExpectSameGlyphs(const fs::path& expectedFont, const fs::path& actualFont) {
  Face expected(expectedFont), actual(actualFont);
  ASSERT_TRUE(expected.ok() && actual.ok());
  EXPECT_STREQ(FT_Get_Font_Format(actual.get()), "Type 1");
  ASSERT_EQ(expected->num_glyphs, actual->num_glyphs);
  Contours want, got;
  for (FT_UInt glyph = 0; glyph < static_cast<FT_UInt>(expected->num_glyphs); ++glyph) {
    ASSERT_TRUE(LoadContours(expected.get(), glyph, want) && LoadContours(actual.get(), glyph, got));
    ASSERT_EQ(CompareContours(want, got, 0.0), "") << "glyph " << glyph;
  }
}

TEST(ConvertPfbToPfa, PeersReadTheSameFontAsFromThePfb) {
  ScratchDir dir;
  for (const char* name : {"NimbusSans-Regular", "C059-BdIta", "StandardSymbolsPS", "Z003-MediumItalic"}) {
    const fs::path pfb = kUrwType1Dir / (std::string(name) + ".pfb");
    const fs::path pfa = dir / (std::string(name) + ".pfa");
    ASSERT_EQ(ConvertPfbToPfa(pfb.c_str(), pfa.c_str()), 0) << name;
    EXPECT_TRUE(Disassemble(pfa) == Disassemble(pfb)) << name;
    ExpectSameGlyphs(pfb, pfa);
    const std::string text = ReadBytes(pfa);
    EXPECT_EQ(text.find('\x80'), std::string::npos) << "binary left in " << name;
    EXPECT_NE(text.find("cleartomark"), std::string::npos);
  }
}

TEST(ConvertPfbToPfa, SplitBinaryAndMissingTrailerStillMakeAWholeFont) {
  ScratchDir dir;
  const fs::path original = kUrwType1Dir / "NimbusRoman-Regular.pfb";
  std::vector<PfbSegment> segments = ReadSegments(ReadBytes(original));
  ASSERT_EQ(segments.size(), 3u);
  const std::string binary = segments[1].data;
  // Binary split at an odd place, and the trailer segment left out.
  const fs::path reshaped = dir / "reshaped.pfb";
  WriteBytes(reshaped, WriteSegments({segments[0], {2, binary.substr(0, 1001)}, {2, binary.substr(1001)}}));

  const fs::path pfa = dir / "reshaped.pfa";
  ASSERT_EQ(ConvertPfbToPfa(reshaped.c_str(), pfa.c_str()), 0);
  EXPECT_TRUE(Disassemble(pfa) == Disassemble(original));
  ExpectSameGlyphs(original, pfa);
  const CommandResult gs = RunCommand("gs -q -dNODISPLAY -dBATCH -dNOPAUSE -dNOSAFER " + Quote(pfa) +
                                      " -c '/NimbusRoman-Regular findfont pop (ok) print'");
  EXPECT_EQ(gs.output, "ok");
}

TEST(ConvertPfbToPfa, RawBinaryType1BecomesTheSameAsciiFont) {
  ScratchDir dir;
  const fs::path pfa = dir / "C059-Roman.pfa";
  ASSERT_EQ(ConvertPfbToPfa("/usr/share/fonts/type1/urw-base35/C059-Roman.t1", pfa.c_str()), 0);
  EXPECT_TRUE(Disassemble(pfa) == Disassemble(kUrwType1Dir / "C059-Roman.pfb"));
}

// The second step reads the form t1disasm prints, so a real font taken apart
// by t1disasm must come back whole.
TEST(FinishType1Conversion, ReassemblesRealFontsDisassembledByT1disasm) {
  ScratchDir dir;
  for (const char* name : {"URWGothic-Book", "StandardSymbolsPS"}) {
    const fs::path pfb = kUrwType1Dir / (std::string(name) + ".pfb");
    const fs::path program = dir / (std::string(name) + ".txt");
    const fs::path pfa = dir / (std::string(name) + ".pfa");
    WriteBytes(program, Disassemble(pfb));
    ASSERT_EQ(FinishType1Conversion(program.c_str(), pfa.c_str(), 0), 0) << name;
    ExpectSameGlyphs(pfb, pfa);
  }
}

TEST(ConvertPfbToPfa, OtherFilesAreRefusedWithoutOutput) {
  ScratchDir dir;
  const fs::path pfa = dir / "out.pfa";
  ASSERT_EQ(RunCommand("t1ascii " + Quote(kUrwType1Dir / "P052-Roman.pfb") + " " + Quote(dir / "in.pfa")).exitCode, 0);
  for (const fs::path& input : {fs::path(kDejaVuSans), dir / "in.pfa", dir / "missing.pfb"}) {
    EXPECT_NE(ConvertPfbToPfa(input.c_str(), pfa.c_str()), 0) << input;
    EXPECT_FALSE(fs::exists(pfa)) << input;
  }
}

}  // namespace
