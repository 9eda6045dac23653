// The PJL file-system download: a job ticket that suppresses the banner
// sheet, the download command, the font's bytes and the Universal Exit
// Language sequence that ends the job.
#include <string>
#include <string_view>

#include "download/append_download_job.h"
#include "download/download_job.h"
#include "download/download_job_ids.h"
#include "ui/message_boxes.h"

namespace {

// Ticket lines end with LF alone, command lines with CR LF, as printers
// have always been sent them.
constexpr std::string_view kTicket =
    "\x1B%-12345X@PJL\n"
    "@PJL COMMENT OSLbegin\n"
    "@PJL COMMENT OID_ATT_START_SHEET OID_VAL_JOB_SHEET_NONE\n"
    "@PJL COMMENT OID_ATT_ACCOUNTING_INFORMATION \"GLYUSER|042GLYACCOUNT\"\n"
    "@PJL COMMENT OSLend\n";
// The flash volume has its fonts directory already; only the disk gets one.
constexpr std::string_view kMakeDiskFontsDirectory = "@PJL FSMKDIR NAME=\"0:\\pcl\\fonts\"\r\n";
constexpr std::string_view kUniversalExitLanguage = "\x1B%-12345X";

// The name becomes part of a quoted PJL path: a quote or a line break would
// end the command early, and a separator, a volume or ".." would leave the
// fonts directory.
bool FitsPjlFileName(std::string_view name) {
  if (name.find("..") != std::string_view::npos) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\' || c == ':') return false;
  }
  return true;
}

class PclJob final : public JobWrapping {
 public:
  PclJob(StorageLocation location, std::string_view fontName)
      : location_(location), fontName_(fontName) {}

  std::string Opening(std::uintmax_t sourceSize) override {
    std::string opening(kTicket);
    if (location_ == kHardDisk) opening += kMakeDiskFontsDirectory;
    opening += "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"";
    opening += location_ == kHardDisk ? "0:" : "1:";
    opening += "\\pcl\\fonts\\";
    opening += fontName_;
    opening += "\" SIZE=" + std::to_string(sourceSize) + "\r\n";
    return opening;
  }
  bool Accept(std::string_view) override { return true; }
  std::string Closing() override { return std::string(kUniversalExitLanguage); }

 private:
  StorageLocation location_;
  std::string_view fontName_;
};

}  // namespace

int WritePclDownloadJob(const char* sourcePath, const char* fontName, StorageLocation location,
                        int jobFile, MessageBoxes& boxes) {
  if (sourcePath == nullptr || *sourcePath == '\0' || fontName == nullptr || *fontName == '\0' ||
      !FitsPjlFileName(fontName)) {
    boxes.Show(download_job::kInputErrorText);
    return kJobInputsRefused;
  }
  PclJob job(location, fontName);
  return AppendDownloadJob(sourcePath, jobFile, job, boxes);
}
