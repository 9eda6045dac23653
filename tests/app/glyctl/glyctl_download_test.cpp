// download, export and print-font-list against virtual printers: what each
// printer holds afterwards, side by side or one at a time, and the
// failures: a file that is no resource, an unknown printer, a refused job.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"

namespace {

using printer_sim::PrinterConfig;
using printer_sim::Storage;

class GlyctlDownloadTest : public GlyctlTest {
 protected:
  std::string PclFontFile(const std::string& name) {
    const std::string path = scratch.file(name + ".sfp");
    sim_test::WriteFile(path, sim_test::PclSoftFont(name, 12));
    return path;
  }
  size_t JobCount(size_t printer) { return simulator.Jobs(printer).size(); }
  static std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
};

TEST_F(GlyctlDownloadTest, SideBySideEveryPrinterGetsEveryFont) {
  StartPrinters("127.88.20", std::vector<PrinterConfig>(6));
  const std::string gothic = PclFontFile("Gothic");
  std::vector<std::string> args = {"download", "--parallel", "4", "--convert", "pcl", kType1Pfb, gothic, kTrueType,
                                   "--printers"};
  for (int i = 10; i < 16; ++i) args.push_back("127.88.20." + std::to_string(i));
  const GlyctlResult result = Run(args);
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(result.err, "");
  for (size_t printer = 0; printer < 6; ++printer) {
    // The printer applies a job once it has it all.
    for (int wait = 0; wait < 100 && FontNames(printer).size() < 3; ++wait) usleep(20000);
    std::vector<std::string> names = FontNames(printer);
    ASSERT_EQ(names.size(), 3u) << printer;
    EXPECT_EQ(names[0], "NimbusSans-Regular");
    EXPECT_EQ(names[1], "Gothic");
    EXPECT_EQ(JobCount(printer), 3u);
  }
  // A heading, a line per printer and font, and what the download did.
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1 + 18 + 1);
  EXPECT_NE(result.out.find("\n6 printers: 6 done\n"), std::string::npos) << result.out;
}

TEST_F(GlyctlDownloadTest, OneAtATimeSkipsAPrinterWithoutStorageAndReportsARefusedJob) {
  // Flash memory only, no storage, and one that refuses the job; no
  // model: each printer tells its storage.
  std::vector<PrinterConfig> configs(3);
  configs[0].storage = Storage::kFlash;
  configs[1].storage = Storage::kNone;
  configs[2].storage = Storage::kBoth;
  for (PrinterConfig& config : configs) config.systemId = "1.3.6.1.4.1.32473.9.9";
  StartPrinters("127.88.21", configs);
  printer_sim::Faults refuse;
  refuse.lpdFailure = printer_sim::LpdFailure::kNegativeAck;
  refuse.lpdFailureStep = printer_sim::LpdStep::kDataFile;
  simulator.SetFaults(2, refuse);

  const GlyctlResult result =
      Run({"download", PclFontFile("Gothic"), "--printers", "127.88.21.10", "127.88.21.11", "127.88.21.12",
           "--format", "csv"});
  EXPECT_EQ(result.status, kExitPartly) << result.err;
  EXPECT_EQ(ParsedBy("csv", result.out),
            "Printer|File|Status\n"
            "127.88.21.10|Gothic.sfp|No hard disk\n"
            "127.88.21.11|Gothic.sfp|No hard disk\n"
            "127.88.21.12|Gothic.sfp|Socket failure! Please check the printer and try again. "
            "(The printer refused the data file.)\n");
  EXPECT_EQ(JobCount(1), 0u);

  // The JSON carries each outcome itself beside its text.
  const GlyctlResult flash = Run({"download", PclFontFile("Gothic"), "--to", "flash", "--format", "json",
                                  "--printers", "127.88.21.10", "127.88.21.11", "127.88.21.12"});
  EXPECT_EQ(flash.status, kExitPartly) << flash.err;
  EXPECT_EQ(ParsedBy("json", flash.out),
            "127.88.21.10|Gothic.sfp|Downloaded|stored|0|\n"
            "127.88.21.11|Gothic.sfp|No flash memory|no-storage|0|\n"
            "127.88.21.12|Gothic.sfp|Socket failure! Please check the printer and try again. "
            "(The printer refused the data file.)|send-failed|0|\n");
}

