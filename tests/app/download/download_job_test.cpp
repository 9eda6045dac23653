#include "download/download_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "download/download_job_ids.h"
#include "job_test_support.h"
#include "temp_dir.h"

namespace {

using namespace std::string_literals;
using download_job::kCannotWriteText;
using download_job::kFileNotFoundText;
using download_job::kInputErrorText;

const std::string kPclTicket =
    "\x1B%-12345X@PJL\n"
    "@PJL COMMENT OSLbegin\n"
    "@PJL COMMENT OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE\n"
    "@PJL COMMENT OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"\n"
    "@PJL COMMENT OSLend\n";
const std::string kUel = "\x1B%-12345X";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class DownloadJobTest : public ::testing::Test {
 protected:
  std::string Source(const std::string& bytes, const std::string& name = "font") {
    WriteBytes(dir.file(name), bytes);
    return dir.file(name);
  }
  int Pcl(const std::string& source, const char* name, StorageLocation location = kHardDisk) {
    return WritePclDownloadJob(source.c_str(), name, location, OpenJobFile(job)->descriptor(), boxes);
  }
  int PostScript(const std::string& source, const char* name,
                 StorageLocation location = kHardDisk) {
    return WritePostScriptDownloadJob(source.c_str(), name, location, OpenJobFile(job)->descriptor(), boxes);
  }
  std::string PostScriptHeader(const std::string& call, StorageLocation location = kHardDisk) {
    return PostScriptPrologue(location) + " " + call + "download_font\r\n_FontDownload_\n";
  }
  bool JobIsEmpty() const { return !std::filesystem::exists(job) || std::filesystem::file_size(job) == 0; }

  TempDir dir;
  std::string job = dir.file("tmpPrintFile.tmp");
  RecordingBoxes boxes;
};

TEST_F(DownloadJobTest, PclJobToTheHardDiskIsByteForByteTheExample) {
  const std::string font = BytePattern(12345);
  ASSERT_EQ(Pcl(Source(font), "Courier10"), kJobWritten);
  EXPECT_EQ(ReadBytes(job), kPclTicket + "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\fonts\\Courier10\" "
                                "SIZE=12345\r\n" +
                                font + kUel);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DownloadJobTest, PclJobToFlashHasTheOneCommandLine) {
  ASSERT_EQ(Pcl(Source("abc"), "Courier10", kFlashMemory), kJobWritten);
  EXPECT_EQ(ReadBytes(job), kPclTicket +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\pcl\\fonts\\Courier10\" "
                                "SIZE=3\r\nabc" +
                                kUel);
}

TEST_F(DownloadJobTest, PclJobsOfAnySizeAppendWholeAndFollowEachOther) {
  const std::string block = BytePattern(8192);
  ASSERT_EQ(Pcl(Source(""), "Empty", kFlashMemory), kJobWritten);
  ASSERT_EQ(Pcl(Source(block), "Exact", kFlashMemory), kJobWritten);
  const std::string command = "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\pcl\\fonts\\";
  EXPECT_EQ(ReadBytes(job), kPclTicket + command + "Empty\" SIZE=0\r\n" + kUel +  //
                                kPclTicket + command + "Exact\" SIZE=8192\r\n" + block + kUel);
}

TEST_F(DownloadJobTest, PclJobRefusesNamesThatWouldInjectOrLeaveTheFontsDirectory) {
  const std::string source = Source("abc");
  for (const char* name : {"", "Bad\"Name", "Bad\r\n@PJL FSDELETE", "Bad\x01", "Bad\x7F", "..",
                           "a..b", "..\\..\\x", "Bad\\x", "0:x"}) {
    boxes.shown.clear();
    EXPECT_EQ(Pcl(source, name), kJobInputsRefused) << name;
    EXPECT_EQ(boxes.shown, std::vector<int>{kInputErrorText}) << name;
  }
  boxes.shown.clear();
  EXPECT_EQ(WritePclDownloadJob(nullptr, "Name", kHardDisk, OpenJobFile(job)->descriptor(), boxes), kJobInputsRefused);
  EXPECT_EQ(Pcl("", "Name"), kJobInputsRefused);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kInputErrorText, kInputErrorText}));
  EXPECT_TRUE(JobIsEmpty());

  // Blanks, punctuation and bytes beyond ASCII are names a printer may hold.
  EXPECT_EQ(Pcl(source, "Univers Bold 12pt-x.y_\xE9"), kJobWritten);
}

