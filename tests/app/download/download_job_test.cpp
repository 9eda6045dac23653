#include "download/download_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "download/append_download_job.h"
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
const std::string kFlashPclFolders = "@PJL FSMKDIR NAME=\"1:\\pcl\"\r\n@PJL FSMKDIR NAME=\"1:\\pcl\\fonts\"\r\n";

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
  // The PJL that makes the fonts folder and enters PostScript, the
  // prologue and the call.
  std::string PostScriptHeader(const std::string& call, StorageLocation location = kHardDisk) {
    return kUel + "@PJL\r\n@PJL FSMKDIR NAME=\"" + (location == kHardDisk ? "0" : "1") +
           ":\\fonts\"\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n" + PostScriptPrologue(location) + " " + call +
           "download_font\r\n_FontDownload_\n";
  }
  static std::string PostScriptTrailer() { return "_FontDownload_EOF_\n" + kUel; }
  bool JobIsEmpty() const { return !std::filesystem::exists(job) || std::filesystem::file_size(job) == 0; }

  TempDir dir;
  std::string job = dir.file("tmpPrintFile.tmp");
  RecordingBoxes boxes;
};

TEST_F(DownloadJobTest, PclJobToTheHardDiskIsByteForByteTheExample) {
  const std::string font = BytePattern(12345);
  ASSERT_EQ(Pcl(Source(font), "Courier10"), kJobWritten);
  // The folder is made one level at a time: a printer makes no parent.
  EXPECT_EQ(ReadBytes(job), kPclTicket + "@PJL FSMKDIR NAME=\"0:\\pcl\"\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n" +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\fonts\\Courier10\" "
                                "SIZE=12345\r\n" +
                                font + kUel);
  EXPECT_TRUE(boxes.shown.empty());
}

// A flash volume need not have the folder either; a printer's PJL password
// opens the job and the job is closed before the last UEL.
TEST_F(DownloadJobTest, PclJobToFlashMakesItsFolderAndCarriesThePassword) {
  ASSERT_EQ(WritePclDownloadJob(Source("abc").c_str(), "Courier10", kFlashMemory, OpenJobFile(job)->descriptor(),
                                boxes, nullptr, 4711),
            kJobWritten);
  EXPECT_EQ(ReadBytes(job), kPclTicket + "@PJL JOB PASSWORD=4711\r\n" + kFlashPclFolders +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\pcl\\fonts\\Courier10\" "
                                "SIZE=3\r\nabc@PJL EOJ\r\n" +
                                kUel);
}

TEST_F(DownloadJobTest, PclJobsOfAnySizeAppendWholeAndFollowEachOther) {
  const std::string block = BytePattern(8192);
  ASSERT_EQ(Pcl(Source(""), "Empty", kFlashMemory), kJobWritten);
  ASSERT_EQ(Pcl(Source(block), "Exact", kFlashMemory), kJobWritten);
  const std::string command = "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"1:\\pcl\\fonts\\";
  EXPECT_EQ(ReadBytes(job), kPclTicket + kFlashPclFolders + command + "Empty\" SIZE=0\r\n" + kUel +  //
                                kPclTicket + kFlashPclFolders + command + "Exact\" SIZE=8192\r\n" + block + kUel);
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
  ASSERT_EQ(disk.size(), flash.size());
  EXPECT_EQ(disk[0], "%!PS-Adobe-2.0");
  std::vector<std::string> differing;
  for (size_t i = 0; i < disk.size(); ++i)
    if (disk[i] != flash[i]) differing.insert(differing.end(), {disk[i], flash[i]});
  // The unit digit goes where the device's name ends.
  EXPECT_EQ(differing, (std::vector<std::string>{"/UNIT (%disk0%) def", "/UNIT (%cartridge0%) def",
                                                 "/UNIT_DIGIT 5 def", "/UNIT_DIGIT 10 def"}));
  // Every line ends with LF alone.
  EXPECT_EQ(PostScriptPrologue(kHardDisk).find('\r'), std::string::npos);
  EXPECT_EQ(PostScriptPrologue(kHardDisk).back(), '\n');
}

TEST_F(DownloadJobTest, PostScriptJobCarriesPrologueCallMarkersAndTheFontUnchanged) {
  const std::string font = "%!PS-AdobeFont-1.0: Courier\r\n" + BytePattern(9000) + "\n";
  ASSERT_EQ(PostScript(Source(font), "Courier", kFlashMemory), kJobWritten);
  ASSERT_EQ(PostScript(Source(""), "Empty"), kJobWritten);
  EXPECT_EQ(ReadBytes(job), PostScriptHeader("(Courier)", kFlashMemory) + font + PostScriptTrailer() +
                                PostScriptHeader("(Empty)") + PostScriptTrailer());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DownloadJobTest, PostScriptEndMarkerStaysALineOfItsOwn) {
  ASSERT_EQ(PostScript(Source("cleartomark"), "NoLineFeed"), kJobWritten);
  EXPECT_EQ(ReadBytes(job), PostScriptHeader("(NoLineFeed)") + "cleartomark\n" + PostScriptTrailer());
}

TEST_F(DownloadJobTest, PostScriptFontNameIsAnEscapedString) {
  EXPECT_EQ(PostScriptStringLiteral("Courier"), "(Courier)");
  EXPECT_EQ(PostScriptStringLiteral("a(b)c\\d"), "(a\\(b\\)c\\\\d)");
  EXPECT_EQ(PostScriptStringLiteral("x\r\n\x01\x7F\xE9%"), "(x\\015\\012\\001\\177\\351%)");
  // A name crafted to close the string and run its own code stays a name.
  ASSERT_EQ(PostScript(Source("x\n"), ") erasepage ("), kJobWritten);
  EXPECT_NE(ReadBytes(job).find(" (\\) erasepage \\()download_font\r\n"), std::string::npos);
}

