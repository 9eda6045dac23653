// The IPP job port, through libcups: the printer's document formats are
// asked first, the job goes as one Print-Job request in the job's own
// format, and its state is then followed until the printer says it is
// completed, canceled or aborted. A refused or aborted job gives the
// printer's reasons.
//
// libcups waits in slices of kWatchSliceSeconds and asks StillWaiting
// after each, which measures the time without progress on the clock. A
// job whose state stays the same for the settings' jobStateLimitMs is no
// longer followed; its reasons may change at every poll without counting.
//
// No credentials are ever sent: libcups' password callback is replaced for
// the exchange by one that gives none (the default one would ask on the
// terminal and wait, then send what was typed in clear), so a printer that
// asks for them fails the job.
#include <cups/cups.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <optional>
#include <string_view>

#include "download/ipp_answer.h"
#include "download/job_file_reading.h"
#include "download/job_port.h"
#include "download/lpr_socket.h"
#include "exchange_trace.h"
#include "platform/winsock_errors.h"

namespace {

constexpr double kWatchSliceSeconds = 0.05;
constexpr size_t kChunkBytes = 16 * 1024;
// A job is asked about soon after it is sent, then ever less often.
constexpr uint32_t kFirstJobPollMs = 20;
constexpr uint32_t kLongestJobPollMs = 1000;
constexpr char kResource[] = "/ipp/print";
constexpr char kOctetStream[] = "application/octet-stream";

// The format a job's first bytes show: PostScript, PCL (a PJL job starts
// with the UEL, ESC%-12345X), or none known.
const char* JobFormat(std::string_view start) {
  while (!start.empty() && (start.front() == '\x04' || std::isspace(static_cast<unsigned char>(start.front()))))
    start.remove_prefix(1);
  if (start.starts_with("%!")) return "application/postscript";
  if (start.starts_with("\x1b")) return "application/vnd.hp-PCL";
  return kOctetStream;
}

// An answer that says the printer wants to know who asks.
bool IsAuthenticationStatus(ipp_status_t status) {
  return status == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED || status == IPP_STATUS_ERROR_NOT_AUTHENTICATED ||
         status == IPP_STATUS_ERROR_NOT_AUTHORIZED || status == IPP_STATUS_ERROR_FORBIDDEN;
}

class IppExchange {
 public:
  IppExchange(const JobPortSettings& settings, const char* address, const char* user)
      : settings_(settings), user_(user) {
    uri_ = std::string("ipp://") + address + ":" + std::to_string(settings.ippPort) + kResource;
    // libcups keeps the callback per thread, and the exchange runs on one.
    cupsSetPasswordCB2(&IppExchange::NoPassword, this);
  }
  ~IppExchange() {
    cupsSetPasswordCB2(&IppExchange::NoPassword, nullptr);
    if (http_) httpClose(http_);
  }

  JobOutcome Run(const char* address, const JobFile& jobFile) {
    uintmax_t size = 0;
    if (!MeasureJobFile(jobFile, size)) return LPR_ERR_JOB_FILE_UNREADABLE;
    // Made unconnected (a zero time-out), then connected here: when
    // httpConnect2 itself fails it closes its connection and the error
    // that says why is lost.
    http_ = httpConnect2(address, settings_.ippPort, nullptr, AF_INET, HTTP_ENCRYPTION_IF_REQUESTED, 1, 0, nullptr);
    if (!http_) return WSAHOST_NOT_FOUND;
    if (httpReconnect2(http_, static_cast<int>(settings_.connectTimeoutMs), nullptr) != 0) {
      // libcups gives every failed connection the same error; a connection
      // of our own says why this one failed.
      const int why = MakeTcpLprSocket(*settings_.clock, settings_.noProgressMs)
                          ->Connect(address, settings_.ippPort, settings_.connectTimeoutMs);
      return why != 0 ? why : WSAECONNREFUSED;
    }
    httpSetTimeout(http_, kWatchSliceSeconds, &IppExchange::StillWaiting, this);

    char start[64] = {};
    const size_t peek = static_cast<size_t>(std::min<uintmax_t>(size, sizeof start));
    if (!ReadJobFileAt(jobFile, start, peek, 0)) return LPR_ERR_JOB_FILE_READ;
    const std::optional<std::string> format = FormatToSend(JobFormat(std::string_view(start, peek)));
    if (!format) return Unanswered();

    int jobId = 0;
    if (JobOutcome sent = PrintJob(jobFile, size, *format, jobId); !sent.sent()) return sent;
    return FollowJob(jobId);
  }

