// The PostScript download jobs: PJL that makes the folder and enters
// PostScript, a prologue that defines `download_font` (or `download_form`),
// the call with the resource's name, and the resource's lines between two
// marker lines. On the printer the procedure copies every
// line up to the end marker into a scratch file, renames it into the
// device's fonts folder (or its "%Resource/Form/" folder, where `findresource`
// looks for a form not in memory) and tries to find the resource there.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "download/append_download_job.h"
#include "download/download_job.h"
#include "download/pjl_job_lines.h"

namespace {

constexpr std::string_view kMarker = "_FontDownload_";
constexpr std::string_view kDataMarker = "_FontDownload_\n";
constexpr std::string_view kEndMarker = "_FontDownload_EOF_";
// The PJL around the PostScript program: the printer's PJL checks the job
// password and makes the folder before the program runs.
constexpr std::string_view kPjlStart = "\x1B%-12345X@PJL\r\n";
constexpr std::string_view kEnterPostScript = "@PJL ENTER LANGUAGE=POSTSCRIPT\r\n";
constexpr std::string_view kUniversalExitLanguage = "\x1B%-12345X";

// Prologue lines 1 to 6, before the procedure's name.
constexpr std::string_view kPrologueStart[] = {
    "%!PS-Adobe-2.0",
    "%%Title:writetodisk.ps",
    "%%OSLbegin",
    "%%OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE",
    "%%OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"",
    "%%OSLend",
};
// After the procedure's name.
constexpr std::string_view kPrologueVariables[] = {
    "{",
    "/fontName exch def",
    "/buff 6000 string def",
    "/ERROR_ACTION {} bind def",
};
// Tries the units of UNIT from 0 to 9 and keeps the first that holds a
// mounted file system with named files as DEVICE (null when none does):
// a printer may have a unit 0 without a disk in it, and every unit exists
// as a device whether or not a disk stands behind it.
constexpr std::string_view kPrologueUnitSearch[] = {
    "/DEVICE null def",
    "0 1 9 {",
    "UNIT exch UNIT_DIGIT exch 48 add put",
    "UNIT {currentdevparams} stopped",
    "{ pop false }",
    "{ dup /HasNames known { dup /HasNames get } { false } ifelse",
    "exch dup /Mounted known { /Mounted get } { pop true } ifelse and }",
    "ifelse",
    "{ /DEVICE UNIT dup length string copy def exit } if",
    "} for",
};
// Without a unit to store on, the data is read up to its end marker and
// dropped, so that none of it runs as a program.
constexpr std::string_view kPrologueNoDevice[] = {
    "DEVICE null eq",
    "{",
    "{ currentfile buff readline",
    "{ (_FontDownload_EOF_) anchorsearch { pop pop exit } { pop } ifelse }",
    "{ pop exit } ifelse",
    "} loop",
    "ERROR_ACTION",
    "}",
    "{",
};
// The target and scratch paths, each a string of exactly its length (a
// padded one would name another file): the scratch file on the same unit
// as the target, since a rename cannot cross devices.
constexpr std::string_view kProloguePaths[] = {
    "/fileName DEVICE length FOLDER length add fontName length add string def",
    "fileName 0 DEVICE putinterval",
    "fileName DEVICE length FOLDER putinterval",
    "fileName DEVICE length FOLDER length add fontName putinterval %final name",
    "/scratch_file DEVICE length 13 add string def",
    "scratch_file 0 DEVICE putinterval",
    "scratch_file DEVICE length (tmp_font_file) putinterval",
};
// Copy the job's lines up to the end marker, then move the scratch file
// into place.
constexpr std::string_view kPrologueCopy[] = {
    "scratch_file (w) file /working_pointer exch def %define temp file",
    "{",
    "working_pointer currentfile buff readline %read current file",
    "{",
    "dup dup length dup 0 ne",
    "{",
    "1 sub exch 1 index get 13 eq { 0 exch getinterval }",
    "{ pop } ifelse",
    "}",
    "{ pop pop } ifelse",
    "(_FontDownload_) anchorsearch",
    "{",
    "pop %pop the string FontDownload out",
    "(EOF_) anchorsearch",
    "{",
    "pop pop closefile %pop 2 string out and close the file",
    "{fileName deletefile} stopped pop",
    "scratch_file fileName renamefile %rename scratchfile to real file",
};
// After the test of the stored resource. A job cut short ends the copy at
// the end of its data rather than reading on for ever.
constexpr std::string_view kPrologueEnd[] = {
    "exit",
    "}",
    "{",
    "pop pop} ifelse",
    "}",
    "{",
    "writestring % write the string",
    "working_pointer 10 write % return",
    "}",
    "ifelse",
    "}",
    "{ pop pop ERROR_ACTION exit }ifelse",
    "}bind loop",
    "} ifelse",
    "}bind def",
};

void AppendLines(std::string& text, const auto& lines) {
  for (std::string_view line : lines) text.append(line).push_back('\n');
}

// Finds, in a source seen block by block, a line that begins with a
// marker: the end marker would end the data early and let the rest run as a
// program, and the procedure drops any other marker line. Both CR and LF
// end a line here: printers differ in which they split lines at, and the
// stricter reading refuses every source that any of them would misread.
class MarkerLineFinder {
 public:
  bool Found(std::string_view block) {
    for (char c : block) {
      if (matched_ >= 0) {
        if (c == kMarker[matched_]) {
          if (++matched_ == static_cast<int>(kMarker.size())) return true;
          continue;
        }
        matched_ = -1;
      }
      if (c == '\n' || c == '\r') matched_ = 0;
    }
    return false;
  }

