// Sending one job file to a printer through the job port chosen for it:
// its LPR queue, its raw AppSocket port or IPP. One small interface, one
// implementation per port (lpr_job_port.cpp, raw_job_port.cpp,
// ipp_job_port.cpp), chosen per printer from its PrinterSettings.
//
// Every port waits at most the connection time-out to connect and at most
// the no-progress limit for any send or reply, both on the settings'
// Clock; a job that stalls longer fails with JOB_ERR_STOPPED_TAKING_DATA
// and its connection is closed. A call blocks its thread until the job is
// sent or has failed; calls share nothing, so any thread may make one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "download/job_folder.h"
#include "download/lpr.h"
#include "printers/clock.h"
#include "printers/printer_settings.h"

inline constexpr uint16_t kRawPort = 9100;
inline constexpr uint16_t kIppPort = 631;
inline constexpr char kRawPortEnv[] = "GLY_RAW_PORT";
inline constexpr char kIppPortEnv[] = "GLY_IPP_PORT";
// How long an IPP job is followed after its state last changed (pending,
// held, processing, stopped) before it is given up as
// JOB_ERR_IPP_JOB_STUCK.
inline constexpr uint32_t kIppJobStateLimitMs = 5 * 60 * 1000;

struct JobPortSettings {
  Clock* clock = &SystemClock();
  uint16_t lprPort = kLprPort;
  uint16_t rawPort = kRawPort;
  uint16_t ippPort = kIppPort;
  uint32_t connectTimeoutMs = kLprConnectTimeoutMs;
  uint32_t noProgressMs = kNoProgressLimitMs;
  uint32_t jobStateLimitMs = kIppJobStateLimitMs;
  // The pacing of LPR jobs; unset, each printer's own from the run's
  // printer settings (RunPrinterSettings), looked up by its address.
  std::optional<LprPacing> lprPacing;
};

// The system clock, the default limits and the ports 515, 9100 and 631,
// or those that GLY_LPR_PORT, GLY_RAW_PORT and GLY_IPP_PORT name.
JobPortSettings DefaultJobPortSettings();

// What became of a job: 0, an LprResult or a Winsock error number, and
// for a job the printer refused or aborted, the reasons it gave
// ("media-empty-error, job-canceled-at-device").
struct JobOutcome {
  JobOutcome(int result = 0, std::string why = {}) : code(result), reasons(std::move(why)) {}
  bool sent() const { return code == 0; }
  int code;
  std::string reasons;
};

class JobPortClient {
 public:
  virtual ~JobPortClient() = default;
  // Sends the open `jobFile` (read through its descriptor from its start)
  // to the printer at `address` (dotted decimal) as job `jobNumber` of
  // `hostName`; the file's path only names the job to the printer.
  virtual JobOutcome Send(const char* address, const JobFile& jobFile, const char* hostName, int jobNumber) = 0;
};

std::unique_ptr<JobPortClient> MakeJobPortClient(JobPort port, const JobPortSettings& settings);

// Sends one job through a client made for it.
JobOutcome SubmitJob(const char* address, JobPort port, const JobFile& jobFile, const char* hostName, int jobNumber,
                     const JobPortSettings& settings = DefaultJobPortSettings());

// Sends an open job file to a printer through a job port (SubmitJob's shape).
using JobSubmitter = std::function<JobOutcome(const char* address, JobPort port, const JobFile& jobFile,
                                              const char* hostName, int jobNumber)>;

// The printer could not be reached or refused a job (string 32824's text);
// JobFailureStatus gives the texts of the failures that say more.
inline constexpr const char* kSocketFailureStatusText =
    "Socket failure! Please check the printer and try again.";
// kSocketFailureStatusText with the reason of the failed submission `result`.
std::string SocketFailureStatusText(int result);

// The status cell of a resource whose job was not sent: the result's own
// text for a stalled job, a printer that asks for credentials or one whose
// IPP answer cannot be read; with the printer's reasons for a refused,
// aborted or stuck one; else the socket failure text with its reason.
std::string JobFailureStatus(const JobOutcome& outcome);

// The three implementations, for MakeJobPortClient.
std::unique_ptr<JobPortClient> MakeLprJobPort(const JobPortSettings& settings);
std::unique_ptr<JobPortClient> MakeRawJobPort(const JobPortSettings& settings);
std::unique_ptr<JobPortClient> MakeIppJobPort(const JobPortSettings& settings);