 private:
  static int StillWaiting(http_t*, void* data) {
    auto* self = static_cast<IppExchange*>(data);
    if (self->settings_.clock->NowMs() - self->progressAt_ < self->settings_.noProgressMs) return 1;
    self->stalled_ = true;
    return 0;
  }
  void Progressed() { progressAt_ = settings_.clock->NowMs(); }

  static const char* NoPassword(const char*, http_t*, const char*, const char*, void* data) {
    if (data) static_cast<IppExchange*>(data)->credentialsAsked_ = true;
    return nullptr;
  }
  // The printer asked for credentials, by HTTP or in its IPP answer.
  bool WantsCredentials() const {
    const http_status_t status = http_ ? httpGetStatus(http_) : HTTP_STATUS_NONE;
    return credentialsAsked_ || status == HTTP_STATUS_UNAUTHORIZED || status == HTTP_STATUS_FORBIDDEN ||
           status == HTTP_STATUS_CUPS_AUTHORIZATION_CANCELED || IsAuthenticationStatus(cupsLastError());
  }

  ipp_t* NewRequest(ipp_op_t operation) {
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri_.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, user_.c_str());
    return request;
  }

  // One request and its response; null when the exchange failed.
  ipp_t* Ask(ipp_t* request) {
    Progressed();
    TraceRequest(request);
    ipp_t* response = cupsDoRequest(http_, request, kResource);
    TraceResponse(response);
    Progressed();
    return response;
  }

  // The operation and its answer's status; no credentials are ever sent.
  void TraceRequest(ipp_t* request) const {
    if (!Tracing(TraceProtocol::kIpp)) return;
    TraceExchange(TraceProtocol::kIpp, uri_, '>',
                  std::string(ippOpString(ippGetOperation(request))) + " user=" + TraceText(user_));
  }
  void TraceResponse(ipp_t* response) const {
    if (!Tracing(TraceProtocol::kIpp)) return;
    TraceExchange(TraceProtocol::kIpp, uri_, '<',
                  response ? std::string(ippErrorString(ippGetStatusCode(response))) + " " +
                                 TraceText(IppStatusMessage())
                           : std::string("none: HTTP ") + httpStatus(http_ ? httpGetStatus(http_) : HTTP_STATUS_NONE));
  }

