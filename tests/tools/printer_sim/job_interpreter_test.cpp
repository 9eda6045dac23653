// Jobs applied by a virtual printer: PJL and PostScript font downloads,
// the font-list jobs, and malformed jobs that must change nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "printer_sim.h"
#include "sim_test_support.h"

using namespace printer_sim;
using sim_test::PclSoftFont;
using sim_test::PjlDownload;
using sim_test::PostScriptDownload;
using sim_test::Type1FontText;

namespace {

class JobInterpreterTest : public testing::Test {
 protected:
  size_t Add(Storage storage = Storage::kBoth) {
    PrinterConfig config;
    config.address = "127.0.0.21";
    config.storage = storage;
    config.postScriptFonts = 2;
    config.pclFonts = 1;
    return *simulator_.AddPrinter(config);
  }

  // Everything a refused job must leave as it was.
  std::string State(size_t printer) {
    std::ostringstream out;
    for (const Font& font : simulator_.Fonts(printer)) out << font.index << font.name << ';';
    out << simulator_.UsedBytes(printer, Volume::kDisk) << '/' << simulator_.UsedBytes(printer, Volume::kFlash);
    out << '/' << simulator_.PrintedPages(printer).size();
    return out.str();
  }

  void TearDown() override {
    if (!HasFailure()) return;
    for (size_t i = 0; i < simulator_.PrinterCount(); ++i) {
      for (const std::string& line : simulator_.LogLines(i)) std::printf("printer %zu: %s\n", i, line.c_str());
    }
  }

