#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "converter_test_support.h"

#include FT_BBOX_H
#include FT_TYPE1_TABLES_H

namespace {

// A contour as the polygon through its points, controls included: enough to
// tell which way it runs and what lies inside it.
using Polygon = std::vector<FT_Vector>;

std::vector<Polygon> ContourPolygons(const FT_Outline& outline) {
  std::vector<Polygon> polygons;
  for (int c = 0, first = 0; c < outline.n_contours; first = outline.contours[c++] + 1) {
    polygons.emplace_back(outline.points + first, outline.points + outline.contours[c] + 1);
  }
  return polygons;
}

// Twice the area, positive when the polygon runs counter-clockwise.
double SignedArea(const Polygon& polygon) {
  double area = 0;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    area += static_cast<double>(polygon[j].x) * polygon[i].y - static_cast<double>(polygon[i].x) * polygon[j].y;
  }
  return area;
}

bool Inside(const FT_Vector& point, const Polygon& polygon) {
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const FT_Vector& a = polygon[i];
    const FT_Vector& b = polygon[j];
    if ((a.y > point.y) != (b.y > point.y) &&
        point.x < a.x + static_cast<double>(b.x - a.x) * (point.y - a.y) / static_cast<double>(b.y - a.y))
      inside = !inside;
  }
  return inside;
}

// A PBM page as one byte per pixel, 1 for ink.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  int At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Bitmap ReadPbm(const fs::path& path) {
  std::istringstream in(ReadBytes(path));
  Bitmap page;
  std::string token;
  in >> token;
  EXPECT_EQ(token, "P4");
  while (in >> std::ws && in.peek() == '#') std::getline(in, token);
  in >> page.width >> page.height;
  in.get();
  const int rowBytes = (page.width + 7) / 8;
  for (int y = 0; y < page.height; ++y) {
    std::string row(static_cast<std::size_t>(rowBytes), '\0');
    in.read(row.data(), rowBytes);
    for (int x = 0; x < page.width; ++x) page.pixels.push_back((static_cast<unsigned char>(row[x / 8]) >> (7 - x % 8)) & 1);
  }
  return page;
}

class TrueTypeToType1 : public testing::TestWithParam<fs::path> {
 protected:
  void SetUp() override {
    program_ = dir_ / "font.tmp";
    pfa_ = dir_ / "font.pfa";
    ASSERT_EQ(ConvertTrueTypeToType1(GetParam().c_str(), program_.c_str()), 0);
    ASSERT_EQ(FinishType1Conversion(program_.c_str(), pfa_.c_str(), 0), 0);
  }

  ScratchDir dir_;
  fs::path program_, pfa_;
};

