// Our PJL and PostScript download jobs, prepared with the converter library
// and sent over LPR, as the virtual printer takes them: each font appears in
// its font table under its name, type and location.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "download/converter_operations.h"
#include "download/lpr.h"
#include "download/prepare_resource_job.h"
#include "job_test_support.h"
#include "printer_sim.h"
#include "temp_dir.h"

namespace {

using printer_sim::Font;

const std::string kType1Pfb = "/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb";
const std::string kTrueType = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
constexpr char kAddress[] = "127.0.1.13";

struct Listed {
  std::string name;
  int32_t type;
  int32_t location;
  bool operator==(const Listed&) const = default;
};

// The LPR client's pacing waits are for slow printers; this one needs none.
class NoWaitClock final : public Clock {
 public:
  uint64_t NowMs() override { return now_; }
  void SleepMs(uint32_t ms) override { now_ += ms; }

 private:
  uint64_t now_ = 0;
};

std::ostream& operator<<(std::ostream& out, const Listed& font) {
  return out << font.name << " type " << font.type << " location " << font.location;
}

class VirtualPrinterJobTest : public ::testing::Test {
 protected:
  VirtualPrinterJobTest() {
    std::filesystem::create_directory(appDir);
    printer_sim::PrinterConfig config;
    config.address = kAddress;
    config.postScriptFonts = 0;
    config.pclFonts = 0;
    std::string error;
    printer = simulator.AddPrinter(config, &error).value_or(0);
    EXPECT_TRUE(error.empty()) << error;
    simulator.Start();
    lpr.port = simulator.LpdPort(printer);
    lpr.clock = &clock;
  }

  // Classifies and prepares `path` for `location`, then sends the job files
  // the resource's kind and choice give, as the download does.
  void Download(const std::string& path, StorageLocation location) {
    context.downloadLocation = location;
    char fontName[GLY_FONT_NAME_SIZE] = {};
    ResourceKindInfo kindInfo{};
    ASSERT_EQ(ConverterLibrary().ClassifyFontFile(path.c_str(), fontName, &kindInfo), 0);
    const uint16_t kind = kindInfo.kind;
    ASSERT_EQ(PrepareResourceJob(context, path.c_str(), fontName, kindInfo, false),
              kResourceJobDone);
    const ConversionChoice& choice = context.conversion;
    if (kind == 3 || (kind == 1 && (choice.toType1 || choice.both))) {
      Send(context.jobFiles.postScript);
    }
    if (kind == 2 || (kind == 1 && (choice.toPclTrueType || choice.both))) {
      Send(context.jobFiles.pcl);
    }
  }

  void Send(const std::string& jobFile) {
    ASSERT_EQ(SubmitLprJob(kAddress, jobFile.c_str(), "GLY", jobNumber++, lpr), 0) << jobFile;
    ++sent;
  }

  // The printer's fonts once every job sent has been applied.
  std::vector<Listed> FontsAfterJobs() {
    for (int tries = 0; tries < 500 && CompleteJobs() < sent; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<Listed> fonts;
    for (const Font& font : simulator.Fonts(printer)) {
      EXPECT_EQ(font.persistence, printer_sim::kDownloaded) << font.name;
      fonts.push_back({font.name, font.type, font.location});
    }
    return fonts;
  }

  size_t CompleteJobs() const {
    size_t complete = 0;
    for (const printer_sim::Job& job : simulator.Jobs(printer)) complete += job.complete;
    return complete;
  }

  // The name the PCL conversion of `trueType` carries in its font header.
  std::string PclFontName(const std::string& trueType) {
    const std::string pcl = dir.file("check.sfp");
    char name[GLY_FONT_NAME_SIZE] = {};
    ResourceKindInfo kindInfo{};
    EXPECT_EQ(ConvertTrueTypeToPclTrueType(trueType.c_str(), pcl.c_str()), 0);
    EXPECT_EQ(ClassifyFontFile(pcl.c_str(), name, &kindInfo), 0);
    return name;
  }

  TempDir dir;
  std::string appDir = dir.file("app");
  printer_sim::Simulator simulator;
  size_t printer = 0;
  NoWaitClock clock;
  LprSettings lpr = DefaultLprSettings();
  int jobNumber = 0;
  size_t sent = 0;
  ScriptedQuestions questions;
  RecordingBoxes boxes;
  ResourceJobContext context{ConverterLibrary(), questions, boxes, appDir};
};

TEST_F(VirtualPrinterJobTest, PrinterListsEachDownloadedFontByNameTypeAndLocation) {
  using printer_sim::kLocationDisk;
  using printer_sim::kLocationFlash;
  using printer_sim::kTypePcl;
  using printer_sim::kTypePostScript;

  Download(kType1Pfb, kHardDisk);
  const std::string pclName = PclFontName(kTrueType);
  const std::string pclFont = dir.file("Liberation.sfp");
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(kTrueType.c_str(), pclFont.c_str()), 0);
  Download(pclFont, kHardDisk);

  questions.answers = {kBoth};
  Download(kTrueType, kFlashMemory);
  char type1Name[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
  const std::string type1 = dir.file("Liberation.pfa");
  ASSERT_EQ(ConvertTrueTypeToType1(kTrueType.c_str(), dir.file("program").c_str()), 0);
  FinishType1Conversion(dir.file("program").c_str(), type1.c_str(), 0);
  ASSERT_EQ(ClassifyFontFile(type1.c_str(), type1Name, &kindInfo), 0);

  EXPECT_EQ(FontsAfterJobs(), (std::vector<Listed>{
                                  {"NimbusSans-Regular", kTypePostScript, kLocationDisk},
                                  {pclName, kTypePcl, kLocationDisk},
                                  {type1Name, kTypePostScript, kLocationFlash},
                                  {pclName, kTypePcl, kLocationFlash},
                              }));
  EXPECT_EQ(sent, 4u);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
