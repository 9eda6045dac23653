#include "download/job_port.h"

#include <cstdlib>

#include "platform/winsock_errors.h"

namespace {

// A port named by the environment: a decimal number from 1 to 65535;
// anything else leaves `port` as it was.
void PortFromEnvironment(const char* variable, uint16_t& port) {
  const char* text = std::getenv(variable);
  if (!text) return;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end != text && *end == '\0' && value >= 1 && value <= 65535) port = static_cast<uint16_t>(value);
}

// The socket errors a printer most often gives, as words.
const char* SocketErrorText(int error) {
  switch (error) {
    case WSAECONNREFUSED: return "connection refused";
    case WSAETIMEDOUT: return "timed out";
    case WSAECONNRESET: return "connection reset by the printer";
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH: return "printer unreachable";
    case WSAEHOSTDOWN: return "printer down";
    default: return nullptr;
  }
}

}  // namespace

JobPortSettings DefaultJobPortSettings() {
  JobPortSettings settings;
  settings.lprPort = DefaultLprSettings().port;
  PortFromEnvironment(kRawPortEnv, settings.rawPort);
  PortFromEnvironment(kIppPortEnv, settings.ippPort);
  return settings;
}

std::unique_ptr<JobPortClient> MakeJobPortClient(JobPort port, const JobPortSettings& settings) {
  switch (port) {
    case JobPort::Raw: return MakeRawJobPort(settings);
    case JobPort::Ipp: return MakeIppJobPort(settings);
    case JobPort::Lpr: break;
  }
  return MakeLprJobPort(settings);
}

JobOutcome SubmitJob(const char* address, JobPort port, const JobFile& jobFile, const char* hostName, int jobNumber,
                     const JobPortSettings& settings) {
  return MakeJobPortClient(port, settings)->Send(address, jobFile, hostName, jobNumber);
}

std::string SocketFailureStatusText(int result) {
  const char* reason = LprResultMessage(result);
  if (!reason) reason = SocketErrorText(result);
  return std::string(kSocketFailureStatusText) + " (" +
         (reason ? std::string(reason) : "socket error " + std::to_string(result)) + ")";
}

std::string JobFailureStatus(const JobOutcome& outcome) {
  switch (outcome.code) {
    case JOB_ERR_STOPPED_TAKING_DATA:
    case JOB_ERR_IPP_CREDENTIALS:
    case JOB_ERR_IPP_UNREADABLE: return LprResultMessage(outcome.code);
    case JOB_ERR_IPP_REFUSED:
    case JOB_ERR_IPP_ABORTED:
    case JOB_ERR_IPP_JOB_STUCK:
      return std::string(LprResultMessage(outcome.code)) + (outcome.reasons.empty() ? "" : " (" + outcome.reasons + ")");
    default: return SocketFailureStatusText(outcome.code);
  }
}