TEST_P(TrueTypeToType1, FreeTypeReadsTheSameGlyphsWithinOneUnit) {
  Face source(GetParam()), converted(pfa_);
  ASSERT_TRUE(source.ok() && converted.ok());
  EXPECT_STREQ(FT_Get_Font_Format(converted.get()), "Type 1");
  ASSERT_EQ(converted->num_glyphs, source->num_glyphs);
  EXPECT_EQ(converted->units_per_EM, 1000);

  const double scale = 1000.0 / source->units_per_EM;
  FT_BBox glyphsBox{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  Contours want, got;
  for (FT_UInt glyph = 0; glyph < static_cast<FT_UInt>(source->num_glyphs); ++glyph) {
    ASSERT_TRUE(LoadContours(source.get(), glyph, want) && LoadContours(converted.get(), glyph, got));
    // Contours keep their points, and go the other way round where the
    // source draws them as TrueType does.
    if (!CompareContours(want, got, 1.0).empty()) {
      ASSERT_EQ(CompareContours(Reversed(want), got, 1.0), "") << "glyph " << glyph;
    }
    ASSERT_EQ(converted->glyph->metrics.horiAdvance,
              std::lround(static_cast<double>(source->glyph->advance.x) * scale))
        << "advance of glyph " << glyph;
    if (converted->glyph->outline.n_points > 0) {
      FT_BBox box;
      FT_Outline_Get_CBox(&converted->glyph->outline, &box);
      glyphsBox = {std::min(glyphsBox.xMin, box.xMin), std::min(glyphsBox.yMin, box.yMin),
                   std::max(glyphsBox.xMax, box.xMax), std::max(glyphsBox.yMax, box.yMax)};
    }
  }
  EXPECT_EQ(converted->bbox.xMin, glyphsBox.xMin);
  EXPECT_EQ(converted->bbox.yMin, glyphsBox.yMin);
  EXPECT_EQ(converted->bbox.xMax, glyphsBox.xMax);
  EXPECT_EQ(converted->bbox.yMax, glyphsBox.yMax);
}

TEST_P(TrueTypeToType1, FontInfoAndEncodingMatchTheSource) {
  Face source(GetParam()), converted(pfa_);
  ASSERT_TRUE(source.ok() && converted.ok());
  const double scale = 1000.0 / source->units_per_EM;
  PS_FontInfoRec info;
  ASSERT_EQ(FT_Get_PS_Font_Info(converted.get(), &info), 0);
  const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(source.get(), FT_SFNT_POST));
  ASSERT_NE(post, nullptr);
  EXPECT_NEAR(static_cast<double>(info.italic_angle), post->italicAngle / 65536.0, 1.0);  // FreeType keeps whole degrees
  EXPECT_NEAR(converted->underline_position, source->underline_position * scale, 1.0);
  EXPECT_NEAR(converted->underline_thickness, source->underline_thickness * scale, 1.0);
  EXPECT_EQ(FT_Get_Postscript_Name(converted.get()), std::string(FT_Get_Postscript_Name(source.get())));

  // Every printable Latin-1 code reaches the source's glyph for the same
  // character; FreeType's Unicode map of the Type 1 font, built from glyph
  // names, agrees for every mapped character.
  ASSERT_EQ(FT_Select_Charmap(converted.get(), FT_ENCODING_ADOBE_CUSTOM), 0);
  for (FT_ULong code = 0x20; code <= 0xFF; ++code) {
    if (code >= 0x7F && code < 0xA0) continue;
    EXPECT_EQ(FT_Get_Char_Index(converted.get(), code), FT_Get_Char_Index(source.get(), code)) << code;
  }
  ASSERT_EQ(FT_Select_Charmap(converted.get(), FT_ENCODING_UNICODE), 0);
  FT_UInt glyph = 0;
  int mapped = 0;
  for (FT_ULong c = FT_Get_First_Char(source.get(), &glyph); glyph != 0; c = FT_Get_Next_Char(source.get(), c, &glyph)) {
    if (c < 0x20 || c == 0xA0 || c == 0xAD) continue;  // control and duplicate-named characters
    const FT_UInt convertedGlyph = FT_Get_Char_Index(converted.get(), c);
    if (convertedGlyph == 0) continue;
    EXPECT_EQ(convertedGlyph, glyph) << std::hex << c;
    ++mapped;
  }
  EXPECT_GT(mapped, 200);
}

TEST_P(TrueTypeToType1, T1utilsReadEveryCharstringOfBothSteps) {
  const CommandResult disassembly = RunCommand("t1disasm " + Quote(pfa_));
  ASSERT_EQ(disassembly.exitCode, 0);
  // Each glyph's charstring opens with a line "/name {".
  std::istringstream lines(disassembly.output);
  long count = 0;
  for (std::string line; std::getline(lines, line);) {
    count += line.size() > 3 && line[0] == '/' && line.ends_with(" {") && line.find(' ') == line.size() - 2;
  }
  Face source(GetParam());
  EXPECT_EQ(count, source->num_glyphs);
  EXPECT_EQ(disassembly.output.find("UNKNOWN"), std::string::npos);

  // The first step's text is what t1asm reads, and makes the same font.
  const fs::path assembled = dir_ / "assembled.pfa";
  ASSERT_EQ(RunCommand("t1asm -a " + Quote(program_) + " " + Quote(assembled)).exitCode, 0);
  EXPECT_TRUE(RunCommand("t1disasm " + Quote(assembled)).output == disassembly.output);
}

