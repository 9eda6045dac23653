// The download job writers on any font file and any font name. The input is
// one byte giving the name's length, the name, then the font file. What the
// printer would take from a written job is checked against what went in:
// the PostScript call names exactly the font name, the data the printer
// copies is exactly the font's lines, no PJL line ends early, and a font
// that holds the Universal Exit Language is refused by both.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "download/download_job.h"
#include "ui/message_boxes.h"

namespace {

class SilentBoxes final : public MessageBoxes {
 public:
  int Show(int, unsigned) override { return IDOK; }
  int ShowMessage(const std::string&, unsigned) override { return IDOK; }
};

constexpr std::string_view kUel = "\x1B%-12345X";

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch folder for the font and the job, removed when the run ends.
// Plain storage, so that it outlives every destructor that runs at exit.
char folder[] = "/tmp/gly-fuzz-job-XXXXXX";

void RemoveFolder() {
  for (const char* name : {"/font", "/job", ""}) std::remove((folder + std::string(name)).c_str());
}

const char* Folder() {
  static const bool made = [] {
    Require(mkdtemp(folder) != nullptr);
    std::atexit(RemoveFolder);
    return true;
  }();
  return made ? folder : nullptr;
}

// Reads the PostScript string literal at the start of `text` into `value`;
// false unless it is one closed literal followed by `rest`.
bool ReadStringLiteral(std::string_view text, std::string_view rest, std::string& value) {
  if (text.empty() || text[0] != '(') return false;
  size_t i = 1;
  for (; i < text.size() && text[i] != ')'; ++i) {
    if (text[i] == '(') return false;  // escaped parentheses only
    if (text[i] != '\\') {
      value.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) return false;
    if (text[i] >= '0' && text[i] <= '7') {
      if (i + 2 >= text.size()) return false;
      value.push_back(
          static_cast<char>((text[i] - '0') * 64 + (text[i + 1] - '0') * 8 + (text[i + 2] - '0')));
      i += 2;
    } else {
      value.push_back(text[i]);
    }
  }
  return i < text.size() && text.substr(i + 1, rest.size()) == rest;
}

// A line that the printer's copy loop would take for a marker.
bool HasMarkerLine(std::string_view data) {
  constexpr std::string_view kMarker = "_FontDownload_";
  for (size_t at = data.find(kMarker); at != std::string_view::npos;
       at = data.find(kMarker, at + 1)) {
    if (at == 0 || data[at - 1] == '\n' || data[at - 1] == '\r') return true;
  }
  return false;
}

bool HasUel(std::string_view data) { return data.find(kUel) != std::string_view::npos; }

void CheckPostScriptJob(const std::string& name, const std::string& font, int result,
                        const std::string& job) {
  if (name.empty()) return Require(result == kJobInputsRefused && job.empty());
  if (HasMarkerLine(font) || HasUel(font)) return Require(result == kJobSourceUnreadable && job.empty());
  Require(result == kJobWritten);
  // PJL makes the folder and hands the rest to PostScript.
  constexpr std::string_view kEnter = "@PJL ENTER LANGUAGE=POSTSCRIPT\r\n";
  const size_t programStart = job.find(kEnter) + kEnter.size();
  Require(programStart > kEnter.size());
  const std::string prologue = PostScriptPrologue(kHardDisk);
  Require(job.compare(programStart, prologue.size() + 1, prologue + " ") == 0);
  std::string called;
  constexpr std::string_view kCallEnd = "download_font\r\n_FontDownload_\n";
  const std::string_view afterPrologue = std::string_view(job).substr(programStart + prologue.size() + 1);
  Require(ReadStringLiteral(afterPrologue, kCallEnd, called) && called == name);
  const size_t dataStart = job.find(kCallEnd, programStart + prologue.size()) + kCallEnd.size();
  const std::string lineEnd = font.empty() || font.back() == '\n' ? "" : "\n";
  Require(job.substr(dataStart) == font + lineEnd + "_FontDownload_EOF_\n" + std::string(kUel));
}

void CheckPclJob(const std::string& name, const std::string& font, int result,
                 const std::string& job) {
  if (result != kJobWritten) {
    return Require((result == kJobInputsRefused || (result == kJobSourceUnreadable && HasUel(font))) && job.empty());
  }
  Require(!HasUel(font));
  const std::string command = "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"0:\\pcl\\fonts\\" + name +
                              "\" SIZE=" + std::to_string(font.size()) + "\r\n";
  const size_t at = job.find(command);
  Require(at != std::string::npos && job.substr(at + command.size()) == font + "\x1B%-12345X");
  // The name can end neither the quoted path nor the command line.
  Require(name.find_first_of("\"\r\n\\:") == std::string::npos);
}

// Runs a job writer on a new, empty job file at `path`.
template <typename Writer>
int WriteJob(const std::string& path, Writer write) {
  const int jobFile = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Require(jobFile >= 0);
  const int result = write(jobFile);
  close(jobFile);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const size_t nameSize = std::min<size_t>(data[0] % 40, size - 1);
  const std::string name(reinterpret_cast<const char*>(data) + 1, nameSize);
  const std::string font(reinterpret_cast<const char*>(data) + 1 + nameSize, size - 1 - nameSize);
  const std::string source = std::string(Folder()) + "/font";
  const std::string job = std::string(Folder()) + "/job";
  std::ofstream(source, std::ios::binary | std::ios::trunc) << font;
  SilentBoxes boxes;

  int result = WriteJob(job, [&](int jobFile) {
    return WritePostScriptDownloadJob(source.c_str(), name.c_str(), kHardDisk, jobFile, boxes);
  });
  // A name cut at a NUL byte is the name the writer sees.
  const std::string cName = name.substr(0, name.find('\0'));
  CheckPostScriptJob(cName, font, result, ReadFile(job));

  result = WriteJob(job, [&](int jobFile) {
    return WritePclDownloadJob(source.c_str(), name.c_str(), kHardDisk, jobFile, boxes);
  });
  CheckPclJob(cName, font, result, ReadFile(job));
  return 0;
}