TEST_F(GlyctlDownloadTest, MacroFormAndPrintFileGoUnderTheIdAndNameGiven) {
  StartPrinters("127.88.26", std::vector<PrinterConfig>(1));
  const std::string macro = scratch.file("logo.pcl");
  sim_test::WriteFile(macro, "\x1b*p300x400YLogo");
  const std::string form = scratch.file("letter.frm");
  sim_test::WriteFile(form, "/Letter 1 /Form defineresource pop\n");
  const std::string print = scratch.file("page.prn");
  sim_test::WriteFile(print, "page\f");

  // Each is needed when such a file is there, and checked.
  const GlyctlResult noId = Run({"download", macro, print, "--printers", "127.88.26.10"});
  EXPECT_EQ(noId.status, kExitUsage);
  EXPECT_EQ(noId.err, "glyctl: a PCL macro needs --macro-id\n");
  const GlyctlResult badId =
      Run({"download", macro, form, "--macro-id", "32768", "--form-name", "Letter", "--printers", "127.88.26.10"});
  EXPECT_EQ(badId.status, kExitUsage);
  EXPECT_EQ(badId.err, "glyctl: --macro-id: The macro ID is a number from 0 to 32767: 32768 is too large.\n");
  EXPECT_EQ(Run({"download", form, "--printers", "127.88.26.10"}).err, "glyctl: a PostScript form needs --form-name\n");
  EXPECT_EQ(JobCount(0), 0u);

  const GlyctlResult result = Run({"download", macro, form, print, "--macro-id", "7", "--form-name", "Letter",
                                   "--format", "csv", "--printers", "127.88.26.10"});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(ParsedBy("csv", result.out),
            "Printer|File|Status\n127.88.26.10|logo.pcl|Downloaded\n127.88.26.10|letter.frm|Downloaded\n"
            "127.88.26.10|page.prn|Sent\n");
  for (int wait = 0; wait < 100 && simulator.PrintedPages(0).empty(); ++wait) usleep(20000);
  EXPECT_EQ(simulator.StoredMacros(0), std::set<int32_t>{7});
  EXPECT_EQ(simulator.StoredForms(0), std::set<std::string>{"Letter"});
  EXPECT_EQ(simulator.PrintedPages(0), std::vector<std::string>{"document"});
}

// Each printer is asked afterwards: by its font table (.10, .11) or over
// PJL (.12 to .14). A flash-only printer its model says has a disk gets no
// disk download (its own report decides); a full disk takes the job and
// stores nothing.
TEST_F(GlyctlDownloadTest, EachLineSaysWhetherThePrinterHoldsTheFile) {
  std::vector<PrinterConfig> configs(5);
  configs[1].storage = Storage::kFlash;
  for (size_t i = 2; i < 5; ++i) printer_sim::UseRealPrinterDefaults(configs[i].snmp);
  configs[3].diskFull = true;
  configs[4].fileSystemAccess = false;
  StartPrinters("127.88.26", configs);
  const std::string gothic = PclFontFile("Gothic");
  std::vector<std::string> args = {"download", kType1Pfb, gothic, "--format", "csv", "--printers"};
  for (int i = 10; i < 15; ++i) args.push_back("127.88.26." + std::to_string(i));
  const GlyctlResult result = Run(args);
  EXPECT_EQ(result.status, kExitRefused) << result.err;
  std::string expected = "Printer|File|Status\n";
  const char* const outcomes[] = {"Downloaded", "No hard disk", "Downloaded", "Refused by the printer",
                                  "Sent, not confirmed"};
  for (int i = 0; i < 5; ++i)
    for (const char* file : {"NimbusSans-Regular.pfb", "Gothic.sfp"})
      expected += "127.88.26." + std::to_string(10 + i) + "|" + file + "|" + outcomes[i] + "\n";
  EXPECT_EQ(ParsedBy("csv", result.out), expected);
  EXPECT_EQ(JobCount(1), 0u);
  EXPECT_EQ(JobCount(3), 2u);
  EXPECT_FALSE(simulator.ReadFile(3, printer_sim::Volume::kDisk, "pcl/fonts/Gothic"));
  EXPECT_TRUE(FontNames(3).empty());

  EXPECT_EQ(Run({"download", gothic, "--printers", "127.88.26.14"}).status, kExitNotConfirmed);
  const GlyctlResult unasked =
      Run({"download", gothic, "--no-verify", "--format", "csv", "--printers", "127.88.26.10"});
  EXPECT_EQ(unasked.status, kExitOk);
  EXPECT_EQ(ParsedBy("csv", unasked.out), "Printer|File|Status\n127.88.26.10|Gothic.sfp|Sent, not confirmed\n");
  // The printers' model gives them a hard disk alone; this one reports
  // flash memory too, and gets the font there.
  const GlyctlResult flash = Run({"download", gothic, "--to", "flash", "--printers", "127.88.26.10"});
  EXPECT_EQ(flash.status, kExitOk) << flash.out;
  EXPECT_NE(flash.out.find("Downloaded"), std::string::npos) << flash.out;
}