TEST_P(TrueTypeToType1, GhostscriptShowsEveryGlyph) {
  const Classification c = Classify(pfa_);
  ASSERT_EQ(c.result, 0);
  EXPECT_EQ(c.info.kind, 3);
  EXPECT_EQ(c.info.subtype, 1);
  WriteBytes(dir_ / "page.ps", "/" + c.name + " findfont 24 scalefont setfont\n"
             "72 700 moveto (Hello, World! \\(0123\\) \\341\\350\\372) show\n"
             "/" + c.name + " findfont 8 scalefont setfont 36 650 moveto\n"
             "currentfont /CharStrings get { pop glyphshow } forall\nshowpage (done) print\n");
  const CommandResult gs = RunCommand("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pgmraw -r30 -o /dev/null " +
                                      ("--permit-file-read=" + dir_.path().string() + "/ ") +
                                      Quote(pfa_) + " " + Quote(dir_ / "page.ps"));
  EXPECT_EQ(gs.exitCode, 0);
  EXPECT_EQ(gs.output, "done");
}

// Alignment zones hold where the source's letters end, flat and round
// alike, and the stem widths are those of a text face.
TEST_P(TrueTypeToType1, HintValuesFitTheLetters) {
  Face source(GetParam()), converted(pfa_);
  ASSERT_TRUE(source.ok() && converted.ok());
  PS_PrivateRec hints;
  ASSERT_EQ(FT_Get_PS_Font_Private(converted.get(), &hints), 0);
  ASSERT_GE(hints.num_blue_values, 2);
  ASSERT_EQ(hints.num_blue_values % 2, 0);
  for (int i = 1; i < hints.num_blue_values; ++i) EXPECT_LE(hints.blue_values[i - 1], hints.blue_values[i]);
  auto inZone = [](const FT_Short* zones, int count, double y) {
    for (int i = 0; i + 1 < count; i += 2) {
      if (y >= zones[i] - 1 && y <= zones[i + 1] + 1) return true;
    }
    return false;
  };
  const double scale = 1000.0 / source->units_per_EM;
  auto box = [&](char letter) {
    EXPECT_EQ(FT_Load_Char(source.get(), static_cast<FT_ULong>(letter), FT_LOAD_NO_SCALE), 0);
    FT_BBox bbox;
    FT_Outline_Get_BBox(&source->glyph->outline, &bbox);
    return bbox;
  };
  EXPECT_TRUE(inZone(hints.blue_values, 2, 0));
  for (const char letter : std::string("HoOc")) {
    EXPECT_TRUE(inZone(hints.blue_values, 2, box(letter).yMin * scale)) << letter << " bottom";
  }
  for (const char letter : std::string("xoHOdl")) {
    EXPECT_TRUE(inZone(hints.blue_values, hints.num_blue_values, box(letter).yMax * scale)) << letter << " top";
  }
  EXPECT_TRUE(inZone(hints.other_blues, hints.num_other_blues, box('p').yMin * scale));
  // FreeType keeps StdHW in standard_width and StdVW in standard_height.
  const double stem = (box('l').xMax - box('l').xMin) * scale;  // a sans-serif l is all stem
  EXPECT_GT(hints.standard_width[0], 20);
  EXPECT_LT(hints.standard_width[0], 150);
  EXPECT_GT(hints.standard_height[0], 20);
  EXPECT_LT(hints.standard_height[0], stem * 1.5 + 20);
}