  // The format to send the job in (ChooseDocumentFormat); nullopt when the
  // printer gave no answer.
  std::optional<std::string> FormatToSend(const char* wanted) {
    ipp_t* request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "document-format-supported");
    ipp_t* response = Ask(request);
    if (!response) return std::nullopt;
    std::string format = ChooseDocumentFormat(response, wanted);
    ippDelete(response);
    return format;
  }

  JobOutcome PrintJob(const JobFile& jobFile, uintmax_t size, const std::string& format, int& jobId) {
    ipp_t* request = NewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr,
                 LprSourceName(jobFile.path().c_str()).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, format.c_str());
    Progressed();
    TraceRequest(request);
    // The length libcups puts in Content-Length covers the request and the document.
    http_status_t status = cupsSendRequest(http_, request, kResource, ippLength(request) + static_cast<size_t>(size));
    ippDelete(request);
    // A write the printer does not take ends the document; its status says why.
    const int written = status != HTTP_STATUS_CONTINUE ? 0
                        : SendJobFileInChunks(jobFile, size, kChunkBytes, [&](const char* bytes, size_t length) {
                            Progressed();
                            status = cupsWriteRequestData(http_, bytes, length);
                            return status == HTTP_STATUS_CONTINUE ? 0 : LPR_ERR_NO_ACK;
                          });
    if (written == LPR_ERR_JOB_FILE_READ) return written;
    Progressed();
    if (status != HTTP_STATUS_CONTINUE && !stalled_) {
      if (WantsCredentials()) return JOB_ERR_IPP_CREDENTIALS;
      return {LPR_ERR_NO_ACK, httpStatus(status)};
    }
    ipp_t* response = cupsGetResponse(http_, kResource);
    TraceResponse(response);
    if (!response) return Unanswered();
    const ipp_status_t result = ippGetStatusCode(response);
    jobId = IppJobId(response);
    ippDelete(response);
    if (stalled_) return JOB_ERR_STOPPED_TAKING_DATA;
    if (IsAuthenticationStatus(result)) return JOB_ERR_IPP_CREDENTIALS;
    if (result > IPP_STATUS_OK_CONFLICTING || jobId <= 0)
      return {JOB_ERR_IPP_REFUSED, std::string(ippErrorString(result)) + ": " + IppStatusMessage()};
    return 0;
  }

  // Every answer is progress of the exchange; only a change of the job's
  // state is progress of the job.
  JobOutcome FollowJob(int jobId) {
    int state = 0;
    uint64_t stateSince = settings_.clock->NowMs();
    for (uint32_t pollMs = kFirstJobPollMs;; pollMs = std::min(2 * pollMs, kLongestJobPollMs)) {
      ipp_t* request = NewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
      ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
      static const char* const kWanted[] = {"job-state", "job-state-reasons"};
      ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, kWanted);
      ipp_t* response = Ask(request);
      if (!response || stalled_) {
        ippDelete(response);
        return Unanswered();
      }
      const int now = IppJobState(response);
      const std::string reasons = IppKeywords(response, "job-state-reasons");
      const bool credentials = IsAuthenticationStatus(ippGetStatusCode(response));
      ippDelete(response);
      if (credentials) return JOB_ERR_IPP_CREDENTIALS;
      if (now == IPP_JSTATE_COMPLETED) return 0;
      if (now == IPP_JSTATE_CANCELED || now == IPP_JSTATE_ABORTED) return {JOB_ERR_IPP_ABORTED, Reasons(reasons)};
      if (now != state) {
        state = now;
        stateSince = settings_.clock->NowMs();
      }
      if (settings_.clock->NowMs() - stateSince >= settings_.jobStateLimitMs) return {JOB_ERR_IPP_JOB_STUCK, reasons};
      settings_.clock->SleepMs(pollMs);
    }
  }

  // The job's reasons, then the printer's.
  std::string Reasons(std::string jobReasons) {
    ipp_t* request = NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-state-reasons");
    ipp_t* response = Ask(request);
    const std::string printerReasons = IppKeywords(response, "printer-state-reasons");
    ippDelete(response);
    if (printerReasons.empty()) return jobReasons;
    return jobReasons.empty() ? "printer: " + printerReasons : jobReasons + "; printer: " + printerReasons;
  }

  // Why a request got no answer: the no-progress limit, credentials, an
  // answer that is no HTTP or no IPP message, or the connection's error.
  JobOutcome Unanswered() const {
    if (stalled_) return JOB_ERR_STOPPED_TAKING_DATA;
    if (WantsCredentials()) return JOB_ERR_IPP_CREDENTIALS;
    // libcups fails without a socket error (or with EINVAL) when what came
    // back is no HTTP reply, and after an HTTP 200 only when its body is no
    // IPP message; a printer that closes the connection gives EPIPE.
    const int error = httpError(http_);
    const http_status_t status = httpGetStatus(http_);
    if (error == EINVAL || (error == 0 && status == HTTP_STATUS_ERROR) || status == HTTP_STATUS_OK)
      return JOB_ERR_IPP_UNREADABLE;
    return {error != 0 ? PlatformWinsockErrorFromErrno(error) : LPR_ERR_NO_ACK, IppStatusMessage()};
  }

  const JobPortSettings& settings_;
  const std::string user_;
  std::string uri_;
  http_t* http_ = nullptr;
  uint64_t progressAt_ = 0;
  bool stalled_ = false;
  bool credentialsAsked_ = false;
};

class IppJobPort final : public JobPortClient {
 public:
  explicit IppJobPort(const JobPortSettings& settings) : settings_(settings) {}

  JobOutcome Send(const char* address, const JobFile& jobFile, const char* hostName, int) override {
    IppExchange exchange(settings_, address, hostName);
    return exchange.Run(address, jobFile);
  }

 private:
  JobPortSettings settings_;
};

}  // namespace

std::unique_ptr<JobPortClient> MakeIppJobPort(const JobPortSettings& settings) {
  return std::make_unique<IppJobPort>(settings);
}