// The printer would end the data at an end marker line and drop any other
// marker line.
TEST_F(DownloadJobTest, PostScriptSourceWithAMarkerLineLeavesNoJob) {
  ASSERT_EQ(PostScript(Source("first\n"), "First"), kJobWritten);
  const std::string before = ReadBytes(job);
  const std::string marker = "_FontDownload_EOF_";
  std::string acrossBlocks = std::string(4090, 'a') + "\n" + marker + "\nshowpage\n";
  for (const std::string& bytes :
       {marker + "\n", "line\n" + marker, "line\r" + marker + " tail\n", acrossBlocks,
        std::string("a\n_FontDownload_\nb\n")}) {
    boxes.shown.clear();
    EXPECT_EQ(PostScript(Source(bytes), "Crafted"), kJobSourceUnreadable);
    EXPECT_EQ(boxes.shown, std::vector<int>{kFileNotFoundText});
    EXPECT_EQ(ReadBytes(job), before);
  }
  // Only the start of a line ends the data on the printer.
  EXPECT_EQ(PostScript(Source("x" + marker + "\n_FontDownload\n"), "Harmless"), kJobWritten);
}

// What the printer stores of the lines, and a job opened with a password.
TEST_F(DownloadJobTest, PostScriptJobTellsWhatThePrinterStoresAndCarriesThePassword) {
  StoredCopy stored;
  ASSERT_EQ(WritePostScriptDownloadJob(Source("a\r\nb\rc").c_str(), "F", kHardDisk, OpenJobFile(job)->descriptor(),
                                       boxes, &stored, 4711),
            kJobWritten);
  EXPECT_EQ(stored.bytes, 6u);
  EXPECT_EQ(stored.head, "a\nb\nc\n");
  const std::string written = ReadBytes(job);
  EXPECT_TRUE(written.starts_with(kUel + "@PJL\r\n@PJL JOB PASSWORD=4711\r\n@PJL FSMKDIR")) << written.substr(0, 80);
  EXPECT_TRUE(written.ends_with("_FontDownload_EOF_\n" + kUel + "@PJL EOJ\r\n" + kUel));
}

// A resource holding the Universal Exit Language would end the job there
// and have the rest run as PJL: every job that embeds one refuses it, by
// the file's name, and leaves nothing in the job file.
TEST_F(DownloadJobTest, ResourcesHoldingTheUniversalExitLanguageAreRefusedByName) {
  const std::string hostile = Source(std::string(4093, 'a') + kUel + "@PJL FSDELETE NAME=\"0:\\x\"\r\n", "evil.pfa");
  const auto jobFile = OpenJobFile(job);
  const int descriptor = jobFile->descriptor();
  EXPECT_EQ(WritePostScriptDownloadJob(hostile.c_str(), "F", kHardDisk, descriptor, boxes), kJobSourceUnreadable);
  EXPECT_EQ(WritePostScriptFormJob(hostile.c_str(), "F", kHardDisk, descriptor, boxes), kJobSourceUnreadable);
  EXPECT_EQ(WritePclDownloadJob(hostile.c_str(), "F", kHardDisk, descriptor, boxes), kJobSourceUnreadable);
  EXPECT_EQ(WritePclMacroJob(hostile.c_str(), 1, kHardDisk, descriptor, boxes), kJobSourceUnreadable);
  EXPECT_TRUE(JobIsEmpty());
  EXPECT_EQ(boxes.texts, std::vector<std::string>(4, UelInSourceText("evil.pfa")));
  // A print file is a job of its own: it goes as it is.
  EXPECT_EQ(WritePrintFileJob(hostile.c_str(), descriptor, boxes), kJobWritten);
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
  const std::string size = " SIZE=" + std::to_string(macro.size()) + "\r\n";
  EXPECT_EQ(ReadBytes(job), kPclTicket + "@PJL FSMKDIR NAME=\"0:\\pcl\"\r\n@PJL FSMKDIR NAME=\"0:\\pcl\\macros\"\r\n" +
                                "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\macros\\42\"" + size + macro +
                                kUel + kPclTicket +
                                "@PJL FSMKDIR NAME=\"1:\\pcl\"\r\n@PJL FSMKDIR NAME=\"1:\\pcl\\macros\"\r\n" +
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
    std::vector<std::string> differing;
    for (size_t i = 0; i < form.size(); ++i)
      if (form[i] != font[i]) differing.push_back(form[i]);
    EXPECT_EQ(differing, (std::vector<std::string>{
                             "/download_form", "/FOLDER (Resource/Form/) def",
                             "{fontName cvn /Form findresource pop} stopped {ERROR_ACTION} if  % test the form file"}));
  }
  const std::string form = "/Logo << /FormType 1 >> /Form defineresource pop\n";
  ASSERT_EQ(WritePostScriptFormJob(Source(form).c_str(), "Logo", kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  EXPECT_EQ(ReadBytes(job), kUel + "@PJL\r\n@PJL FSMKDIR NAME=\"0:\\Resource\"\r\n"
                                "@PJL FSMKDIR NAME=\"0:\\Resource\\Form\"\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n" +
                                PostScriptFormPrologue(kHardDisk) + " (Logo)download_form\r\n_FontDownload_\n" + form +
                                PostScriptTrailer());
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