// Outer contours run counter-clockwise, as Type 1 interpreters expect, and
// each contour inside another the other way round from it.
TEST_P(TrueTypeToType1, OuterContoursRunCounterClockwise) {
  Face converted(pfa_);
  ASSERT_TRUE(converted.ok());
  ASSERT_EQ(FT_Select_Charmap(converted.get(), FT_ENCODING_ADOBE_CUSTOM), 0);
  for (const unsigned char code : std::string("AaBbDdeg0468@%&QR\xE9\xC5\xAE\xA9\xD8\xE6\xDF")) {
    const FT_UInt glyph = FT_Get_Char_Index(converted.get(), code);
    ASSERT_NE(glyph, 0u) << code;
    ASSERT_EQ(FT_Load_Glyph(converted.get(), glyph, FT_LOAD_NO_SCALE), 0);
    const std::vector<Polygon> polygons = ContourPolygons(converted->glyph->outline);
    ASSERT_FALSE(polygons.empty()) << code;
    for (std::size_t i = 0; i < polygons.size(); ++i) {
      int depth = 0;
      for (std::size_t j = 0; j < polygons.size(); ++j) depth += j != i && Inside(polygons[i][0], polygons[j]);
      if (depth % 2 == 0) EXPECT_GT(SignedArea(polygons[i]), 0) << "character " << +code << " contour " << i;
      else EXPECT_LT(SignedArea(polygons[i]), 0) << "character " << +code << " contour " << i;
    }
  }
}

// Ghostscript draws every encoded glyph as it draws it from the font
// fontforge makes of the same source: a contour filled the wrong way, a lost
// hole or a misplaced glyph would change its cell of the table.
TEST_P(TrueTypeToType1, GhostscriptDrawsTheGlyphTableAsFromFontForgesFont) {
  const fs::path peer = dir_ / "fontforge.pfa";
  ASSERT_EQ(RunCommand("fontforge -lang=ff -c 'Open($1); Generate($2)' " + Quote(GetParam()) + " " + Quote(peer))
                .exitCode,
            0);
  constexpr int kCell = 36, kColumns = 16, kDpi = 144, kCellPixels = kCell * kDpi / 72;
  std::vector<int> codes;
  for (int code = 0x21; code <= 0xFF; ++code) {
    if (code < 0x7F || code > 0xA0) codes.push_back(code);
  }
  auto drawTable = [&](const fs::path& font, const std::string& image) {
    const Classification c = Classify(font);
    std::string page = "/" + c.name + " findfont 24 scalefont setfont\n";
    for (std::size_t i = 0; i < codes.size(); ++i) {
      page += std::to_string(i % kColumns * kCell + 6) + " " + std::to_string(792 - (i / kColumns + 1) * kCell + 9) +
              " moveto <" + "0123456789abcdef"[codes[i] >> 4] + "0123456789abcdef"[codes[i] & 15] + "> show\n";
    }
    WriteBytes(dir_ / (image + ".ps"), page + "showpage\n");
    const CommandResult gs = RunCommand("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pbmraw -r" + std::to_string(kDpi) +
                                        " --permit-file-read=" + dir_.path().string() + "/ -o " +
                                        Quote(dir_ / (image + ".pbm")) + " " + Quote(font) + " " +
                                        Quote(dir_ / (image + ".ps")));
    EXPECT_EQ(gs.exitCode, 0) << gs.output;
    return ReadPbm(dir_ / (image + ".pbm"));
  };
  const Bitmap ours = drawTable(pfa_, "ours"), theirs = drawTable(peer, "theirs");
  ASSERT_TRUE(ours.width == theirs.width && ours.height == theirs.height && ours.width > 0);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const int left = static_cast<int>(i % kColumns) * kCellPixels, top = static_cast<int>(i / kColumns) * kCellPixels;
    int ink = 0, different = 0;
    for (int y = top; y < top + kCellPixels; ++y) {
      for (int x = left; x < left + kCellPixels; ++x) {
        ink += theirs.At(x, y);
        different += ours.At(x, y) != theirs.At(x, y);
      }
    }
    EXPECT_LE(different, std::max(10, ink / 10)) << "code " << codes[i] << " (" << ink << " pixels of ink)";
  }
}