TEST_F(DownloadJobTest, PostScriptPrologueDiffersBetweenDiskAndFlashOnlyInTheDevice) {
  const std::vector<std::string> disk = Lines(PostScriptPrologue(kHardDisk));
  const std::vector<std::string> flash = Lines(PostScriptPrologue(kFlashMemory));
  ASSERT_EQ(disk.size(), 53u);
  ASSERT_EQ(flash.size(), 53u);
  EXPECT_EQ(disk[0], "%!PS-Adobe-2.0");
  EXPECT_EQ(disk[13], "/DISK (%disk %fonts/) def");
  EXPECT_EQ(disk[15], "DISK exch 5 exch put");
  EXPECT_EQ(disk[19], "fileName 13 fontName putinterval %final name");
  EXPECT_EQ(disk[38], "fontName {findfont pop} stopped {ERROR_ACTION} if  % test the font file");
  EXPECT_EQ(disk[52], "}bind def");
  EXPECT_EQ(flash[13], "/DISK (%cartridge %fonts/) def");
  EXPECT_EQ(flash[15], "DISK exch 10 exch put");
  EXPECT_EQ(flash[19], "fileName 18 fontName putinterval %final name");
  for (size_t i = 0; i < disk.size(); ++i) {
    if (i != 13 && i != 15 && i != 19) {
      EXPECT_EQ(disk[i], flash[i]) << "line " << i + 1;
    }
  }
  // Every line ends with LF alone.
  EXPECT_EQ(PostScriptPrologue(kHardDisk).find('\r'), std::string::npos);
  EXPECT_EQ(PostScriptPrologue(kHardDisk).back(), '\n');
}

TEST_F(DownloadJobTest, PostScriptJobCarriesPrologueCallMarkersAndTheFontUnchanged) {
  const std::string font = "%!PS-AdobeFont-1.0: Courier\r\n" + BytePattern(9000) + "\n";
  ASSERT_EQ(PostScript(Source(font), "Courier", kFlashMemory), kJobWritten);
  ASSERT_EQ(PostScript(Source(""), "Empty"), kJobWritten);
  EXPECT_EQ(ReadBytes(job), PostScriptHeader("(Courier)", kFlashMemory) + font +
                                "_FontDownload_EOF_\n" + PostScriptHeader("(Empty)") +
                                "_FontDownload_EOF_\n");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DownloadJobTest, PostScriptEndMarkerStaysALineOfItsOwn) {
  ASSERT_EQ(PostScript(Source("cleartomark"), "NoLineFeed"), kJobWritten);
  EXPECT_EQ(ReadBytes(job), PostScriptHeader("(NoLineFeed)") + "cleartomark\n_FontDownload_EOF_\n");
}

TEST_F(DownloadJobTest, PostScriptFontNameIsAnEscapedString) {
  EXPECT_EQ(PostScriptStringLiteral("Courier"), "(Courier)");
  EXPECT_EQ(PostScriptStringLiteral("a(b)c\\d"), "(a\\(b\\)c\\\\d)");
  EXPECT_EQ(PostScriptStringLiteral("x\r\n\x01\x7F\xE9%"), "(x\\015\\012\\001\\177\\351%)");
  // A name crafted to close the string and run its own code stays a name.
  ASSERT_EQ(PostScript(Source("x\n"), ") erasepage ("), kJobWritten);
  EXPECT_NE(ReadBytes(job).find(" (\\) erasepage \\()download_font\r\n"), std::string::npos);
}

TEST_F(DownloadJobTest, PostScriptSourceWithAnEndMarkerLineLeavesNoJob) {
  ASSERT_EQ(PostScript(Source("first\n"), "First"), kJobWritten);
  const std::string before = ReadBytes(job);
  const std::string marker = "_FontDownload_EOF_";
  std::string acrossBlocks = std::string(4090, 'a') + "\n" + marker + "\nshowpage\n";
  for (const std::string& bytes :
       {marker + "\n", "line\n" + marker, "line\r" + marker + " tail\n", acrossBlocks}) {
    boxes.shown.clear();
    EXPECT_EQ(PostScript(Source(bytes), "Crafted"), kJobSourceUnreadable);
    EXPECT_EQ(boxes.shown, std::vector<int>{kFileNotFoundText});
    EXPECT_EQ(ReadBytes(job), before);
  }
  // Only the start of a line ends the data on the printer.
  EXPECT_EQ(PostScript(Source("x" + marker + "\n_FontDownload_EO\n"), "Harmless"), kJobWritten);
}

