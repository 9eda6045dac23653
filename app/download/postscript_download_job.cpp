// The PostScript download jobs: a prologue that defines `download_font` (or
// `download_form`), the call with the resource's name, and the resource's
// lines between two marker lines. On the printer the procedure copies every
// line up to the end marker into a scratch file, renames it into the
// device's fonts folder (or its "%Resource/Form/" folder, where `findresource`
// looks for a form not in memory) and tries to find the resource there.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "download/append_download_job.h"
#include "download/download_job.h"

namespace {

constexpr std::string_view kDataMarker = "_FontDownload_\n";
constexpr std::string_view kEndMarker = "_FontDownload_EOF_";

// Prologue lines 1 to 6, before the procedure's name.
constexpr std::string_view kPrologueStart[] = {
    "%!PS-Adobe-2.0",
    "%%Title:writetodisk.ps",
    "%%OSLbegin",
    "%%OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE",
    "%%OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"",
    "%%OSLend",
};
// Lines 8 to 13, after the procedure's name.
constexpr std::string_view kPrologueVariables[] = {
    "{",
    "/scratch_file (tmp_font_file) def",
    "/fontName exch def",
    "/buff 6000 string def",
    "/fileName 128 string def",
    "/ERROR_ACTION {} bind def",
};
// Lines 17 to 19: the device whose unit the printer reports existing wins.
constexpr std::string_view kPrologueUnitSearch[] = {
    "DISK /IODevice resourcestatus {pop pop exit} if",
    "} for",
    "fileName 0 DISK putinterval",
};
// Lines 21 to 38: copy the job's lines up to the end marker, then move the
// scratch file into place.
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
// Lines 40 to 53, after the test of the stored resource.
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
    "{ ERROR_ACTION }ifelse",
    "}bind loop",
    "}bind def",
};

void AppendLines(std::string& text, const auto& lines) {
  for (std::string_view line : lines) text.append(line).push_back('\n');
}

// Finds, in a source seen block by block, a line that begins with the end
// marker. Both CR and LF end a line here: printers differ in which they
// split lines at, and the stricter reading refuses every source that any
// of them would end early.
class EndMarkerLineFinder {
 public:
  bool Found(std::string_view block) {
    for (char c : block) {
      if (matched_ >= 0) {
        if (c == kEndMarker[matched_]) {
          if (++matched_ == static_cast<int>(kEndMarker.size())) return true;
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
// stored resource (line 39).
struct StoredResourceKind {
  std::string_view procedure;
  std::string_view folder;
  std::string_view test;
};

constexpr StoredResourceKind kFontResource{
    "download_font", "%fonts/", "fontName {findfont pop} stopped {ERROR_ACTION} if  % test the font file"};
// The name is the string given; the category's resource keys are names.
constexpr StoredResourceKind kFormResource{
    "download_form", "%Resource/Form/",
    "{fontName cvn /Form findresource pop} stopped {ERROR_ACTION} if  % test the form file"};

std::string DeviceOf(StorageLocation location) { return location == kFlashMemory ? "%cartridge" : "%disk"; }

std::string StorePrologue(StorageLocation location, const StoredResourceKind& resource) {
  // The blank of the device string takes the unit digit; the name follows
  // the device string in the 128-byte target path.
  const std::string device = DeviceOf(location);
  const std::string deviceString = device + " " + std::string(resource.folder);
  std::string text;
  AppendLines(text, kPrologueStart);
  text += "/" + std::string(resource.procedure) + "\n";
  AppendLines(text, kPrologueVariables);
  text += "/DISK (" + deviceString + ") def\n";
  text += "55 -1 48 {\n";
  text += "DISK exch " + std::to_string(device.size()) + " exch put\n";
  AppendLines(text, kPrologueUnitSearch);
  text += "fileName " + std::to_string(deviceString.size()) + " fontName putinterval %final name\n";
  AppendLines(text, kPrologueCopy);
  text += std::string(resource.test) + "\n";
  AppendLines(text, kPrologueEnd);
  return text;
}

class PostScriptJob final : public JobWrapping {
 public:
  PostScriptJob(StorageLocation location, const StoredResourceKind& resource, std::string_view name)
      : location_(location), resource_(resource), name_(name) {}

  std::string Opening(std::uintmax_t) override {
    return StorePrologue(location_, resource_) + " " + PostScriptStringLiteral(name_) +
           std::string(resource_.procedure) + "\r\n" + std::string(kDataMarker);
  }
  bool Accept(std::string_view block) override {
    if (!block.empty()) lastByte_ = block.back();
    return !endMarker_.Found(block);
  }
  std::string Closing() override {
    // The end marker must start a line of its own, or the printer reads on
    // into whatever follows the job.
    std::string closing = lastByte_ && *lastByte_ != '\n' ? "\n" : "";
    return closing.append(kEndMarker).append("\n");
  }

 private:
  StorageLocation location_;
  const StoredResourceKind& resource_;
  std::string_view name_;
  EndMarkerLineFinder endMarker_;
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

int WritePostScriptDownloadJob(const char* sourcePath, const char* fontName,
                               StorageLocation location, int jobFile,
                               MessageBoxes& boxes) {
  if (sourcePath == nullptr || *sourcePath == '\0' || fontName == nullptr || *fontName == '\0') {
    return kJobInputsRefused;
  }
  PostScriptJob job(location, kFontResource, fontName);
  return AppendDownloadJob(sourcePath, jobFile, job, boxes);
}

int WritePostScriptFormJob(const char* sourcePath, const char* formName, StorageLocation location,
                           int jobFile, MessageBoxes& boxes) {
  if (sourcePath == nullptr || *sourcePath == '\0' || formName == nullptr || *formName == '\0') {
    return kJobInputsRefused;
  }
  PostScriptJob job(location, kFormResource, formName);
  return AppendDownloadJob(sourcePath, jobFile, job, boxes);
}
