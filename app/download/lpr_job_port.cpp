// The LPR job port: the printer's line printer daemon, with the fixed
// waits of SubmitLprJob.
#include "download/job_port.h"

namespace {

class LprJobPort final : public JobPortClient {
 public:
  explicit LprJobPort(const JobPortSettings& settings) {
    settings_.clock = settings.clock;
    settings_.port = settings.lprPort;
    settings_.connectTimeoutMs = settings.connectTimeoutMs;
    settings_.noProgressMs = settings.noProgressMs;
  }

  JobOutcome Send(const char* address, const JobFile& jobFile, const char* hostName, int jobNumber) override {
    return SubmitLprJob(address, jobFile, hostName, jobNumber, settings_);
  }

 private:
  LprSettings settings_;
};

}  // namespace

std::unique_ptr<JobPortClient> MakeLprJobPort(const JobPortSettings& settings) {
  return std::make_unique<LprJobPort>(settings);
}