TEST_F(DownloadJobTest, PostScriptWithoutPathOrNameWritesAndShowsNothing) {
  EXPECT_EQ(PostScript(Source("x"), ""), kJobInputsRefused);
  EXPECT_EQ(PostScript("", "Name"), kJobInputsRefused);
  EXPECT_EQ(WritePostScriptDownloadJob("x", nullptr, kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobInputsRefused);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(JobIsEmpty());
}

TEST_F(DownloadJobTest, UnreadableSourcesAndUnwritableJobFilesAreReportedToTheCaller) {
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.file("folder"));
  const std::string font = Source("font\n");
  for (bool postScript : {false, true}) {
    auto write = [&](const std::string& source, const std::string& jobFile) {
      boxes.shown.clear();
      return postScript
                 ? WritePostScriptDownloadJob(source.c_str(), "F", kHardDisk, OpenJobFile(jobFile)->descriptor(), boxes)
                 : WritePclDownloadJob(source.c_str(), "F", kHardDisk, OpenJobFile(jobFile)->descriptor(), boxes);
    };
    // A FIFO is refused at once rather than waited on.
    for (const char* name : {"missing", "folder", "pipe"}) {
      EXPECT_EQ(write(dir.file(name), job), kJobSourceUnreadable) << name;
      EXPECT_EQ(boxes.shown, std::vector<int>{kFileNotFoundText});
      EXPECT_TRUE(JobIsEmpty());
    }
    EXPECT_EQ(write(font, dir.file("no/such/folder")), kJobFileNotOpened);
    EXPECT_EQ(boxes.shown, std::vector<int>{kFileNotFoundText});
    EXPECT_EQ(write(font, "/dev/full"), kJobWriteFailed);
    EXPECT_EQ(boxes.shown, std::vector<int>{kCannotWriteText});
  }
}

}  // namespace

namespace {

TEST_F(DownloadJobTest, MacroJobStoresTheBytesUnderTheMacroIdInTheMacrosFolder) {
  const std::string macro = "\x1B*p300x400YLogo\x0C\x1B&f1X"s;
  ASSERT_EQ(WritePclMacroJob(Source(macro).c_str(), 42, kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  ASSERT_EQ(WritePclMacroJob(Source(macro).c_str(), 0, kFlashMemory, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  // No volume comes with a macros folder: the flash job makes one too.
  const std::string size = " SIZE=" + std::to_string(macro.size()) + "\r\n";
  EXPECT_EQ(ReadBytes(job), kPclTicket + "@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n" +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\macros\\42\"" + size + macro +
                                kUel + kPclTicket + "@PJL FSMKDIR NAME=\"1:\\pcl\\macros\"\r\n" +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\pcl\\macros\\0\"" + size + macro +
                                kUel);
  EXPECT_EQ(PclMacroPrinterPath(kFlashMemory, 0), "1:\\pcl\\macros\\0");

  const std::string before = ReadBytes(job);
  for (int id : {-1, 32768})
    EXPECT_EQ(WritePclMacroJob(Source(macro).c_str(), id, kHardDisk, OpenJobFile(job)->descriptor(), boxes),
              kJobInputsRefused);
  EXPECT_EQ(ReadBytes(job), before);
  EXPECT_EQ(boxes.shown, (std::vector<int>{kInputErrorText, kInputErrorText}));
}

TEST_F(DownloadJobTest, FormJobDiffersFromTheFontJobOnlyInWhereItStoresAndHowItTries) {
  for (StorageLocation location : {kHardDisk, kFlashMemory}) {
    const std::vector<std::string> font = Lines(PostScriptPrologue(location));
    const std::vector<std::string> form = Lines(PostScriptFormPrologue(location));
    ASSERT_EQ(form.size(), font.size());
    std::vector<size_t> differing;
    for (size_t i = 0; i < form.size(); ++i)
      if (form[i] != font[i]) differing.push_back(i + 1);
    EXPECT_EQ(differing, (std::vector<size_t>{7, 14, 20, 39}));
    const std::string device = location == kHardDisk ? "%disk" : "%cartridge";
    EXPECT_EQ(form[6], "/download_form");
    EXPECT_EQ(form[13], "/DISK (" + device + " %Resource/Form/) def");
    EXPECT_EQ(form[19], "fileName " + std::to_string(device.size() + 16) + " fontName putinterval %final name");
    EXPECT_EQ(form[38], "{fontName cvn /Form findresource pop} stopped {ERROR_ACTION} if  % test the form file");
  }
  const std::string form = "/Logo << /FormType 1 >> /Form defineresource pop\n";
  ASSERT_EQ(WritePostScriptFormJob(Source(form).c_str(), "Logo", kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  EXPECT_EQ(ReadBytes(job), PostScriptFormPrologue(kHardDisk) + " (Logo)download_form\r\n_FontDownload_\n" + form +
                                "_FontDownload_EOF_\n");
  // The end marker inside the form would end its data early.
  const std::string hostile = Source("x\n_FontDownload_EOF_\nerasepage\n", "hostile");
  EXPECT_EQ(WritePostScriptFormJob(hostile.c_str(), "Logo", kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobSourceUnreadable);
}

TEST_F(DownloadJobTest, PrintFileGoesUnchanged) {
  const std::string bytes = BytePattern(4096 * 2 + 7);
  ASSERT_EQ(WritePrintFileJob(Source(bytes).c_str(), OpenJobFile(job)->descriptor(), boxes), kJobWritten);
  EXPECT_EQ(ReadBytes(job), bytes);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
