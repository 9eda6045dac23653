// The LPR job port: the printer's line printer daemon through SubmitLprJob,
// paced as the settings say or, when they leave it open, as the printer's
// own settings say.
#include "download/job_port.h"
#include "printers/printer_list_file.h"

namespace {

LprPacing PacingOfPrinter(const char* address) {
  const std::optional<uint32_t> parsed = ParseDottedAddress(address);
  return parsed ? RunPrinterSettings().Get(*parsed).lprPacing : LprPacing::Classic;
}

class LprJobPort final : public JobPortClient {
 public:
  explicit LprJobPort(const JobPortSettings& settings) : pacing_(settings.lprPacing) {
    settings_.clock = settings.clock;
    settings_.port = settings.lprPort;
    settings_.connectTimeoutMs = settings.connectTimeoutMs;
    settings_.noProgressMs = settings.noProgressMs;
  }

  JobOutcome Send(const char* address, const JobFile& jobFile, const char* hostName, int jobNumber) override {
    LprSettings settings = settings_;
    settings.pacing = pacing_ ? *pacing_ : PacingOfPrinter(address);
    return SubmitLprJob(address, jobFile, hostName, jobNumber, settings);
  }

 private:
  LprSettings settings_;
  std::optional<LprPacing> pacing_;
};

}  // namespace

std::unique_ptr<JobPortClient> MakeLprJobPort(const JobPortSettings& settings) {
  return std::make_unique<LprJobPort>(settings);
}