  Simulator simulator_;
};

TEST_F(JobInterpreterTest, PjlDownloadsAddPclFontsOnTheirVolume) {
  size_t printer = Add();
  const std::string diskFont = PclSoftFont("Courier10Pitch", 12);
  simulator_.RunJob(printer, PjlDownload('0', "Courier10", diskFont));
  const std::string flashFont = PclSoftFont("Gothic", 7);
  simulator_.RunJob(printer, PjlDownload('1', "Gothic", flashFont));

  std::vector<Font> fonts = simulator_.Fonts(printer);
  ASSERT_EQ(fonts.size(), 5u);
  EXPECT_EQ(fonts[3].name, "Courier10Pitch");
  EXPECT_EQ(fonts[3].fontId, 12);
  EXPECT_EQ(fonts[3].location, kLocationDisk);
  EXPECT_EQ(fonts[3].type, kTypePcl);
  EXPECT_EQ(fonts[3].persistence, kDownloaded);
  EXPECT_GT(fonts[3].index, fonts[2].index);
  EXPECT_EQ(fonts[4].name, "Gothic");
  EXPECT_EQ(fonts[4].location, kLocationFlash);
  EXPECT_EQ(simulator_.ReadFile(printer, Volume::kDisk, "pcl\\fonts\\Courier10"), diskFont);
  EXPECT_EQ(simulator_.UsedBytes(printer, Volume::kDisk), diskFont.size());
  EXPECT_EQ(simulator_.UsedBytes(printer, Volume::kFlash), flashFont.size());

  // The same file again replaces the font: one row, under a new index.
  simulator_.RunJob(printer, PjlDownload('0', "Courier10", diskFont));
  fonts = simulator_.Fonts(printer);
  ASSERT_EQ(fonts.size(), 5u);
  EXPECT_EQ(fonts.back().name, "Courier10Pitch");
  EXPECT_GT(fonts.back().index, fonts[3].index);
  EXPECT_EQ(simulator_.UsedBytes(printer, Volume::kDisk), diskFont.size());
}

TEST_F(JobInterpreterTest, PostScriptDownloadsStoreTheLinesAndListTheFontName) {
  size_t printer = Add();
  simulator_.RunJob(printer, PostScriptDownload(false, "Gly-Sans", Type1FontText("GlySans-Regular")));
  simulator_.RunJob(printer, PostScriptDownload(true, "Gly-Serif", Type1FontText("GlySerif")));

  std::vector<Font> fonts = simulator_.Fonts(printer);
  ASSERT_EQ(fonts.size(), 5u);
  EXPECT_EQ(fonts[3].name, "GlySans-Regular");
  EXPECT_EQ(fonts[3].type, kTypePostScript);
  EXPECT_EQ(fonts[3].fontId, kNoPclFontId);
  EXPECT_EQ(fonts[3].location, kLocationDisk);
  EXPECT_EQ(fonts[3].persistence, kDownloaded);
  EXPECT_EQ(fonts[4].name, "GlySerif");
  EXPECT_EQ(fonts[4].location, kLocationFlash);
  // The procedure drops one CR from each line and ends each with LF.
  std::string stored = *simulator_.ReadFile(printer, Volume::kDisk, "fonts/Gly-Sans");
  EXPECT_EQ(stored.find('\r'), std::string::npos);
  EXPECT_NE(stored.find("\n/FontName /GlySans-Regular def\n/FontType 1 def\n"), std::string::npos);
}

TEST_F(JobInterpreterTest, JobsAppendedInOneFileAreAllApplied) {
  size_t printer = Add();
  simulator_.RunJob(printer, PostScriptDownload(false, "A", Type1FontText("FontA")) +
                                 PostScriptDownload(true, "B", Type1FontText("FontB")));
  simulator_.RunJob(printer, PjlDownload('0', "C", PclSoftFont("FontC", 3)) +
                                 PjlDownload('1', "D", PclSoftFont("FontD", 4)));
  std::vector<Font> fonts = simulator_.Fonts(printer);
  ASSERT_EQ(fonts.size(), 7u);
  EXPECT_EQ(fonts[3].name, "FontA");
  EXPECT_EQ(fonts[4].location, kLocationFlash);
  EXPECT_EQ(fonts[5].name, "FontC");
  EXPECT_EQ(fonts[6].name, "FontD");

  // A PostScript job followed by a PJL job in one file, as an export holds.
  simulator_.RunJob(printer, PostScriptDownload(false, "E", Type1FontText("FontE")) +
                                 PjlDownload('0', "F", PclSoftFont("FontF", 5)));
  fonts = simulator_.Fonts(printer);
  ASSERT_EQ(fonts.size(), 9u);
  EXPECT_EQ(fonts[7].name, "FontE");
  EXPECT_EQ(fonts[8].name, "FontF");
}

TEST_F(JobInterpreterTest, MalformedJobsChangeNothing) {
  size_t printer = Add();
  const std::string font = PclSoftFont("Good", 1);
  const std::string before = State(printer);
  std::string pastTheEnd = PjlDownload('0', "Cut", font);
  pastTheEnd.resize(pastTheEnd.size() - 20);
  std::string unknownCommand = PjlDownload('0', "X", font);
  unknownCommand.insert(unknownCommand.find("@PJL FSMKDIR"), "@PJL FSFROBNICATE NAME=\"0:\\x\"\r\n");
  std::string psWithoutEnd = PostScriptDownload(false, "NoEnd", Type1FontText("NoEnd"));
  psWithoutEnd.resize(psWithoutEnd.find("_FontDownload_EOF_"));
  std::string psLongLine = PostScriptDownload(false, "Long", std::string(6001, 'A') + "\r\n");
  std::string psUndefined = PostScriptDownload(false, "Undef", Type1FontText("Undef"));
  psUndefined.replace(0, psUndefined.find(" (Undef)download_font"), "%!PS-Adobe-2.0\n");

  const std::string jobs[] = {
      pastTheEnd,
      PjlDownload('0', "..\\..\\escape", font),
      PjlDownload('0', "a\\\\b", font),
      unknownCommand,
      "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"2:\\pcl\\fonts\\Z\" SIZE=1\r\nZ",
      "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\fonts\\Z\" SIZE=1\r\nZ",  // no FSMKDIR first
      "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\fonts\\Z\" SIZE=-1\r\nZ",
      psWithoutEnd,
      psLongLine,
      psUndefined,
      PostScriptDownload(false, "../x", Type1FontText("X")),
  };
  for (const std::string& job : jobs) {
    simulator_.RunJob(printer, job);
    EXPECT_EQ(State(printer), before) << job.substr(0, 200);
  }

  // A printer without flash refuses a flash download, and one too big for
  // its disk, whole.
  PrinterConfig small;
  small.address = "127.0.0.21";
  small.storage = Storage::kDisk;
  small.diskBytes = 100;
  size_t diskOnly = *simulator_.AddPrinter(small);
  const std::string diskOnlyBefore = State(diskOnly);
  simulator_.RunJob(diskOnly, PjlDownload('1', "F", font));
  simulator_.RunJob(diskOnly, PjlDownload('0', "Big", std::string(101, 'x')));
  EXPECT_EQ(State(diskOnly), diskOnlyBefore);
  EXPECT_FALSE(simulator_.ReadFile(diskOnly, Volume::kDisk, "pcl/fonts/Big"));
}

// `lines` put in ahead of the job's first file-system command.
std::string WithPjlLines(std::string job, const std::string& lines) {
  const size_t at = job.find("@PJL FS");
  return job.insert(at, lines);
}

TEST_F(JobInterpreterTest, APinOnJobsLetsOnlyJobsWithItsPasswordThrough) {
  PrinterConfig config;
  config.jobPin = 4711;
  const size_t printer = *simulator_.AddPrinter(config);
  const std::string font = PclSoftFont("Pinned", 5);
  const size_t fonts = simulator_.Fonts(printer).size();
  for (const std::string& job : {PjlDownload('0', "A", font),
                                 WithPjlLines(PjlDownload('0', "A", font), "@PJL JOB PASSWORD=4712\r\n"),
                                 "\x1b%-12345X@PJL JOB PASSWORD=4711\r\n@PJL EOJ\r\n" + PjlDownload('0', "A", font)})
    simulator_.RunJob(printer, job);
  EXPECT_EQ(simulator_.Fonts(printer).size(), fonts);
  simulator_.RunJob(printer, WithPjlLines(PjlDownload('0', "A", font), "@PJL JOB PASSWORD=4711\r\n"));
  EXPECT_EQ(simulator_.Fonts(printer).back().name, "Pinned");
}

TEST_F(JobInterpreterTest, AFlashWithoutFoldersTakesAFontOnlyIntoFoldersMadeLevelByLevel) {
  PrinterConfig config;
  config.flashFolders = false;
  config.mkdirParents = false;
  const size_t printer = *simulator_.AddPrinter(config);
  const std::string font = PclSoftFont("Flashy", 6);
  simulator_.RunJob(printer, PjlDownload('1', "F", font));
  simulator_.RunJob(printer, WithPjlLines(PjlDownload('1', "F", font), "@PJL FSMKDIR NAME=\"1:\\pcl\\fonts\"\r\n"));
  EXPECT_FALSE(simulator_.ReadFile(printer, Volume::kFlash, "pcl/fonts/F"));
  simulator_.RunJob(printer, WithPjlLines(PjlDownload('1', "F", font),
                                          "@PJL FSMKDIR NAME=\"1:\\pcl\"\r\n@PJL FSMKDIR NAME=\"1:\\pcl\\fonts\"\r\n"));
  EXPECT_EQ(simulator_.ReadFile(printer, Volume::kFlash, "pcl/fonts/F"), font);
}

TEST_F(JobInterpreterTest, ABusyPrinterStoresWhatAJobDownloadsLate) {
  PrinterConfig config;
  config.storeDelayMs = 300;
  const size_t printer = *simulator_.AddPrinter(config);
  simulator_.Start();
  simulator_.RunJob(printer, PjlDownload('0', "Late", PclSoftFont("Late", 7)));
  EXPECT_FALSE(simulator_.ReadFile(printer, Volume::kDisk, "pcl/fonts/Late"));
  for (int wait = 0; wait < 100 && !simulator_.ReadFile(printer, Volume::kDisk, "pcl/fonts/Late"); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(simulator_.ReadFile(printer, Volume::kDisk, "pcl/fonts/Late"));
}

TEST_F(JobInterpreterTest, TheProgramsFontListJobsPrintAPage) {
  size_t printer = Add();
  const std::string data = std::string(std::getenv("GLY_SOURCE_DIR")) + "/app/data/";
  for (const char* name : {"FontList.ps", "FontList.pcl", "FontList1.pcl"}) {
    std::ifstream file(data + name, std::ios::binary);
    simulator_.RunJob(printer, std::string(std::istreambuf_iterator<char>(file), {}));
  }
  simulator_.RunJob(printer, "Hello, printer.\f");
  EXPECT_EQ(simulator_.PrintedPages(printer),
            (std::vector<std::string>{"PostScript font list", "PCL font list", "PCL font list", "document"}));
}

}  // namespace
