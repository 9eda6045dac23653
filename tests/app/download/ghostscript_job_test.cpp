// An independent check of the PostScript download job: Ghostscript runs the
// job as a printer would, with a short prolog standing in for the printer's
// disk and flash devices, and afterwards finds the stored font by name.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

#include "library_job_test.h"

namespace {

// Ghostscript stands in for a printer's disk and flash devices: file names
// on the units GlyDevices (defined ahead of this) lists are taken to host
// folders, and those units report a mounted file system; the other disk and
// cartridge units exist without one, as on a printer. A name without a
// device is on the default device, the printer's working folder. As on a
// printer, a rename cannot cross devices, and a name holding a NUL names
// no file.
constexpr char kDeviceProlog[] = R"(
/GlyConcat {
  2 copy length exch length add string
  dup 0 4 index putinterval
  dup 3 index length 3 index putinterval
  3 1 roll pop pop
} bind def
/GlyMapPath {
  dup type /stringtype eq {
    (\000) search { pop pop pop (/nonexistent-gly/nul-in-name) } if
    GlyDevices {
      aload pop exch 2 index exch anchorsearch
      { pop GlyConcat exch pop exit } { pop pop } ifelse
    } forall
  } if
} bind def
/GlyIsDevice {
  false GlyDevices { 0 get 2 index exch anchorsearch { pop pop pop true } { pop } ifelse } forall
  exch pop
} bind def
/GlyDeviceOf {
  /GlyName exch def ()
  GlyDevices { 0 get dup GlyName exch anchorsearch { pop pop exch pop exit } { pop pop } ifelse } forall
} bind def
/file { exch GlyMapPath exch //file } bind def
/deletefile { GlyMapPath //deletefile } bind def
/renamefile {
  2 copy GlyDeviceOf exch GlyDeviceOf ne { pop (/nonexistent-gly/cross-device) } if
  GlyMapPath exch GlyMapPath exch //renamefile
} bind def
/status { GlyMapPath //status } bind def
/run { GlyMapPath //run } bind def
/GlyIsUnit {
  dup (%disk) anchorsearch { pop pop pop true }
  { pop (%cartridge) anchorsearch { pop pop true } { pop false } ifelse } ifelse
} bind def
/currentdevparams {
  dup GlyIsDevice { pop << /HasNames true /Mounted true >> }
  { dup GlyIsUnit { pop << /HasNames true /Mounted false >> } { //currentdevparams } ifelse } ifelse
} bind def
)";

struct CommandResult {
  int exitCode = -1;
  std::string output;
};

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult result;
  std::FILE* pipe = popen((commandLine + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[512];
  for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    result.output.append(buffer, got);
  }
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

class GhostscriptJobTest : public LibraryJobTest {
 protected:
  GhostscriptJobTest() {
    for (const std::string& folder : {work, disk + "/fonts", flash + "/fonts"}) {
      std::filesystem::create_directories(folder);
    }
    UseDevices({{"%disk0%", disk}, {"%cartridge0%", flash}});
  }

  // The units with a file system, and the host folder of each.
  void UseDevices(const std::vector<std::pair<std::string, std::string>>& units) {
    std::string devices = "/GlyDevices [";
    for (const auto& [unit, folder] : units)
      devices += " [" + PostScriptStringLiteral(unit) + " " + PostScriptStringLiteral(folder + "/") + "]";
    WriteBytes(dir.file("devices.ps"), devices + " ] def\n" + kDeviceProlog);
  }

  // The printer's PJL hands the PostScript of each job of the file to the
  // interpreter, which runs it from the printer's working folder.
  void RunJob(const std::string& jobFile) {
    constexpr std::string_view kEnter = "@PJL ENTER LANGUAGE=POSTSCRIPT\r\n";
    const std::string job = ReadBytes(jobFile);
    std::string program;
    for (size_t at = job.find(kEnter); at != std::string::npos; at = job.find(kEnter, at)) {
      at += kEnter.size();
      program += job.substr(at, job.find("\x1B%-12345X", at) - at);
    }
    ASSERT_FALSE(program.empty()) << "no PostScript in the job";
    WriteBytes(dir.file("program.ps"), program);
    const CommandResult gs =
        RunCommand("cd " + Quote(work) + " && gs -q -dNOSAFER -dNODISPLAY -dBATCH " +
                   Quote(dir.file("devices.ps")) + " - < " + Quote(dir.file("program.ps")));
    EXPECT_EQ(gs.exitCode, 0) << gs.output;
    EXPECT_TRUE(FilesIn(work).empty()) << "a file was written on the default device";
  }

  // The full name of the font Ghostscript finds under `fontName` with only
  // `fontsFolder` to search; a substitute when the font is not there.
  static std::string FoundFullName(const std::string& fontsFolder, const std::string& fontName) {
    const CommandResult gs = RunCommand(
        "gs -q -dNOSAFER -dNODISPLAY -dBATCH -dNOPLATFONTS -sFONTPATH=" + Quote(fontsFolder) +
        " -c '/" + fontName + " findfont /FontInfo get /FullName get ='");
    EXPECT_EQ(gs.exitCode, 0) << gs.output;
    return gs.output.substr(0, gs.output.find('\n'));
  }

  std::string work = dir.file("printer");
  std::string disk = dir.file("disk0");
  std::string flash = dir.file("cartridge0");
};

TEST_F(GhostscriptJobTest, PrinterStoresTheFontOnItsDeviceWhereFindfontFindsIt) {
  // A real Type 1 font under a name and full name no font of Ghostscript's
  // own carries, so that only the stored one can answer to them.
  const std::string pfb = dir.file("GlyTestSerif.pfb");
  const CommandResult renamed = RunCommand(
      "t1disasm /usr/share/fonts/X11/Type1/NimbusRoman-Regular.pfb | sed -e "
      "'s/NimbusRoman-Regular/GlyTestSerif/g' -e 's/Nimbus Roman Regular/Gly Test Serif/g' | "
      "t1asm -b > " +
      Quote(pfb));
  ASSERT_EQ(renamed.exitCode, 0) << renamed.output;
  EXPECT_EQ(FoundFullName(disk + "/fonts", "GlyTestSerif"), "Nimbus Roman Regular");

  ASSERT_EQ(ClassifyAndPrepare(pfb, kHardDisk), kResourceJobDone);
  ASSERT_EQ(std::string(fontName), "GlyTestSerif");
  RunJob(appDir + "/" + kJobFileName);
  const std::string pfa = dir.file("GlyTestSerif.pfa");
  ASSERT_EQ(ConvertPfbToPfa(pfb.c_str(), pfa.c_str()), 0);
  const std::string stored = ReadBytes(disk + "/fonts/GlyTestSerif");
  EXPECT_TRUE(stored == WithoutCarriageReturns(ReadBytes(pfa)))
      << "the stored font (" << stored.size() << " bytes) is not the font's lines";
  EXPECT_EQ(FoundFullName(disk + "/fonts", "GlyTestSerif"), "Gly Test Serif");
  EXPECT_TRUE(FilesIn(flash + "/fonts").empty());

  // A TrueType font made Type 1 goes to flash memory the same way.
  questions.answers = {kToType1};
  ASSERT_EQ(ClassifyAndPrepare("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                               kFlashMemory),
            kResourceJobDone);
  const std::string converted = fontName;
  RunJob(appDir + "/" + kJobFileName);
  EXPECT_EQ(FilesIn(flash + "/fonts"), std::vector<std::string>{converted});
  EXPECT_EQ(FoundFullName(flash + "/fonts", converted), "Liberation Sans");
}

// The disk in unit 1, unit 0 empty: the job finds unit 1, writes its
// scratch file there and renames it within that device. Without any unit
// holding a file system, the data is read and nothing is stored anywhere.
TEST_F(GhostscriptJobTest, TheFirstUnitWithAFileSystemTakesTheFontAndItsScratchFile) {
  const std::string disk1 = dir.file("disk1");
  std::filesystem::create_directories(disk1 + "/fonts");
  UseDevices({{"%disk1%", disk1}});
  const std::string pfa = dir.file("font.pfa");
  ASSERT_EQ(ConvertPfbToPfa("/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", pfa.c_str()), 0);
  const std::string job = dir.file("job.ps");
  ASSERT_EQ(WritePostScriptDownloadJob(pfa.c_str(), "GlySans", kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  RunJob(job);
  EXPECT_EQ(FilesIn(disk1 + "/fonts"), std::vector<std::string>{"GlySans"});
  EXPECT_EQ(ReadBytes(disk1 + "/fonts/GlySans"), WithoutCarriageReturns(ReadBytes(pfa)));
  EXPECT_EQ(FilesIn(disk1), std::vector<std::string>{"fonts"}) << "the scratch file stayed";
  EXPECT_TRUE(FilesIn(disk + "/fonts").empty());

  std::filesystem::remove(disk1 + "/fonts/GlySans");
  UseDevices({});
  RunJob(job);
  EXPECT_TRUE(FilesIn(disk1 + "/fonts").empty());
}

TEST_F(GhostscriptJobTest, FontNameWithPostScriptDelimitersArrivesUnchanged) {
  const std::string pfa = dir.file("font.pfa");
  ASSERT_EQ(ConvertPfbToPfa("/usr/share/fonts/X11/Type1/NimbusSans-Regular.pfb", pfa.c_str()), 0);
  const std::string job = dir.file("job.ps");
  const char* name = "Odd(Name)\\) showpage (";
  ASSERT_EQ(WritePostScriptDownloadJob(pfa.c_str(), name, kHardDisk, OpenJobFile(job)->descriptor(), boxes),
            kJobWritten);
  RunJob(job);
  EXPECT_EQ(FilesIn(disk + "/fonts"), std::vector<std::string>{name});
}

TEST_F(GhostscriptJobTest, PrinterStoresTheFormWhereFindresourceFindsIt) {
  // A PostScript device makes the folders of a file's name; the host
  // folder standing in for it needs making.
  std::filesystem::create_directories(disk + "/Resource/Form");
  const std::string form = dir.file("letter.frm");
  WriteBytes(form,
             "/GlyLetter << /FormType 1 /BBox [0 0 10 10] /Matrix [1 0 0 1 0 0] /PaintProc {pop} /GlyMark 7 >>\n"
             "/Form defineresource pop\n");
  questions.names = {"GlyLetter"};
  ASSERT_EQ(ClassifyAndPrepare(form), -1) << "not a font";
  kindInfo = {};
  ASSERT_EQ(PrepareResourceJob(context, form.c_str(), fontName, kindInfo, false), kResourceJobDone);
  RunJob(appDir + "/" + kJobFileName);
  EXPECT_EQ(ReadBytes(disk + "/Resource/Form/GlyLetter"), ReadBytes(form));

  // Given that device's resources, Ghostscript loads the form by its name.
  const CommandResult gs = RunCommand("gs -q -dNOSAFER -dNODISPLAY -dBATCH -sGenericResourceDir=" +
                                      Quote(disk + "/Resource/") +
                                      " -c '/GlyLetter /Form findresource /GlyMark get ='");
  // (It warns that the folder holds no resource category but Form.)
  EXPECT_TRUE(gs.output.ends_with("\n7\n")) << gs.output;
}

}  // namespace