// A printer that refuses a download keeps the file an earlier one left
// under the same name; asked over PJL, its size gives it away.
TEST_F(GlyctlDownloadTest, AnOlderCopyOfTheFileIsNotTakenForTheRefusedOne) {
  std::vector<PrinterConfig> configs(1);
  printer_sim::UseRealPrinterDefaults(configs[0].snmp);
  configs[0].diskBytes = 1024;  // room for the first font, not for the changed one
  StartPrinters("127.88.27", configs);
  const std::string gothic = PclFontFile("Gothic");
  const std::string first = Contents(gothic);
  ASSERT_EQ(Run({"download", gothic, "--printers", "127.88.27.10"}).status, kExitOk);

  sim_test::WriteFile(gothic, first + "\x1b*c66E\x1b(s2000W" + std::string(2000, '\x55'));
  const GlyctlResult result = Run({"download", gothic, "--format", "csv", "--printers", "127.88.27.10"});
  EXPECT_EQ(result.status, kExitRefused) << result.err;
  EXPECT_EQ(ParsedBy("csv", result.out), "Printer|File|Status\n127.88.27.10|Gothic.sfp|Refused by the printer\n");
  EXPECT_EQ(simulator.ReadFile(0, printer_sim::Volume::kDisk, "pcl/fonts/Gothic"), first);
}

TEST_F(GlyctlDownloadTest, NothingIsSentForANonFontFileOrAnUnknownPrinter) {
  StartPrinters("127.88.22", std::vector<PrinterConfig>(1));
  const std::string text = scratch.file("notes.txt");
  sim_test::WriteFile(text, "not a font\n");
  const GlyctlResult notFont = Run({"download", PclFontFile("Gothic"), text, "--printers", "127.88.22.10"});
  EXPECT_EQ(notFont.status, kExitBadInput);
  EXPECT_EQ(notFont.err, "glyctl: " + text + ": Invalid font file.\n");
  EXPECT_EQ(Run({"download", scratch.file("missing.pfb"), "--printers", "127.88.22.10"}).status, kExitBadInput);
  // A FIFO that nobody writes would hold the command for ever.
  const std::string pipe = scratch.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"download", pipe, "--printers", "127.88.22.10"},
                                               {"download", PclFontFile("Gothic"), "--printers-file", pipe}}) {
    const GlyctlResult fifo = Run(args);
    EXPECT_EQ(fifo.status, kExitBadInput);
    EXPECT_EQ(fifo.err, "glyctl: " + pipe + " is not a regular file\n");
  }

  const GlyctlResult unknown =
      Run({"download", PclFontFile("Gothic"), "--printers", "127.88.22.10", "127.88.22.99"});
  EXPECT_EQ(unknown.status, kExitNoPrinter);
  EXPECT_EQ(JobCount(0), 0u);

  EXPECT_EQ(Run({"download", PclFontFile("Gothic")}).status, kExitUsage);
  EXPECT_EQ(Run({"download", PclFontFile("Gothic"), "--parallel", "0", "--printers", "127.88.22.10"}).status,
            kExitUsage);
  EXPECT_EQ(Run({"download", PclFontFile("Gothic"), "--to", "tape", "--printers", "127.88.22.10"}).status,
            kExitUsage);
}

