// A print file: made for the printer already, it goes as it is.
#include "download/append_download_job.h"
#include "download/download_job.h"

namespace {

class PrintFileJob final : public JobWrapping {
 public:
  std::string Opening(std::uintmax_t) override { return {}; }
  bool Accept(std::string_view) override { return true; }
  std::string Closing() override { return {}; }
  bool EmbedsSource() const override { return false; }
};

}  // namespace

int WritePrintFileJob(const char* sourcePath, int jobFile, MessageBoxes& boxes) {
  if (sourcePath == nullptr || *sourcePath == '\0') return kJobInputsRefused;
  PrintFileJob job;
  return AppendDownloadJob(sourcePath, jobFile, job, boxes);
}
