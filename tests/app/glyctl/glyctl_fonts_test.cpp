// delete and report against virtual printers: downloaded fonts only, with
// the write community from a private file, and a deletion that never
// finishes; the font list report as a PDF file read back by poppler.
#include <filesystem>
#include <fstream>

#include "glyctl/exit_codes.h"
#include "glyctl_fixture.h"

namespace {

using printer_sim::PrinterConfig;

class GlyctlDeleteTest : public GlyctlTest {
 protected:
  void SetUp() override {
    PrinterConfig config;
    config.postScriptFonts = 1;
    config.pclFonts = 1;
    config.writeCommunity = "velvet";
    StartPrinters("127.88.10", {config});
    PutFont(0, "Gothic");
    PutFont(0, "Roman");
    PutFont(0, "Plain");
    writeFile = WriteCommunityFile("write=velvet\n", 0600);
  }
  std::string writeFile;
};

TEST_F(GlyctlDeleteTest, DeletesTheNamedDownloadedFonts) {
  const GlyctlResult deleted = Run({"delete", "127.88.10.10", "Gothic", "Plain", "--community-file", writeFile});
  EXPECT_EQ(deleted.status, kExitOk) << deleted.err;
  EXPECT_EQ(deleted.out,
            "Font Name  Font Type  Status\n"
            "Gothic     PCL        Deleted\n"
            "Plain      PCL        Deleted\n");
  EXPECT_EQ(deleted.err, "glyctl: All fonts have been successfully deleted.\n");
  EXPECT_EQ(FontNames(0), std::vector<std::string>{"Roman"});
}

TEST_F(GlyctlDeleteTest, PermanentAndUnknownFontsAreRefused) {
  const GlyctlResult permanent = Run({"delete", "127.88.10.10", "Courier", "--community-file", writeFile});
  EXPECT_EQ(permanent.status, kExitBadInput);
  EXPECT_EQ(permanent.err, "glyctl: GLY can't delete permanent fonts.\n");

  const GlyctlResult unknown = Run({"delete", "127.88.10.10", "Roman", "Nowhere", "--community-file", writeFile});
  EXPECT_EQ(unknown.status, kExitBadInput);
  EXPECT_EQ(FontNames(0).size(), 3u);

  // The downloaded one goes, the permanent one stays, and the status says so.
  const GlyctlResult mixed = Run({"delete", "127.88.10.10", "Roman", "Courier", "--community-file", writeFile});
  EXPECT_EQ(mixed.status, kExitPartly);
  EXPECT_NE(mixed.err.find("Some of the fonts you selected are permanent."), std::string::npos) << mixed.err;
  EXPECT_EQ(FontNames(0), (std::vector<std::string>{"Gothic", "Plain"}));
}

TEST_F(GlyctlDeleteTest, TheWriteCommunityComesOnlyFromAPrivateFile) {
  // Without it the printer refuses the deletion with the default community.
  EXPECT_EQ(Run({"delete", "127.88.10.10", "Gothic"}).status, kExitPartly);
  EXPECT_EQ(Run({"delete", "127.88.10.10", "Gothic", "--write-community", "velvet"}).status, kExitUsage);
  chmod(writeFile.c_str(), 0644);
  EXPECT_EQ(Run({"delete", "127.88.10.10", "Gothic", "--community-file", writeFile}).status, kExitCommunityFile);
  EXPECT_EQ(FontNames(0).size(), 3u);
}

// A huge file is refused before it is read (this one is 2 GB, sparse), and
// a NUL inside a community would cut it short.
TEST_F(GlyctlDeleteTest, OversizedCommunityFilesAndNulBytesAreRefused) {
  const std::string huge = scratch.file("huge");
  sim_test::WriteFile(huge, "write=velvet\n");
  std::filesystem::resize_file(huge, 2ull << 30);
  const std::string nul = scratch.file("nul");
  sim_test::WriteFile(nul, std::string("write=vel\0vet\n", 14));
  for (const auto& [file, reason] : {std::pair{huge, "larger than 64 KiB"}, std::pair{nul, "NUL byte"}}) {
    chmod(file.c_str(), 0600);
    const GlyctlResult refused = Run({"delete", "127.88.10.10", "Gothic", "--community-file", file});
    EXPECT_EQ(refused.status, kExitCommunityFile);
    EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
  }
  EXPECT_EQ(FontNames(0).size(), 3u);
}

TEST_F(GlyctlDeleteTest, ADeletionThatNeverFinishesTimesOut) {
  printer_sim::Faults faults;
  faults.deletionsHang = true;
  simulator.SetFaults(0, faults);
  const GlyctlResult hung = Run({"delete", "127.88.10.10", "Gothic", "Roman", "--community-file", writeFile});
  EXPECT_EQ(hung.status, kExitTimedOut);
  EXPECT_EQ(hung.out,
            "Font Name  Font Type  Status\n"
            "Gothic     PCL        Time out.\n"
            "Roman      PCL        Not reached\n");
  EXPECT_EQ(hung.err, "glyctl: No fonts have been deleted.\n");
  // One second, then 600 polls 150 ms apart, on the clock that does not wait.
  EXPECT_GE(clock.sleptMs(), 1000u + 599u * 150u);
}

TEST_F(GlyctlTest, APrinterWithoutFontsHasItsOwnStatusAndTheCommunityFileTakesAPjlPassword) {
  PrinterConfig config;
  config.postScriptFonts = 0;
  config.pclFonts = 0;
  StartPrinters("127.88.12", {config});
  const std::string file = WriteCommunityFile("read=vorpal\npjl-password=4711\n", 0600);
  const GlyctlResult empty = Run({"fonts", "127.88.12.10", "--community-file", file});
  EXPECT_EQ(empty.status, kExitNoFonts) << empty.err;
  const std::string wrong = WriteCommunityFile("pjl-password=47x1\n", 0600);
  const GlyctlResult refused = Run({"fonts", "127.88.12.10", "--community-file", wrong});
  EXPECT_EQ(refused.status, kExitCommunityFile);
  EXPECT_NE(refused.err.find("the PJL password is a number"), std::string::npos) << refused.err;
}

TEST_F(GlyctlTest, APrinterWithoutTheFontTableIsReadOverPjlUnlessItsFileSystemIsClosed) {
  PrinterConfig open;
  printer_sim::UseRealPrinterDefaults(open.snmp);
  open.postScriptFonts = 0;
  open.pclFonts = 2;
  PrinterConfig closed = open;
  closed.fileSystemAccess = false;
  PrinterConfig locked = open;
  locked.pjlPassword = 4711;
  StartPrinters("127.88.13", {open, closed, locked});
  PutFont(0, "Ledger");
  const GlyctlResult listed = Run({"fonts", "127.88.13.10", "--format", "json"});
  ASSERT_EQ(listed.status, kExitOk) << listed.err;
  EXPECT_NE(listed.out.find("\"font_source\": \"PJL\""), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("Ledger"), std::string::npos) << listed.out;
  const GlyctlResult refused = Run({"fonts", "127.88.13.11"});
  EXPECT_EQ(refused.status, kExitNoFileSystem);
  EXPECT_NE(refused.err.find("The printer does not allow access to its file system."), std::string::npos)
      << refused.err;
  const GlyctlResult wanted = Run({"report", "127.88.13.12", "--pdf", scratch.file("locked.pdf")});
  EXPECT_EQ(wanted.status, kExitNoFileSystem);
  EXPECT_NE(wanted.err.find("The printer asks for a PJL password"), std::string::npos) << wanted.err;
}

std::string Output(const std::string& command) { return sim_test::RunCommand(command).output; }

TEST_F(GlyctlTest, ReportWritesEveryPageOfTheFontListAsPdf) {
  printer_sim::PrinterConfig config;
  config.postScriptFonts = 100;
  config.pclFonts = 100;
  StartPrinters("127.88.11", {config});
  const std::string pdf = scratch.file("fonts.pdf");
  const GlyctlResult written = Run({"report", "127.88.11.10", "--pdf", pdf});
  ASSERT_EQ(written.status, kExitOk) << written.err;
  EXPECT_EQ(written.err, "");
  // "…/fonts.pdf: 200 font(s) on N page(s)", and the file has those N pages.
  const size_t on = written.out.find(" font(s) on ");
  ASSERT_NE(on, std::string::npos) << written.out;
  const int pages = std::stoi(written.out.substr(on + 12));
  EXPECT_GE(pages, 2);
  EXPECT_NE(Output("pdfinfo " + pdf).find("Pages:           " + std::to_string(pages) + "\n"), std::string::npos);
  const std::string text = Output("pdftotext " + pdf + " -");
  EXPECT_NE(text.find("Page " + std::to_string(pages) + " of " + std::to_string(pages)), std::string::npos);
  EXPECT_LT(text.find("Courier"), text.find("CG Times"));

  const std::string empty = scratch.file("none.pdf");
  EXPECT_EQ(Run({"report", "127.88.11.10", "--pdf", empty, "--view", "2"}).status, kExitPartly);
  EXPECT_FALSE(std::ifstream(empty).good());
  EXPECT_EQ(Run({"report", "127.88.11.10", "--pdf", scratch.file("no/such/folder.pdf")}).status, kExitCannotWrite);
  EXPECT_EQ(Run({"report", "127.88.11.99", "--pdf", pdf}).status, kExitNoPrinter);
  EXPECT_EQ(Run({"report", "127.88.11.10"}).status, kExitUsage);
}

}  // namespace