// Latin-1 text sent as it is, without re-encoding the font, prints the
// accented letters and the straight quotes it holds.
TEST_P(TrueTypeToType1, LatinOneTextPrintsAsWritten) {
  const Classification c = Classify(pfa_);
  ASSERT_EQ(c.result, 0);
  WriteBytes(dir_ / "text.ps", "/" + c.name + " findfont 12 scalefont setfont 72 700 moveto\n"
             "(Caf\\351 \\047x\\047 `y` \\374ber \\300\\377\\337 \\253\\273 \\2601\\2742) show showpage\n");
  const CommandResult gs = RunCommand("gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=txtwrite -o - " +
                                      ("--permit-file-read=" + dir_.path().string() + "/ ") +
                                      Quote(pfa_) + " " + Quote(dir_ / "text.ps"));
  ASSERT_EQ(gs.exitCode, 0) << gs.output;
  EXPECT_NE(gs.output.find("Caf\u00e9 'x' `y` \u00fcber \u00c0\u00ff\u00df \u00ab\u00bb \u00b01\u00bc2"),
            std::string::npos)
      << gs.output;
}

// The name a caller gets for the TrueType font is the name its Type 1 form
// defines, even where the caller's buffer cuts a long name: the download job
// stores the font under the reported name and finds it by that name.
TEST(TrueTypeToType1Names, LongPostScriptNameIsCutAlikeInReportAndFont) {
  ScratchDir dir;
  const fs::path renamed = dir / "renamed.ttf";
  const std::string longName(50, 'N');
  ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"import sys; from fontTools.ttLib import TTFont; "
                       "f = TTFont(sys.argv[1]); f['name'].setName(sys.argv[3], 6, 3, 1, 0x409); "
                       "f.save(sys.argv[2])\" " +
                       Quote(kLiberationDir / "LiberationSans-Regular.ttf") + " " + Quote(renamed) + " " +
                       longName)
                .exitCode,
            0);
  const Classification trueType = Classify(renamed);
  ASSERT_EQ(trueType.result, 0);
  EXPECT_EQ(trueType.name, longName.substr(0, GLY_FONT_NAME_SIZE - 1));

  const fs::path program = dir / "font.tmp", pfa = dir / "font.pfa";
  ASSERT_EQ(ConvertTrueTypeToType1(renamed.c_str(), program.c_str()), 0);
  ASSERT_EQ(FinishType1Conversion(program.c_str(), pfa.c_str(), 0), 0);
  Face converted(pfa);
  ASSERT_TRUE(converted.ok());
  EXPECT_EQ(FT_Get_Postscript_Name(converted.get()), trueType.name);
  EXPECT_EQ(Classify(pfa).name, trueType.name);
}

// A contour that several glyphs draw alike (the a of aacute) is written once,
// as a subroutine that each of them calls, and draws point for point the
// same in every glyph.
TEST(TrueTypeToType1Sharing, RepeatedContourBecomesOneSubroutineDrawnAlike) {
  ScratchDir dir;
  const fs::path program = dir / "font.tmp", pfa = dir / "font.pfa";
  ASSERT_EQ(ConvertTrueTypeToType1((kLiberationDir / "LiberationSans-Regular.ttf").c_str(), program.c_str()), 0);
  ASSERT_EQ(FinishType1Conversion(program.c_str(), pfa.c_str(), 0), 0);
  const CommandResult disassembly = RunCommand("t1disasm " + Quote(pfa));
  ASSERT_EQ(disassembly.exitCode, 0);
  auto callsOf = [&](const std::string& glyph) {
    std::vector<std::string> calls;
    std::istringstream lines(disassembly.output.substr(disassembly.output.find("\n/" + glyph + " {\n") + 1));
    for (std::string line; std::getline(lines, line) && line.find("} ND") == std::string::npos;) {
      if (line.ends_with(" callsubr")) calls.push_back(line);
    }
    return calls;
  };
  const std::vector<std::string> a = callsOf("a"), aacute = callsOf("aacute");
  ASSERT_FALSE(a.empty());
  ASSERT_GT(aacute.size(), a.size());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), aacute.begin()));

  Face converted(pfa);
  ASSERT_TRUE(converted.ok());
  auto points = [&](const char* glyph) {
    EXPECT_EQ(FT_Load_Glyph(converted.get(), FT_Get_Name_Index(converted.get(), glyph), FT_LOAD_NO_SCALE), 0);
    const FT_Outline& outline = converted->glyph->outline;
    std::vector<std::tuple<FT_Pos, FT_Pos, char>> all;
    for (int i = 0; i < outline.n_points; ++i) all.emplace_back(outline.points[i].x, outline.points[i].y, outline.tags[i]);
    return all;
  };
  const auto alone = points("a"), accented = points("aacute");
  ASSERT_GT(accented.size(), alone.size());
  EXPECT_TRUE(std::equal(alone.begin(), alone.end(), accented.begin()));
}

