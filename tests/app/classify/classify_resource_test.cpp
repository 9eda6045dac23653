#include "download/classify_resource.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Stand-ins for the converter, one per answer the tests need.
ResourceKindInfo g_reported{};
const char* g_reportedName = "";

int RecognisesFont(const char*, char* fontName, ResourceKindInfo* kindInfo) {
  std::strcpy(fontName, g_reportedName);
  *kindInfo = g_reported;
  return 0;
}

int RecognisesNothing(const char*, char*, ResourceKindInfo*) { return 1; }

int WritesUnterminatedName(const char*, char* fontName, ResourceKindInfo* kindInfo) {
  std::memset(fontName, 'N', GLY_FONT_NAME_SIZE);
  *kindInfo = {1, 0};
  return 0;
}

std::string TypeTextFor(std::uint16_t kind, std::uint16_t subtype) {
  g_reported = {kind, subtype};
  g_reportedName = "Font";
  return ClassifyResource("font.bin", RecognisesFont).typeText;
}

TEST(ClassifyResource, TypeTextForEveryKindAndSubtype) {
  EXPECT_EQ(TypeTextFor(1, 0), "True Type Font");
  EXPECT_EQ(TypeTextFor(3, 1), "PS-Type1 Font");
  EXPECT_EQ(TypeTextFor(3, 0x8001), "PS-Type1 Font");
  EXPECT_EQ(TypeTextFor(3, 3), "PS-Type3 Font");
  EXPECT_EQ(TypeTextFor(3, 42), "PS-Type42 Font");
  EXPECT_EQ(TypeTextFor(3, 0x802A), "PS-Type42 Font");
  EXPECT_EQ(TypeTextFor(3, 2), "Unsupported PS Font");
  EXPECT_EQ(TypeTextFor(3, 0x8000), "Unsupported PS Font");
  EXPECT_EQ(TypeTextFor(2, 0), "PCL Bitmap Font");
  EXPECT_EQ(TypeTextFor(2, 10), "");
  EXPECT_EQ(TypeTextFor(2, 15), "PCL TrueType Font");
  EXPECT_EQ(TypeTextFor(2, 11), "Invalid PCL Font");
  EXPECT_EQ(TypeTextFor(2, 0x8000), "Invalid PCL Font");
}

TEST(ClassifyResource, RecognisedFontIsAcceptedWithItsTexts) {
  g_reported = {2, 10};
  g_reportedName = "Courier10";
  const ResourceRow row = ClassifyResource("courier.sfp", RecognisesFont);
  EXPECT_TRUE(row.accepted);  // an empty type text does not reject a font
  EXPECT_EQ(row.fileName, "courier.sfp");
  EXPECT_EQ(row.fontName, "Courier10");
  EXPECT_EQ(row.typeText, "");
  EXPECT_EQ(row.status, "Not Downloaded");
  EXPECT_EQ(row.kindInfo.kind, 2);
  EXPECT_EQ(row.kindInfo.subtype, 10);
}

TEST(ClassifyResource, NonFontsArePassedThroughByExtensionAlone) {
  struct Case {
    const char* name;
    const char* typeText;
  };
  for (const Case& c : {Case{"LOGO.PCL", "PCL Macro"}, Case{"job.Prn", "PRN File"},
                        Case{"form.frm", "Form File"}, Case{"a.b.pcl", "PCL Macro"}}) {
    const ResourceRow row = ClassifyResource(c.name, RecognisesNothing);
    EXPECT_TRUE(row.accepted) << c.name;
    EXPECT_EQ(row.typeText, c.typeText) << c.name;
    EXPECT_EQ(row.fontName, "") << c.name;
    EXPECT_EQ(row.kindInfo.kind, 0) << c.name;
    EXPECT_EQ(row.status, "Not Downloaded") << c.name;
  }
}

TEST(ClassifyResource, OtherNonFontsAreRejected) {
  for (const char* name : {"logo.pcl.txt", "pcl", "noextension", "font.pfb", ".pcl.", "x.pc"}) {
    const ResourceRow row = ClassifyResource(name, RecognisesNothing);
    EXPECT_FALSE(row.accepted) << name;
    EXPECT_EQ(row.status, "") << name;
  }
  EXPECT_STREQ(kInvalidFontFileText, "Invalid font file.");
}

// The file dialog does not change the current folder: the converter gets
// the full path, and the list shows the name alone.
TEST(ClassifyResource, FileIsOpenedByItsFullPathAndListedByItsName) {
  static std::string g_opened;
  FontClassifier opensTheFile = [](const char* path, char* fontName, ResourceKindInfo* kindInfo) {
    g_opened = path;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return 1;
    std::fclose(file);
    std::strcpy(fontName, "Opened");
    *kindInfo = {1, 0};
    return 0;
  };
  std::string folder = ::testing::TempDir() + "gly-classify-XXXXXX";
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/sans.ttf";
  std::fclose(std::fopen(path.c_str(), "wb"));

  const ResourceRow row = ClassifyResource(path, opensTheFile);
  EXPECT_EQ(g_opened, path);
  EXPECT_TRUE(row.accepted);
  EXPECT_EQ(row.fileName, "sans.ttf");
  EXPECT_EQ(row.fontName, "Opened");

  // A folder's dot is not the file's extension.
  EXPECT_FALSE(ClassifyResource("/fonts.pcl/logo", RecognisesNothing).accepted);
  EXPECT_EQ(ClassifyResource("/forms/LOGO.PCL", RecognisesNothing).fileName, "LOGO.PCL");
  std::remove(path.c_str());
  rmdir(folder.c_str());
}

TEST(ClassifyResource, NameWithoutTerminatorIsCutAtTheBuffer) {
  const ResourceRow row = ClassifyResource("font.ttf", WritesUnterminatedName);
  EXPECT_EQ(row.fontName, std::string(GLY_FONT_NAME_SIZE, 'N'));
}

TEST(FileExtension, IsTextFromTheLastDot) {
  EXPECT_EQ(FileExtension("a.tar.PCL"), ".PCL");
  EXPECT_EQ(FileExtension("plain"), "");
  EXPECT_EQ(FileExtension("dot."), ".");
  EXPECT_EQ(FileExtension("Schrift\xC3\xA4.prn"), ".prn");
  EXPECT_TRUE(HasExtension("X.PcL", ".pcl"));
  EXPECT_FALSE(HasExtension("x.pcl2", ".pcl"));
  EXPECT_FALSE(HasExtension("pcl", ".pcl"));
}

}  // namespace
