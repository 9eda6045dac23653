// Our PJL and PostScript download jobs, prepared with the converter library
// and sent over LPR or the raw AppSocket port, as the virtual printer takes
// them: each font appears in its font table under its name, type and
// location, whichever port carried it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "download/job_port.h"
#include "library_job_test.h"
#include "printer_sim.h"

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

class VirtualPrinterJobTest : public LibraryJobTest, public ::testing::WithParamInterface<JobPort> {
 protected:
  VirtualPrinterJobTest() {
    printer_sim::PrinterConfig config;
    config.address = kAddress;
    config.postScriptFonts = 0;
    config.pclFonts = 0;
    std::string error;
    printer = simulator.AddPrinter(config, &error).value_or(0);
    EXPECT_TRUE(error.empty()) << error;
    simulator.Start();
    ports.lprPort = simulator.LpdPort(printer);
    ports.rawPort = simulator.RawPort(printer);
    ports.clock = &clock;
  }

  // Classifies and prepares `path` for `location`, then sends the job files
  // the resource's kind and choice give, as the download does.
  void Download(const std::string& path, StorageLocation location) {
    ASSERT_EQ(ClassifyAndPrepare(path, location), kResourceJobDone);
    const uint16_t kind = classifiedKind;
    const ConversionChoice& choice = context.conversion;
    if (kind == 3 || (kind == 1 && (choice.toType1 || choice.both))) {
      Send(context.jobFiles.postScript);
    }
    if (kind == 2 || (kind == 1 && (choice.toPclTrueType || choice.both))) {
      Send(context.jobFiles.pcl);
    }
  }

  void Send(const std::shared_ptr<JobFile>& jobFile) {
    ASSERT_TRUE(jobFile);
    ASSERT_EQ(SubmitJob(address.c_str(), GetParam(), *jobFile, "GLY", jobNumber++, ports).code, 0) << jobFile->path();
    ++sent;
  }

  // The printer's fonts once every job sent over LPR has been applied (a
  // raw job is applied before the printer closes its connection).
  std::vector<Listed> FontsAfterJobs() {
    for (int tries = 0; tries < 500 && GetParam() == JobPort::Lpr && CompleteJobs() < sent; ++tries) {
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

  printer_sim::Simulator simulator;
  size_t printer = 0;
  std::string address = kAddress;
  NoWaitClock clock;
  JobPortSettings ports = DefaultJobPortSettings();
  int jobNumber = 0;
  size_t sent = 0;
};

TEST_P(VirtualPrinterJobTest, PrinterListsEachDownloadedFontByNameTypeAndLocation) {
  using printer_sim::kLocationDisk;
  using printer_sim::kLocationFlash;
  using printer_sim::kTypePcl;
  using printer_sim::kTypePostScript;

  Download(kType1Pfb, kHardDisk);
  const std::string pclFont = dir.file("Liberation.sfp");
  ASSERT_EQ(ConvertTrueTypeToPclTrueType(kTrueType.c_str(), pclFont.c_str()), 0);
  Download(pclFont, kHardDisk);
  // The name in the PCL font's header; the PCL half of Both carries the same.
  const std::string pclName = fontName;

  questions.answers = {kBoth};
  Download(kTrueType, kFlashMemory);
  // The Type 1 half's name, as the converted font was classified.
  const std::string type1Name = fontName;

  EXPECT_EQ(FontsAfterJobs(), (std::vector<Listed>{
                                  {"NimbusSans-Regular", kTypePostScript, kLocationDisk},
                                  {pclName, kTypePcl, kLocationDisk},
                                  {type1Name, kTypePostScript, kLocationFlash},
                                  {pclName, kTypePcl, kLocationFlash},
                              }));
  EXPECT_EQ(sent, 4u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_P(VirtualPrinterJobTest, PrinterListsTheMacroByIdAndTheFormByNameAndPrintsThePrintFile) {
  const std::string macro = dir.file("logo.pcl");
  WriteBytes(macro, "\x1B*p300x400YLogo");
  const std::string form = dir.file("letter.frm");
  WriteBytes(form, "/Letter << /FormType 1 /BBox [0 0 10 10] /Matrix [1 0 0 1 0 0] /PaintProc {pop} >>\n"
                   "/Form defineresource pop\n");
  // Two pages; the raster row's bytes are form feeds that eject nothing.
  const std::string print = dir.file("two.prn");
  WriteBytes(print, "\x1B" "Epage one\f\x1B*b3W\f\f\fpage two\f");
  questions.names = {"42", "Letter"};
  for (const auto& [path, location] : {std::pair{macro, kFlashMemory}, {form, kHardDisk}, {print, kHardDisk}}) {
    ASSERT_EQ(ClassifyAndPrepare(path, location), -1) << "not a font";
    kindInfo = {};
    ASSERT_EQ(PrepareResourceJob(context, path.c_str(), fontName, kindInfo, false), kResourceJobDone);
    for (const SentResource& placed : context.sent) Send(placed.jobFile);
  }

  EXPECT_EQ(FontsAfterJobs(), std::vector<Listed>{});
  EXPECT_EQ(simulator.StoredMacros(printer), std::set<int32_t>{42});
  EXPECT_EQ(simulator.ReadFile(printer, printer_sim::Volume::kFlash, "pcl/macros/42"), ReadBytes(macro));
  EXPECT_EQ(simulator.StoredForms(printer), std::set<std::string>{"Letter"});
  EXPECT_EQ(simulator.ReadFile(printer, printer_sim::Volume::kDisk, "Resource/Form/Letter"), ReadBytes(form));
  EXPECT_EQ(simulator.PrintedPages(printer), (std::vector<std::string>{"document", "document"}));
  EXPECT_EQ(sent, 3u);
}

// A printer that runs only jobs with its PIN, whose flash memory has no
// folders and whose FSMKDIR makes one level: every job carries the PIN and
// makes its folders, so each font is listed; without the PIN none is.
TEST_P(VirtualPrinterJobTest, APrinterWithAPinAndABareFlashTakesEveryJobThatCarriesThePin) {
  // The AppSocket session runs a job's PostScript apart from the PJL job
  // around it, so the PIN reaches PostScript only over LPD.
  if (GetParam() != JobPort::Lpr) GTEST_SKIP();
  printer_sim::PrinterConfig config;
  config.address = address = "127.0.1.14";
  config.postScriptFonts = config.pclFonts = 0;
  config.jobPin = 4711;
  config.flashFolders = false;
  config.mkdirParents = false;
  printer = *simulator.AddPrinter(config);
  ports.lprPort = simulator.LpdPort(printer);
  ports.rawPort = simulator.RawPort(printer);

  questions.answers = {kBoth, kBoth};
  Download(kTrueType, kFlashMemory);
  EXPECT_EQ(FontsAfterJobs(), std::vector<Listed>{});
  context.pjlPassword = 4711;
  Download(kTrueType, kFlashMemory);
  const std::string type1Name = fontName;
  EXPECT_EQ(FontsAfterJobs(),
            (std::vector<Listed>{{type1Name, printer_sim::kTypePostScript, printer_sim::kLocationFlash},
                                 {type1Name, printer_sim::kTypePcl, printer_sim::kLocationFlash}}));
}

INSTANTIATE_TEST_SUITE_P(Ports, VirtualPrinterJobTest, ::testing::Values(JobPort::Lpr, JobPort::Raw),
                         [](const auto& info) { return std::string(JobPortName(info.param)); });

}  // namespace
