// The PostScript download job: a prologue that defines `download_font`, the
// call with the font's name, and the font's lines between two marker lines.
// On the printer `download_font` copies every line up to the end marker into
// a scratch file and renames it into the device's fonts directory.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "download/append_download_job.h"
#include "download/download_job.h"

namespace {

constexpr std::string_view kDataMarker = "_FontDownload_\n";
constexpr std::string_view kEndMarker = "_FontDownload_EOF_";

// Prologue lines before the device string (1 to 13).
constexpr std::string_view kPrologueStart[] = {
    "%!PS-Adobe-2.0",
    "%%Title:writetodisk.ps",
    "%%OSLbegin",
    "%%OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE",
    "%%OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"",
    "%%OSLend",
    "/download_font",
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
// Lines 21 to 53: copy the job's lines up to the end marker, then move the
// scratch file into place and try the font.
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
    "fontName {findfont pop} stopped {ERROR_ACTION} if  % test the font file",
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

class PostScriptJob final : public JobWrapping {
 public:
  PostScriptJob(StorageLocation location, std::string_view fontName)
      : location_(location), fontName_(fontName) {}

  std::string Opening(std::uintmax_t) override {
    return PostScriptPrologue(location_) + " " + PostScriptStringLiteral(fontName_) +
           "download_font\r\n" + std::string(kDataMarker);
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
  std::string_view fontName_;
  EndMarkerLineFinder endMarker_;
  std::optional<char> lastByte_;
};

}  // namespace

std::string PostScriptPrologue(StorageLocation location) {
  // The blank of the device string takes the unit digit; the font name
  // follows the device string in the 128-byte target path.
  const std::string device = location == kFlashMemory ? "%cartridge" : "%disk";
  const std::string deviceString = device + " %fonts/";
  std::string text;
  AppendLines(text, kPrologueStart);
  text += "/DISK (" + deviceString + ") def\n";
  text += "55 -1 48 {\n";
  text += "DISK exch " + std::to_string(device.size()) + " exch put\n";
  AppendLines(text, kPrologueUnitSearch);
  text += "fileName " + std::to_string(deviceString.size()) + " fontName putinterval %final name\n";
  AppendLines(text, kPrologueCopy);
  return text;
}

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
  PostScriptJob job(location, fontName);
  return AppendDownloadJob(sourcePath, jobFile, job, boxes);
}
