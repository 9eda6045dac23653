// Job preparation against a scripted converter and scripted questions.
#include "download/prepare_resource_job.h"

#include <gtest/gtest.h>

#include <cstring>

#include "download/converter_operations.h"
#include "download/download_job_ids.h"
#include "download/resource_name.h"
#include "job_test_support.h"
#include "temp_dir.h"

namespace {

using Files = std::vector<std::string>;

// Writes "<operation> of <input>" to each output it is asked for, unless
// told to fail that operation; records every call.
class ScriptedConverter final : public ConverterOperations {
 public:
  int ClassifyFontFile(const char* path, char* fontName, ResourceKindInfo* kindInfo) override {
    calls.push_back("classify " + Name(path));
    if (failClassify || !std::filesystem::exists(path)) return 1;
    std::strcpy(fontName, type1Name);
    *kindInfo = {3, 1};
    return 0;
  }
  int ConvertPfbToPfa(const char* in, const char* out) override { return Convert("pfa", in, out); }
  int ConvertTrueTypeToType1(const char* in, const char* out) override {
    return Convert("type1", in, out);
  }
  int FinishType1Conversion(const char* in, const char* out, int reserved) override {
    EXPECT_EQ(reserved, 0);
    Convert("finish", in, out);
    return 1;  // the result is not relied on
  }
  int ConvertTrueTypeToPclTrueType(const char* in, const char* out) override {
    return Convert("pcl", in, out);
  }

  std::string failing;  // the operation that fails
  bool failClassify = false;
  const char* type1Name = "ConvertedSans";
  std::vector<std::string> calls;

 private:
  static std::string Name(const char* path) { return std::filesystem::path(path).filename(); }
  int Convert(const std::string& operation, const char* in, const char* out) {
    calls.push_back(operation + " " + Name(in) + " " + Name(out));
    if (operation == failing) return 1;
    WriteBytes(out, operation + " of " + Name(in) + "\n");
    return std::filesystem::exists(out) ? 0 : 1;  // an output it could not write fails
  }
};

class PrepareResourceJobTest : public ::testing::Test {
 protected:
  int Prepare(const std::string& fileName, ResourceKindInfo kind, const char* name = "Font",
              bool exportMode = false) {
    return PrepareIn(context, fileName, kind, name, exportMode);
  }
  int PrepareIn(ResourceJobContext& target, const std::string& fileName, ResourceKindInfo kind,
                const char* name = "Font", bool exportMode = false) {
    const std::string path = fonts.file(fileName);
    if (!std::filesystem::exists(path)) WriteBytes(path, "font " + fileName + "\n");
    std::memset(fontName, 0, sizeof fontName);
    std::strcpy(fontName, name);
    kindInfo = kind;
    return PrepareResourceJob(target, path.c_str(), fontName, kindInfo, exportMode);
  }
  std::string JobDirFile(const char* name) const { return jobDir + "/" + name; }
  std::string Job(const char* name = kJobFileName) const { return ReadBytes(JobDirFile(name)); }
  Files JobDirFiles() const { return FilesIn(jobDir); }