TEST_F(GlyctlDownloadTest, PrintersFileTakesThePrintersOfASavedList) {
  StartPrinters("127.88.25", std::vector<PrinterConfig>(2));
  const std::string list = scratch.file("printers.txt");
  sim_test::WriteFile(list, "# saved\n127.88.25.10\tname=A\tmodel=Model 40\tstorage=3\tsnmp=2\n\n127.88.25.11\n");
  const GlyctlResult result = Run({"download", PclFontFile("Gothic"), "--printers-file", list});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_EQ(JobCount(0), 1u);
  EXPECT_EQ(JobCount(1), 1u);

  // --lpr-pacing holds for every printer of the command, over what a list saved.
  sim_test::WriteFile(list, "127.88.25.10\tlpr-pacing=none\n127.88.25.11\n");
  EXPECT_EQ(Run({"download", PclFontFile("Gothic"), "--printers-file", list}).status, kExitOk);
  EXPECT_EQ(RunPrinterSettings().Get(0x7F58190Au).lprPacing, LprPacing::None);
  EXPECT_EQ(RunPrinterSettings().Get(0x7F58190Bu).lprPacing, LprPacing::Classic);
  const GlyctlResult fast = Run({"download", PclFontFile("Gothic"), "--printers-file", list, "--lpr-pacing", "fast"});
  EXPECT_EQ(fast.status, kExitUsage);
  EXPECT_EQ(fast.err, "glyctl: --lpr-pacing is classic or none, not fast\n");
  EXPECT_EQ(Run({"download", PclFontFile("Gothic"), "--printers-file", list, "--lpr-pacing", "classic"}).status,
            kExitOk);
  EXPECT_EQ(RunPrinterSettings().Get(0x7F58190Au).lprPacing, LprPacing::Classic);
  EXPECT_EQ(JobCount(0), 3u);
  RunPrinterSettings().Clear();

  sim_test::WriteFile(list, "127.88.25.10\n127.88.25\n");
  const GlyctlResult broken = Run({"download", PclFontFile("Gothic"), "--printers-file", list});
  EXPECT_EQ(broken.status, kExitBadInput);
  EXPECT_EQ(broken.err, "glyctl: line 2: not an IPv4 address: 127.88.25\n");
  EXPECT_EQ(JobCount(0), 3u);
}