// A large font is shared between two threads in both steps; it must come out
// byte for byte as from one, whether the program is whole, fails near its
// end (the helper's part) or closes halfway, leaving what follows unread.
TEST(TrueTypeToType1Threads, OneThreadAndTwoMakeTheSameFont) {
  ScratchDir dir;
  auto withThreads = [](const char* threads, auto operation) {
    ::setenv("GLY_CONVERTER_THREADS", threads, 1);
    const int result = operation();
    ::unsetenv("GLY_CONVERTER_THREADS");
    return result;
  };
  const fs::path program = dir / "one.txt", twoProgram = dir / "two.txt";
  ASSERT_EQ(withThreads("1", [&] { return ConvertTrueTypeToType1(kDejaVuSans.c_str(), program.c_str()); }), 0);
  ASSERT_EQ(withThreads("2", [&] { return ConvertTrueTypeToType1(kDejaVuSans.c_str(), twoProgram.c_str()); }), 0);
  const std::string text = ReadBytes(program);
  EXPECT_TRUE(text == ReadBytes(twoProgram));

  const std::size_t halfway = text.find("\n/", text.size() / 2) + 1;
  for (const auto& [label, input, converts] : std::initializer_list<std::tuple<const char*, std::string, bool>>{
           {"whole", text, true},
           {"fails near its end", std::string(text).insert(text.rfind("hsbw") + 4, "\n\tfly"), false},
           {"closes halfway", text.substr(0, halfway) + "mark currentfile closefile\n" + text.substr(halfway), true}}) {
    WriteBytes(dir / "input.txt", input);
    std::string outputs[2];
    for (const int threads : {1, 2}) {
      const fs::path output = dir / ("out" + std::to_string(threads) + ".pfa");
      const int result = withThreads(threads == 1 ? "1" : "2", [&] {
        return FinishType1Conversion((dir / "input.txt").c_str(), output.c_str(), 0);
      });
      EXPECT_EQ(result == 0, converts) << label << ", threads " << threads;
      if (result == 0) outputs[threads - 1] = ReadBytes(output);
    }
    EXPECT_TRUE(outputs[0] == outputs[1]) << label;
  }
}

// Outputs are read by spoolers and filters that may run as another user, so
// each takes the mode any tool's new file would: 0666 less the umask.
TEST(ConverterOutputs, FileModeFollowsTheUmask) {
  ScratchDir dir;
  const fs::path program = dir / "font.tmp", pfa = dir / "font.pfa", fromPfb = dir / "urw.pfa";
  const fs::path pfb = kUrwType1Dir / "NimbusSans-Regular.pfb";
  for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
    const mode_t previous = ::umask(mask);
    const bool converted = ConvertTrueTypeToType1(kDejaVuSans.c_str(), program.c_str()) == 0 &&
                           FinishType1Conversion(program.c_str(), pfa.c_str(), 0) == 0 &&
                           ConvertPfbToPfa(pfb.c_str(), fromPfb.c_str()) == 0;
    ::umask(previous);
    ASSERT_TRUE(converted);
    const auto expected = static_cast<fs::perms>(0666 & ~mask);
    for (const fs::path& output : {program, pfa, fromPfb}) {
      EXPECT_EQ(fs::status(output).permissions(), expected) << output << " umask " << std::oct << mask;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, TrueTypeToType1,
                         testing::Values(kDejaVuSans, kLiberationDir / "LiberationSans-Regular.ttf",
                                         kLiberationDir / "LiberationSerif-Italic.ttf"),
                         [](const auto& info) {
                           std::string name = info.param.stem().string();
                           std::erase(name, '-');
                           return name;
                         });

}  // namespace