  TempDir fonts;
  std::string jobDir = MakePrivateFolder(fonts.file("jobs"));
  ScriptedConverter converter;
  ScriptedQuestions questions;
  RecordingBoxes boxes;
  ResourceJobContext context{converter, questions, boxes, jobDir};
  char fontName[GLY_FONT_NAME_SIZE] = {};
  ResourceKindInfo kindInfo{};
};

bool HasPostScriptJob(const std::string& job, const std::string& call, const std::string& data) {
  return job.find(" " + call + "download_font\r\n_FontDownload_\n" + data + "_FontDownload_EOF_\n\x1B%-12345X") !=
             std::string::npos &&
         job.rfind("\x1B%-12345X@PJL\r\n", 0) == 0;
}

bool HasPclJob(const std::string& job, const std::string& name, const std::string& data) {
  return job.find("NAME=\"0:\\pcl\\fonts\\" + name + "\" SIZE=" + std::to_string(data.size()) +
                  "\r\n" + data + "\x1B%-12345X") != std::string::npos;
}

TEST_F(PrepareResourceJobTest, PostScriptAndPclFontsBecomeOneJobInTheJobFile) {
  ASSERT_EQ(Prepare("text.pfa", {3, 1}, "Courier"), kResourceJobDone);
  EXPECT_TRUE(HasPostScriptJob(Job(), "(Courier)", "font text.pfa\n"));
  EXPECT_EQ(context.jobFiles.postScript->path(), JobDirFile(kJobFileName));
  EXPECT_TRUE(converter.calls.empty());

  ASSERT_EQ(Prepare("binary.pfb", {3, 0x8001}, "Times"), kResourceJobDone);
  EXPECT_EQ(converter.calls, Files{"pfa binary.pfb tmpPfa.tmp"});
  EXPECT_TRUE(HasPostScriptJob(Job(), "(Times)", "pfa of binary.pfb\n"));
  EXPECT_EQ(JobDirFiles(), Files{kJobFileName});  // the earlier job and the scratch file are gone

  ASSERT_EQ(Prepare("font.sfp", {2, 10}, "Courier10"), kResourceJobDone);
  EXPECT_EQ(context.jobFiles.pcl->path(), JobDirFile(kJobFileName));
  EXPECT_TRUE(HasPclJob(Job(), "Courier10", "font font.sfp\n"));
  EXPECT_EQ(JobDirFiles(), Files{kJobFileName});
  EXPECT_EQ(questions.formMacroQuestions, 0);
  EXPECT_EQ(questions.conversionQuestions, 0);
}

TEST_F(PrepareResourceJobTest, TrueTypeConvertsByTheChoiceInTheConvertersOrder) {
  questions.answers = {kToType1, kToPcl, kBoth};
  ASSERT_EQ(Prepare("sans.ttf", {1, 0}, "Sans"), kResourceJobDone);
  EXPECT_EQ(converter.calls, (Files{"type1 sans.ttf tmpPfa.tmp", "finish tmpPfa.tmp tmpPfb.pfa",
                                    "classify tmpPfb.pfa"}));
  // The converted font's classification replaces the caller's.
  EXPECT_STREQ(fontName, "ConvertedSans");
  EXPECT_EQ(kindInfo.kind, 3);
  EXPECT_TRUE(HasPostScriptJob(Job(), "(ConvertedSans)", "finish of tmpPfa.tmp\n"));
  EXPECT_EQ(JobDirFiles(), Files{kJobFileName});

  converter.calls.clear();
  ASSERT_EQ(Prepare("sans.ttf", {1, 0}, "Sans"), kResourceJobDone);
  // The PCL font is classified for the name the printer will list it by.
  EXPECT_EQ(converter.calls, (Files{"pcl sans.ttf tmpPcl.tmp", "classify tmpPcl.tmp"}));
  EXPECT_TRUE(HasPclJob(Job(), "Sans", "pcl of sans.ttf\n"));
  EXPECT_EQ(JobDirFiles(), Files{kJobFileName});

  converter.calls.clear();
  ASSERT_EQ(Prepare("sans.ttf", {1, 0}, "Sans"), kResourceJobDone);
  EXPECT_EQ(converter.calls, (Files{"type1 sans.ttf tmpPfa.tmp", "finish tmpPfa.tmp tmpPfb.pfa",
                                    "classify tmpPfb.pfa", "pcl sans.ttf tmpPcl.tmp", "classify tmpPcl.tmp"}));
  // What each job stores where, for the printer to be asked afterwards.
  ASSERT_EQ(context.sent.size(), 2u);
  EXPECT_EQ(context.sent[0].kind, SentKind::kPostScriptFont);
  EXPECT_EQ(context.sent[0].printerPath, "0:\\fonts\\ConvertedSans");
  EXPECT_EQ(context.sent[1].kind, SentKind::kPclFont);
  EXPECT_EQ(context.sent[1].printerPath, "0:\\pcl\\fonts\\ConvertedSans");
  EXPECT_EQ(context.jobFiles.postScript->path(), JobDirFile(kJobFileName));
  EXPECT_EQ(context.jobFiles.pcl->path(), JobDirFile(kSecondJobFileName));
  EXPECT_TRUE(HasPostScriptJob(Job(), "(ConvertedSans)", "finish of tmpPfa.tmp\n"));
  // The PCL half carries the name of the converted Type 1 font.
  EXPECT_TRUE(HasPclJob(Job(kSecondJobFileName), "ConvertedSans", "pcl of sans.ttf\n"));
  EXPECT_EQ(JobDirFiles(), (Files{kSecondJobFileName, kJobFileName}));
  EXPECT_EQ(questions.conversionQuestions, 3);
}

TEST_F(PrepareResourceJobTest, FailedConversionsWriteNoJobAndLeaveNoScratchFile) {
  struct Case {
    ResourceKindInfo kind;
    ConversionOptions choice;
    std::string failing;
    bool failClassify;
    int result;
    Files left;
  };
  for (const Case& c : {
           Case{{3, 0x8001}, {}, "pfa", false, kPostScriptConversionFailed, {}},
           Case{{1, 0}, kToType1, "type1", false, kTrueTypeConversionFailed, {}},
           Case{{1, 0}, kToType1, "finish", false, kTrueTypeConversionFailed, {}},
           Case{{1, 0}, kToType1, "", true, kTrueTypeConversionFailed, {}},
           Case{{1, 0}, kToPcl, "pcl", false, kTrueTypeConversionFailed, {}},
           Case{{1, 0}, kBoth, "type1", false, kTrueTypeConversionFailed, {}},
           // The Type 1 half of Both stays written when the PCL half fails.
           Case{{1, 0}, kBoth, "pcl", false, kTrueTypeConversionFailed, {kJobFileName}},
       }) {
    const std::string label = c.failing + (c.failClassify ? "classify" : "");
    converter.failing = c.failing;
    converter.failClassify = c.failClassify;
    questions.answers = {c.choice};
    context.conversion.askConversion = true;
    EXPECT_EQ(Prepare("font.pcl", c.kind), c.result) << label;
    EXPECT_EQ(JobDirFiles(), c.left) << label;
    // A failed resource asks nothing more.
    EXPECT_EQ(questions.formMacroQuestions, 0) << label;
  }
}

TEST_F(PrepareResourceJobTest, ConversionQuestionIsAskedUntilApplyToAllIsConfirmed) {
  // Cancelled with no earlier choice: nothing to write, and the next
  // TrueType font asks again.
  ASSERT_EQ(Prepare("a.ttf", {1, 0}), kResourceJobDone);
  EXPECT_TRUE(converter.calls.empty());
  EXPECT_TRUE(JobDirFiles().empty());
  EXPECT_TRUE(context.conversion.askConversion);

  questions.answers = {kToPcl};
  ASSERT_EQ(Prepare("b.ttf", {1, 0}), kResourceJobDone);
  // Cancelled later: the earlier choice stands.
  ASSERT_EQ(Prepare("c.ttf", {1, 0}), kResourceJobDone);
  EXPECT_EQ(converter.calls,
            (Files{"pcl b.ttf tmpPcl.tmp", "classify tmpPcl.tmp", "pcl c.ttf tmpPcl.tmp", "classify tmpPcl.tmp"}));
  EXPECT_EQ(questions.conversionQuestions, 3);

  questions.answers = {{true, false, false, true}};
  ASSERT_EQ(Prepare("d.ttf", {1, 0}), kResourceJobDone);
  ASSERT_EQ(Prepare("e.ttf", {1, 0}), kResourceJobDone);
  EXPECT_EQ(questions.conversionQuestions, 4);
  EXPECT_FALSE(context.conversion.askConversion);
  EXPECT_TRUE(context.conversion.toType1);
  EXPECT_FALSE(context.conversion.toPclTrueType);
}

// A PCL font is a font whatever its name; a ".pcl" file that is not one is
// a macro, stored under the ID asked once per run.
TEST_F(PrepareResourceJobTest, MacroIsStoredUnderTheIdTypedAskedOncePerResource) {
  ASSERT_EQ(Prepare("LOGO.PCL", {2, 0}), kResourceJobDone);
  EXPECT_EQ(questions.formMacroQuestions, 0);

  questions.names = {"42"};
  ASSERT_EQ(Prepare("other.pcl", {0, 0}), kResourceJobDone);
  EXPECT_EQ(questions.askedNames, std::vector<ResourceNameKind>{ResourceNameKind::kMacroId});
  EXPECT_NE(Job().find("NAME=\"0:\\pcl\\macros\\42\" SIZE=15\r\nfont other.pcl\n\x1B%-12345X"), std::string::npos);
  ASSERT_EQ(context.sent.size(), 1u);
  const SentResource& placed = context.sent[0];
  EXPECT_EQ(placed.kind, SentKind::kPclMacro);
  EXPECT_EQ(placed.name, "42");
  EXPECT_EQ(placed.printerPath, "0:\\pcl\\macros\\42");
  EXPECT_EQ(placed.jobFile, context.jobFiles.pcl);
  // The next printer of the download gets the same macro without a question.
  ASSERT_EQ(Prepare("other.pcl", {0, 0}), kResourceJobDone);
  EXPECT_EQ(questions.formMacroQuestions, 1);
}

TEST_F(PrepareResourceJobTest, FormAndPrintFileGoAsTheirOwnJobsAndACancelledNameSendsNothing) {
  questions.names = {"Letterhead"};
  context.downloadLocation = kFlashMemory;
  ASSERT_EQ(Prepare("letter.frm", {0, 0}), kResourceJobDone);
  EXPECT_EQ(questions.askedNames, std::vector<ResourceNameKind>{ResourceNameKind::kFormName});
  EXPECT_NE(Job().find(PostScriptFormPrologue(kFlashMemory) + " (Letterhead)download_form\r\n"), std::string::npos);
  ASSERT_EQ(context.sent.size(), 1u);
  EXPECT_EQ(context.sent[0].printerPath, "1:\\Resource\\Form\\Letterhead");
  EXPECT_EQ(context.sent[0].jobFile, context.jobFiles.postScript);

  ASSERT_EQ(Prepare("page.PRN", {0, 0}), kResourceJobDone);
  EXPECT_EQ(Job(), "font page.PRN\n");
  EXPECT_EQ(context.sent[0].kind, SentKind::kPrintFile);

  // Cancelled, or answered with what no printer could store under.
  questions.names = {"not an id"};
  EXPECT_EQ(Prepare("logo.pcl", {0, 0}), kResourceNameNotGiven);
  EXPECT_EQ(Prepare("logo2.frm", {0, 0}), kResourceNameNotGiven);
  EXPECT_TRUE(JobDirFiles().empty());
  EXPECT_TRUE(context.sent.empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(ResourceNameTest, MacroIdsAreNumbersUpTo32767AndFormNamesFitAFileName) {
  for (const char* id : {"0", "42", "32767", "007"})
    EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kMacroId, id), "") << id;
  EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kMacroId, ""), "Type the macro ID: a number from 0 to 32767.");
  EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kMacroId, "4x"),
            "The macro ID is a number from 0 to 32767, not \"4x\".");
  for (const char* id : {"-1", "+1", " 1", "1.0"})
    EXPECT_NE(ResourceNameProblem(ResourceNameKind::kMacroId, id), "") << id;
  EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kMacroId, "99999999999999999999"),
            "The macro ID is a number from 0 to 32767: 99999999999999999999 is too large.");

  for (const char* name : {"Letterhead", "form_2-b.v1"})
    EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kFormName, name), "") << name;
  EXPECT_EQ(ResourceNameProblem(ResourceNameKind::kFormName, ""), "Type the form's name.");
  for (const char* name : {"..", ".hidden", "a/b", "a\\b", "a b", "a)b"})
    EXPECT_NE(ResourceNameProblem(ResourceNameKind::kFormName, name), "") << name;
  EXPECT_NE(ResourceNameProblem(ResourceNameKind::kFormName, std::string(kMostFormNameLength + 1, 'a')), "");
}