TEST_F(GlyctlDownloadTest, ExportWritesTheJobsOfTheLocationIntoOneFile) {
  const std::string out = scratch.file("fonts.prn");
  const GlyctlResult exported = Run({"export", "--to", "flash", kType1Pfb, PclFontFile("Gothic"), "--out", out});
  EXPECT_EQ(exported.status, kExitOk) << exported.err;
  std::ifstream file(out, std::ios::binary);
  const std::string jobs((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t postScript = jobs.find("%cartridge");
  const size_t pcl = jobs.find("1:\\pcl\\fonts\\Gothic");
  EXPECT_NE(postScript, std::string::npos);
  EXPECT_NE(pcl, std::string::npos);
  EXPECT_LT(postScript, pcl);
  EXPECT_NE(exported.out.find("NimbusSans-Regular.pfb  NimbusSans-Regular  PS-Type1 Font"), std::string::npos);
  EXPECT_NE(exported.out.find("\n2 jobs written to " + out + "\n"), std::string::npos) << exported.out;

  EXPECT_EQ(Run({"export", kType1Pfb, "--out", scratch.file("no/such/folder.prn")}).status, kExitCannotWrite);
}

// What --out names is never destroyed: a device, a FIFO, one of the inputs
// and a write that fails midway leave it as it was, exit 7 and leave no
// file of their own; a link to a regular file is followed.
TEST_F(GlyctlDownloadTest, ExportReplacesOnlyARegularFileAndOnlyOnceItIsWhole) {
  namespace fs = std::filesystem;
  const std::string font = PclFontFile("Gothic");
  const std::string fontBytes = Contents(font);
  const std::string pipe = scratch.file("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& out : {font, pipe, std::string("/dev/full")}) {
    const GlyctlResult refused = Run({"export", font, "--out", out});
    EXPECT_EQ(refused.status, kExitCannotWrite) << out;
    EXPECT_NE(refused.err.find("nothing was exported"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(Contents(font), fontBytes);
  EXPECT_TRUE(fs::is_fifo(pipe));
  EXPECT_TRUE(fs::is_character_file("/dev/full"));

  const std::string old = scratch.file("old.prn");
  sim_test::WriteFile(old, "the last export\n");
  const std::string link = scratch.file("link.prn");
  fs::create_symlink(old, link);
  {
    // A disk that takes no more than 100 bytes of a file.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const GlyctlResult failed = Run({"export", font, "--out", link});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, handler);
    EXPECT_EQ(failed.status, kExitCannotWrite);
    EXPECT_NE(failed.err.find("could not be written whole"), std::string::npos) << failed.err;
  }
  EXPECT_EQ(Contents(old), "the last export\n");

  EXPECT_EQ(Run({"export", font, "--out", link}).status, kExitOk);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(Contents(old).find("0:\\pcl\\fonts\\Gothic"), std::string::npos);
  for (const auto& entry : fs::directory_iterator(scratch.path()))
    EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

TEST_F(GlyctlDownloadTest, PrintFontListSendsTheJobOfTheKindAsked) {
  std::vector<PrinterConfig> configs(2);
  StartPrinters("127.88.23", configs);
  EXPECT_EQ(Run({"print-font-list", "127.88.23.10"}).status, kExitOk);
  EXPECT_EQ(Run({"print-font-list", "127.88.23.10", "--kind", "pcl"}).status, kExitOk);
  for (int wait = 0; wait < 100 && simulator.PrintedPages(0).size() < 2; ++wait) usleep(20000);
  EXPECT_EQ(simulator.PrintedPages(0), (std::vector<std::string>{"PostScript font list", "PCL font list"}));

  printer_sim::Faults refused;
  refused.lpdRefused = true;
  simulator.SetFaults(1, refused);
  const GlyctlResult failed = Run({"print-font-list", "127.88.23.11"});
  EXPECT_EQ(failed.status, kExitPartly);
  EXPECT_NE(failed.err.find("Socket failure!"), std::string::npos) << failed.err;
}

TEST_F(GlyctlDownloadTest, ThePrinterTakesOnlyWhatItSpeaksThroughAChannelItHasEnabled) {
  std::vector<PrinterConfig> configs(1);
  printer_sim::UseRealPrinterDefaults(configs[0].snmp);
  ASSERT_TRUE(printer_sim::ParseLanguages("pjl,pcl", configs[0].snmp.languages));
  ASSERT_TRUE(printer_sim::ParseChannels("lpd:off,raw,ipp", configs[0].snmp.channels));
  StartPrinters("127.88.27", configs);
  const GlyctlResult shown = Run({"add", "127.88.27.10", "--format", "csv"});
  EXPECT_NE(ParsedBy("csv", shown.out).find("|PJL, PCL|LPD (off), raw, IPP\n"), std::string::npos) << shown.out;

  const GlyctlResult result =
      Run({"download", kType1Pfb, PclFontFile("Gothic"), "--format", "csv", "--printers", "127.88.27.10"});
  EXPECT_EQ(ParsedBy("csv", result.out),
            "Printer|File|Status\n"
            "127.88.27.10|NimbusSans-Regular.pfb|The printer does not speak PostScript\n"
            "127.88.27.10|Gothic.sfp|Downloaded\n");
  // The font went through the raw port: its LPD takes no data.
  EXPECT_EQ(FontNames(0), std::vector<std::string>{"Gothic"});
  EXPECT_EQ(JobCount(0), 0u);
}

}  // namespace