 private:
  int matched_ = 0;  // marker bytes at the start of this line; -1 once it cannot be one
};

// What one kind of stored resource changes in the prologue: the
// procedure's name, the folder on the device, and the line that tries the
// stored resource.
struct StoredResourceKind {
  std::string_view procedure;
  std::string_view folder;
  std::string_view test;
};

constexpr StoredResourceKind kFontResource{
    "download_font", "fonts/", "fontName {findfont pop} stopped {ERROR_ACTION} if  % test the font file"};
// The name is the string given; the category's resource keys are names.
constexpr StoredResourceKind kFormResource{
    "download_form", "Resource/Form/",
    "{fontName cvn /Form findresource pop} stopped {ERROR_ACTION} if  % test the form file"};

// The device's unit 0, as PostScript names it.
std::string_view UnitOf(StorageLocation location) { return location == kFlashMemory ? "%cartridge0%" : "%disk0%"; }

std::string StorePrologue(StorageLocation location, const StoredResourceKind& resource) {
  const std::string_view unit = UnitOf(location);
  std::string text;
  AppendLines(text, kPrologueStart);
  text += "/" + std::string(resource.procedure) + "\n";
  AppendLines(text, kPrologueVariables);
  text += "/UNIT (" + std::string(unit) + ") def\n";
  text += "/UNIT_DIGIT " + std::to_string(unit.size() - 2) + " def\n";
  text += "/FOLDER (" + std::string(resource.folder) + ") def\n";
  AppendLines(text, kPrologueUnitSearch);
  AppendLines(text, kPrologueNoDevice);
  AppendLines(text, kProloguePaths);
  AppendLines(text, kPrologueCopy);
  text += std::string(resource.test) + "\n";
  AppendLines(text, kPrologueEnd);
  return text;
}

// The resource's folder as a PJL path on the volume: "Resource\Form".
std::string PjlFolderOf(std::string_view postScriptFolder) {
  std::string folder(postScriptFolder.substr(0, postScriptFolder.size() - 1));  // without its "/"
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder;
}

// Folds CR LF, and a CR alone, into one LF, byte by byte, as PostScript's
// readline splits lines (at CR LF, CR or LF).
class LineFeedFolding {
 public:
  // The byte `c` stands for; nothing for the LF of a CR LF.
  std::optional<char> Fold(char c) {
    const bool ofCrLf = c == '\n' && afterCr_;
    afterCr_ = c == '\r';
    if (ofCrLf) return std::nullopt;
    return c == '\r' ? '\n' : c;
  }

 private:
  bool afterCr_ = false;
};

// What the procedure stores of a source seen block by block: every line
// followed by LF.
class StoredLines {
 public:
  void Add(std::string_view block) {
    for (char c : block) {
      if (std::optional<char> kept = lineFeeds_.Fold(c)) Keep(*kept);
    }
  }
  // The last line lacks its line feed no longer.
  StoredCopy Finish() {
    if (last_ && *last_ != '\n') Keep('\n');
    return copy_;
  }