TEST_F(PrepareResourceJobTest, ExportAppendsEveryJobToTheExportFile) {
  const std::string exportFile = fonts.file("fonts.prn");
  WriteBytes(exportFile, "earlier\n");
  const std::shared_ptr<JobFile> exportJobs = OpenJobFile(exportFile);
  context.jobFiles = {exportJobs, exportJobs};
  context.downloadLocation = kFlashMemory;
  questions.answers = {kBoth};
  ASSERT_EQ(Prepare("a.pfa", {3, 1}, "A", true), kResourceJobDone);
  ASSERT_EQ(Prepare("b.sfp", {2, 15}, "B", true), kResourceJobDone);
  ASSERT_EQ(Prepare("c.ttf", {1, 0}, "C", true), kResourceJobDone);
  EXPECT_EQ(context.jobFiles.postScript, exportJobs);
  EXPECT_EQ(context.jobFiles.pcl, exportJobs);
  EXPECT_TRUE(JobDirFiles().empty());

  const std::string jobs = ReadBytes(exportFile);
  EXPECT_EQ(jobs.rfind("earlier\n\x1B%-12345X@PJL\r\n", 0), 0u);
  const size_t a = jobs.find(" (A)download_font");
  const size_t b = jobs.find("\"1:\\pcl\\fonts\\B\"");
  const size_t c1 = jobs.find(" (ConvertedSans)download_font");
  const size_t c2 = jobs.find("\"1:\\pcl\\fonts\\ConvertedSans\"");
  EXPECT_TRUE(a < b && b < c1 && c1 < c2 && c2 != std::string::npos) << jobs;
  EXPECT_NE(jobs.find("/UNIT (%cartridge0%) def"), std::string::npos);
}

