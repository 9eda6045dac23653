// The PJL file-system download: a job ticket that suppresses the banner
// sheet, the download command, the font's or macro's bytes and the
// Universal Exit Language sequence that ends the job.
#include <string>
#include <string_view>

#include "download/append_download_job.h"
#include "download/download_job.h"
#include "download/download_job_ids.h"
#include "download/pjl_job_lines.h"
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
constexpr std::string_view kUniversalExitLanguage = "\x1B%-12345X";
constexpr std::string_view kFontsFolder = "pcl\\fonts";
constexpr std::string_view kMacrosFolder = "pcl\\macros";

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

std::string_view VolumeOf(StorageLocation location) { return location == kHardDisk ? "0:" : "1:"; }

// Stores the source as `fileName` in `folder` of the location's volume,
// making the folder first: no volume is sure to have it.
class PclJob final : public JobWrapping {
 public:
  PclJob(StorageLocation location, std::string_view folder, std::string_view fileName, uint32_t password)
      : location_(location), folder_(folder), fileName_(fileName), password_(password) {}

  std::string Opening(std::uintmax_t sourceSize) override {
    sourceSize_ = sourceSize;
    std::string opening(kTicket);
    opening += PjlJobOpening(password_);
    opening += PjlMakeFolders(VolumeOf(location_), folder_);
    opening += "@PJL FSDOWNLOAD FORMAT:BINARY NAME=\"" + PclPrinterPath(location_, folder_, fileName_) + "\"";
    opening += " SIZE=" + std::to_string(sourceSize) + "\r\n";
    return opening;
  }
  bool Accept(std::string_view) override { return true; }
  // The printer is back in PJL once it has the announced bytes.
  std::string Closing() override { return PjlJobClosing(password_) + std::string(kUniversalExitLanguage); }

  // Appends the job; a written one stores exactly the bytes its download
  // command announced.
  int Append(const char* sourcePath, int jobFile, MessageBoxes& boxes, std::uintmax_t* storedBytes) {
    const int result = AppendDownloadJob(sourcePath, jobFile, *this, boxes);
    if (result == kJobWritten && storedBytes) *storedBytes = sourceSize_;
    return result;
  }

  // The file in the folder: "0:\pcl\fonts\Name".
  static std::string PclPrinterPath(StorageLocation location, std::string_view folder, std::string_view name) {
    return std::string(VolumeOf(location)).append("\\").append(folder).append("\\").append(name);
  }

 private:
  StorageLocation location_;
  std::string_view folder_;
  std::string_view fileName_;
  uint32_t password_;
  std::uintmax_t sourceSize_ = 0;
};

}  // namespace

int WritePclDownloadJob(const char* sourcePath, const char* fontName, StorageLocation location,
                        int jobFile, MessageBoxes& boxes, std::uintmax_t* storedBytes, uint32_t pjlPassword) {
  if (sourcePath == nullptr || *sourcePath == '\0' || fontName == nullptr || *fontName == '\0' ||
      !FitsPjlFileName(fontName)) {
    boxes.Show(download_job::kInputErrorText);
    return kJobInputsRefused;
  }
  PclJob job(location, kFontsFolder, fontName, pjlPassword);
  return job.Append(sourcePath, jobFile, boxes, storedBytes);
}

int WritePclMacroJob(const char* sourcePath, int macroId, StorageLocation location, int jobFile,
                     MessageBoxes& boxes, std::uintmax_t* storedBytes, uint32_t pjlPassword) {
  if (sourcePath == nullptr || *sourcePath == '\0' || macroId < 0 || macroId > kMostPclMacroId) {
    boxes.Show(download_job::kInputErrorText);
    return kJobInputsRefused;
  }
  const std::string fileName = std::to_string(macroId);
  PclJob job(location, kMacrosFolder, fileName, pjlPassword);
  return job.Append(sourcePath, jobFile, boxes, storedBytes);
}

std::string PclFontPrinterPath(StorageLocation location, std::string_view fontName) {
  return PclJob::PclPrinterPath(location, kFontsFolder, fontName);
}

std::string PclMacroPrinterPath(StorageLocation location, int macroId) {
  return PclJob::PclPrinterPath(location, kMacrosFolder, std::to_string(macroId));
}
