// Every TrueType font the system has, converted to PCL: each result reads
// as a soft font, and the run tells per font how many of its characters
// the PCL font carries. Run alone with --gtest_filter=PclCoverage.* to see
// the table. Fonts of scripts no symbol set holds go unbound and carry
// nearly all their characters, and only a font that cannot become Type 1
// either is refused.
#include <gtest/gtest.h>

#include <iostream>

#include "converter_test_support.h"
#include "pcl_soft_font_checker.h"

namespace {

std::vector<fs::path> SystemTrueTypeFonts() {
  std::vector<fs::path> fonts;
  for (const auto& entry : fs::recursive_directory_iterator("/usr/share/fonts")) {
    if (entry.is_regular_file() && entry.path().extension() == ".ttf") fonts.push_back(entry.path());
  }
  std::sort(fonts.begin(), fonts.end());
  return fonts;
}

// Scripts that only an unbound font can carry; the last lies wholly above
// the Basic Multilingual Plane.
bool OfAScriptNoSymbolSetHolds(const fs::path& font) {
  const std::string name = font.filename().string();
  for (const char* script : {"Thai-", "Armenian-", "Georgian-", "SignWriting-"}) {
    if (name.starts_with("NotoS") && name.find(script) != std::string::npos) return true;
  }
  return false;
}

TEST(PclCoverage, EverySystemFontConvertsToAReadableFontAndTellsWhatItLeftOut) {
  ScratchDir dir;
  const fs::path output = dir / "font.sfp";
  const std::vector<fs::path> fonts = SystemTrueTypeFonts();
  ASSERT_GT(fonts.size(), 200u);  // fonts-noto-core is installed
  std::size_t whole = 0, refused = 0, scripts = 0;
  for (const fs::path& font : fonts) {
    PclConversionReport report{};
    if (ConvertTrueTypeToPclTrueTypeReporting(font.c_str(), output.c_str(), &report) != 0) {
      EXPECT_STRNE(report.failure, "") << font;
      std::cout << font.filename().string() << ": refused, " << report.failure << "\n";
      const fs::path program = dir / "font.program";
      EXPECT_NE(ConvertTrueTypeToType1(font.c_str(), program.c_str()), 0) << font << " converts to Type 1";
      ++refused;
      continue;
    }
    PclTrueTypeFont pcl;
    ASSERT_EQ(ParsePclTrueTypeFont(ReadBytes(output), pcl), "") << font;
    std::size_t coded = 0;
    for (const PclCharacter& c : pcl.characters) coded += c.code != 65535;
    EXPECT_EQ(report.charactersCarried, coded) << font;
    EXPECT_LE(report.charactersCarried, report.charactersMapped) << font;
    whole += report.charactersCarried == report.charactersMapped;
    if (OfAScriptNoSymbolSetHolds(font)) {
      ++scripts;
      EXPECT_STREQ(report.symbolSet, "unbound") << font;
      EXPECT_GE(report.charactersCarried * 10, report.charactersMapped * 9) << font;
    }
    std::cout << font.filename().string() << ": " << report.symbolSet << ", " << report.charactersCarried << " of "
              << report.charactersMapped << " characters carried\n";
  }
  EXPECT_GE(scripts, 13u);  // sans and serif, regular and bold, of fonts-noto-core
  std::cout << fonts.size() << " fonts: " << whole << " carried whole, " << refused << " refused\n";
}

}  // namespace