TEST_F(PrepareResourceJobTest, DownloadStartsEachResourceWithEmptyTemporaryJobFiles) {
  // Left by a run that was killed, and an export file named by the export
  // before this download.
  WriteBytes(JobDirFile(kJobFileName), "stale job\n");
  WriteBytes(JobDirFile(kSecondJobFileName), "stale second job\n");
  const std::shared_ptr<JobFile> exportJobs = OpenJobFile(fonts.file("export.prn"));
  context.jobFiles = {exportJobs, exportJobs};
  ASSERT_EQ(Prepare("font.sfp", {2, 10}, "Courier10"), kResourceJobDone);
  EXPECT_EQ(Job().rfind("\x1B%-12345X@PJL\n", 0), 0u);
  EXPECT_EQ(JobDirFiles(), Files{kJobFileName});
  // The export file is let go: nothing later writes into it.
  EXPECT_EQ(context.jobFiles.pcl->path(), JobDirFile(kJobFileName));
  EXPECT_EQ(context.jobFiles.postScript, nullptr);
  EXPECT_TRUE(ReadBytes(exportJobs->path()).empty());
}

TEST_F(PrepareResourceJobTest, JobThatCouldNotBeWrittenIsNotReportedAsDone) {
  // A PCL name the job cannot carry, and an export file that takes no bytes.
  EXPECT_EQ(Prepare("font.sfp", {2, 10}, "Bad\"Name"), kResourceJobNotWritten);
  EXPECT_EQ(boxes.shown, std::vector<int>{download_job::kInputErrorText});
  const std::shared_ptr<JobFile> full = OpenJobFile("/dev/full");
  context.jobFiles = {full, full};
  questions.answers = {kBoth};
  EXPECT_EQ(Prepare("sans.ttf", {1, 0}, "Sans", true), kResourceJobWriteFailed);
  // The PCL half is not even converted once the first half failed.
  EXPECT_EQ(converter.calls.back(), "classify tmpPfb.pfa");
  EXPECT_TRUE(JobDirFiles().empty());
}

TEST_F(PrepareResourceJobTest, WithoutAJobFolderNoJobIsWrittenAnywhere) {
  // Paths of an empty folder name must not land in the working folder or
  // the root folder, which the superuser could write.
  const std::string working = fonts.file("working");
  std::filesystem::create_directory(working);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(working);
  ResourceJobContext none{converter, questions, boxes, ""};
  questions.answers = {kBoth};
  EXPECT_EQ(PrepareIn(none, "text.pfa", {3, 1}, "Courier"), kResourceJobNotWritten);
  EXPECT_EQ(PrepareIn(none, "binary.pfb", {3, 0x8001}, "Times"), kPostScriptConversionFailed);
  EXPECT_EQ(PrepareIn(none, "sans.ttf", {1, 0}, "Sans"), kTrueTypeConversionFailed);
  std::filesystem::current_path(before);
  EXPECT_TRUE(FilesIn(working).empty());
  for (const char* name : {kJobFileName, kSecondJobFileName, "tmpPfa.tmp", "tmpPcl.tmp"})
    EXPECT_FALSE(std::filesystem::exists(std::string("/") + name)) << name;
}

}  // namespace