 private:
  void Keep(char c) {
    ++copy_.bytes;
    if (copy_.head.size() < kStoredHeadBytes) copy_.head.push_back(c);
    last_ = c;
  }

  LineFeedFolding lineFeeds_;
  StoredCopy copy_;
  std::optional<char> last_;
};

class PostScriptJob final : public JobWrapping {
 public:
  PostScriptJob(StorageLocation location, const StoredResourceKind& resource, std::string_view name,
                uint32_t password)
      : location_(location), resource_(resource), name_(name), password_(password) {}

  std::string Opening(std::uintmax_t) override {
    return std::string(kPjlStart) + PjlJobOpening(password_) +
           PjlMakeFolders(location_ == kFlashMemory ? "1:" : "0:", PjlFolderOf(resource_.folder)) +
           std::string(kEnterPostScript) + StorePrologue(location_, resource_) + " " + PostScriptStringLiteral(name_) +
           std::string(resource_.procedure) + "\r\n" + std::string(kDataMarker);
  }
  bool Accept(std::string_view block) override {
    if (!block.empty()) lastByte_ = block.back();
    stored_.Add(block);
    return !markerLine_.Found(block);
  }
  StoredCopy Stored() { return stored_.Finish(); }
  std::string Closing() override {
    // The end marker must start a line of its own, or the printer reads on
    // into whatever follows the job.
    std::string closing = lastByte_ && *lastByte_ != '\n' ? "\n" : "";
    closing.append(kEndMarker).append("\n").append(kUniversalExitLanguage);
    // Back in PJL, a job opened with a password is closed.
    if (password_ != 0) closing.append(PjlJobClosing(password_)).append(kUniversalExitLanguage);
    return closing;
  }

 private:
  StorageLocation location_;
  const StoredResourceKind& resource_;
  std::string_view name_;
  uint32_t password_;
  MarkerLineFinder markerLine_;
  StoredLines stored_;
  std::optional<char> lastByte_;
};

}  // namespace

std::string PostScriptPrologue(StorageLocation location) { return StorePrologue(location, kFontResource); }

std::string PostScriptFormPrologue(StorageLocation location) { return StorePrologue(location, kFormResource); }

std::string PostScriptStringLiteral(std::string_view text) {
  std::string literal = "(";
  for (unsigned char c : text) {
    if (c == '(' || c == ')' || c == '\\') {
      literal.push_back('\\');
      literal.push_back(static_cast<char>(c));
    } else if (c < 0x20 || c > 0x7E) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      literal += escape;
    } else {
      literal.push_back(static_cast<char>(c));
    }
  }
  return literal + ")";
}

std::string WithLineFeeds(std::string_view text) {
  std::string result;
  LineFeedFolding lineFeeds;
  for (char c : text) {
    if (std::optional<char> kept = lineFeeds.Fold(c)) result.push_back(*kept);
  }
  return result;
}

namespace {

int WriteStoreJob(const char* sourcePath, const char* name, StorageLocation location, int jobFile,
                  MessageBoxes& boxes, StoredCopy* stored, uint32_t pjlPassword, const StoredResourceKind& kind) {
  if (sourcePath == nullptr || *sourcePath == '\0' || name == nullptr || *name == '\0') return kJobInputsRefused;
  PostScriptJob job(location, kind, name, pjlPassword);
  const int result = AppendDownloadJob(sourcePath, jobFile, job, boxes);
  if (result == kJobWritten && stored) *stored = job.Stored();
  return result;
}

}  // namespace

int WritePostScriptDownloadJob(const char* sourcePath, const char* fontName, StorageLocation location, int jobFile,
                               MessageBoxes& boxes, StoredCopy* stored, uint32_t pjlPassword) {
  return WriteStoreJob(sourcePath, fontName, location, jobFile, boxes, stored, pjlPassword, kFontResource);
}

int WritePostScriptFormJob(const char* sourcePath, const char* formName, StorageLocation location, int jobFile,
                           MessageBoxes& boxes, StoredCopy* stored, uint32_t pjlPassword) {
  return WriteStoreJob(sourcePath, formName, location, jobFile, boxes, stored, pjlPassword, kFormResource);
}
