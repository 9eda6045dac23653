// Every font of the Liberation and DejaVu families converted to Type 1 is
// no larger than fontforge's PFA of it, which the printer has to store as
// well; the run prints the table of both sizes.
#include <gtest/gtest.h>

#include <iostream>

#include "converter_test_support.h"

namespace {

TEST(Type1Size, NoFontIsLargerThanFontForgesConversion) {
  ScratchDir dir;
  const fs::path program = dir / "font.program", ours = dir / "ours.pfa", theirs = dir / "fontforge.pfa";
  std::vector<fs::path> fonts;
  for (const fs::path& family : {kLiberationDir, kDejaVuSans.parent_path()}) {
    for (const auto& entry : fs::directory_iterator(family)) {
      if (entry.path().extension() == ".ttf") fonts.push_back(entry.path());
    }
  }
  std::sort(fonts.begin(), fonts.end());
  ASSERT_GE(fonts.size(), 30u);
  for (const fs::path& font : fonts) {
    ASSERT_EQ(ConvertTrueTypeToType1(font.c_str(), program.c_str()), 0) << font;
    ASSERT_EQ(FinishType1Conversion(program.c_str(), ours.c_str(), 0), 0) << font;
    ASSERT_EQ(
        RunCommand("fontforge -lang=ff -c 'Open($1); Generate($2)' " + Quote(font) + " " + Quote(theirs)).exitCode, 0)
        << font;
    const auto ourBytes = fs::file_size(ours), theirBytes = fs::file_size(theirs);
    EXPECT_LE(ourBytes, theirBytes) << font;
    std::cout << font.filename().string() << ": " << ourBytes << " bytes, fontforge " << theirBytes << " ("
              << static_cast<double>(ourBytes) / static_cast<double>(theirBytes) << ")\n";
  }
}

}  // namespace
