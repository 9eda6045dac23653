// Job preparation with the converter library itself: every path leaves
// exactly its job files in the program's directory, and no scratch file.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>

#include "library_job_test.h"

namespace {

using Files = std::vector<std::string>;

const std::string kType1Pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kTrueType = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

class RealConverterJobTest : public LibraryJobTest {
 protected:
  int Prepare(const std::string& path) { return ClassifyAndPrepare(path); }
  // Prepares `path` as if classified as `kind`.
  int PrepareAs(const std::string& path, ResourceKindInfo kind) {
    std::memset(fontName, 0, sizeof fontName);
    std::strcpy(fontName, "Name");
    kindInfo = kind;
    return PrepareResourceJob(context, path.c_str(), fontName, kindInfo, false);
  }
  std::string Job(const char* name = kJobFileName) const { return ReadBytes(appDir + "/" + name); }
};

TEST_F(RealConverterJobTest, PostScriptAndPclFontsLeaveOneJobFile) {
  // The ASCII form of the binary font, made by the converter and then sent
  // as a text font of its own.
  const std::string pfa = dir.file("NimbusSans.pfa");
  ASSERT_EQ(ConvertPfbToPfa(kType1Pfb.c_str(), pfa.c_str()), 0);
  ASSERT_EQ(Prepare(kType1Pfb), kResourceJobDone);
  EXPECT_EQ(kindInfo.subtype & GLY_PFB_SUBTYPE_FLAG, GLY_PFB_SUBTYPE_FLAG);
  const std::string fromBinary = Job();
  EXPECT_EQ(FilesIn(appDir), Files{kJobFileName});

  ASSERT_EQ(Prepare(pfa), kResourceJobDone);
  EXPECT_EQ(Job(), fromBinary);
  EXPECT_NE(Job().find(" (NimbusSans-Regular)download_font\r\n"), std::string::npos);
  EXPECT_EQ(FilesIn(appDir), Files{kJobFileName});

  const std::string pcl = dir.file("Liberation.sfp");
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(kTrueType.c_str(), pcl.c_str()), 0);
  ASSERT_EQ(Prepare(pcl), kResourceJobDone);
  EXPECT_EQ(kindInfo.kind, 2);
  const std::string job = Job();
  EXPECT_NE(job.find("\" SIZE=" + std::to_string(std::filesystem::file_size(pcl)) + "\r\n"),
            std::string::npos);
  EXPECT_EQ(job.compare(job.size() - 9, 9, "\x1B%-12345X"), 0);
  EXPECT_EQ(FilesIn(appDir), Files{kJobFileName});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RealConverterJobTest, TrueTypeLeavesTheJobFilesOfItsChoice) {
  questions.answers = {kToType1, kToPcl, kBoth};
  ASSERT_EQ(Prepare(kTrueType), kResourceJobDone);
  EXPECT_EQ(kindInfo.kind, 3);
  const std::string type1Call = " (" + std::string(fontName) + ")download_font\r\n";
  EXPECT_NE(Job().find(type1Call), std::string::npos);
  EXPECT_EQ(FilesIn(appDir), Files{kJobFileName});

  ASSERT_EQ(Prepare(kTrueType), kResourceJobDone);
  EXPECT_NE(Job().find("@PJL FSDOWNLOAD FORMAT:BINARY"), std::string::npos);
  EXPECT_EQ(FilesIn(appDir), Files{kJobFileName});

  ASSERT_EQ(Prepare(kTrueType), kResourceJobDone);
  EXPECT_NE(Job().find(type1Call), std::string::npos);
  EXPECT_NE(Job(kSecondJobFileName).find("@PJL FSDOWNLOAD FORMAT:BINARY"), std::string::npos);
  EXPECT_EQ(FilesIn(appDir), (Files{kSecondJobFileName, kJobFileName}));

  // Without a choice nothing is converted and no job file is left.
  context.conversion = {};
  ASSERT_EQ(Prepare(kTrueType), kResourceJobDone);
  EXPECT_TRUE(FilesIn(appDir).empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RealConverterJobTest, FailedConversionsLeaveNothingBehind) {
  const std::string notAFont = dir.file("notafont.ttf");
  WriteBytes(notAFont, "%!PS-AdobeFont-1.0: Fake\nnot really a font\n");
  EXPECT_EQ(PrepareAs(notAFont, {3, 0x8001}), kPostScriptConversionFailed);
  EXPECT_TRUE(FilesIn(appDir).empty());
  for (ConversionOptions choice : {kToType1, kToPcl, kBoth}) {
    questions.answers = {choice};
    EXPECT_EQ(PrepareAs(notAFont, {1, 0}), kTrueTypeConversionFailed);
    EXPECT_TRUE(FilesIn(appDir).empty());
  }
}

// A job folder on a disk that fills up during the conversion: the row says
// so rather than blaming the font. The small disk is a tmpfs of its own,
// which only root may mount.
TEST_F(RealConverterJobTest, AFullScratchDiskIsToldApartFromABadFont) {
  const std::string small = MakePrivateFolder(dir.file("small"));
  if (geteuid() != 0 || mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here";
  {
    ResourceJobContext full{ConverterLibrary(), questions, boxes, small};
    for (ConversionOptions choice : {kToType1, kToPcl}) {
      questions.answers = {choice};
      std::strcpy(fontName, "Liberation");
      kindInfo = {1, 0};
      EXPECT_EQ(PrepareResourceJob(full, kTrueType.c_str(), fontName, kindInfo, false), kScratchSpaceFull);
      EXPECT_TRUE(FilesIn(small).empty());
    }
  }
  umount(small.c_str());
}

}  // namespace
