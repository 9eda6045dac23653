// The raw job port (AppSocket, 9100): the job file's bytes as they are, as
// fast as the printer takes them; TCP's own flow control is the only
// pacing. The sending direction is shut when the file is sent, and the job
// is done when the printer, having read it all, closes the connection.
// What it says back meanwhile (PJL status) is read and dropped.
#include "download/job_file_reading.h"
#include "download/job_port.h"
#include "download/lpr_socket.h"

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

class RawJobPort final : public JobPortClient {
 public:
  explicit RawJobPort(const JobPortSettings& settings) : settings_(settings) {}

  JobOutcome Send(const char* address, const JobFile& jobFile, const char*, int) override {
    uintmax_t size = 0;
    if (!MeasureJobFile(jobFile, size)) return LPR_ERR_JOB_FILE_UNREADABLE;
    const std::unique_ptr<LprSocket> socket = MakeTcpLprSocket(*settings_.clock, settings_.noProgressMs);
    if (int result = socket->Connect(address, settings_.rawPort, settings_.connectTimeoutMs)) return result;
    const int sent = SendJobFileInChunks(jobFile, size, kChunkBytes,
                                         [&](const char* bytes, size_t length) { return socket->Send(bytes, length); });
    if (sent != 0) return sent;
    socket->ShutdownSend();
    return AwaitClose(*socket);
  }

 private:
  // Every byte was taken; a printer that then keeps the connection open
  // past the no-progress limit has still been given the whole job.
  int AwaitClose(LprSocket& socket) {
    uint8_t ignored = 0;
    for (;;) {
      const int result = socket.ReceiveByte(ignored, settings_.noProgressMs);
      if (result == LPR_ERR_NO_ACK || result == JOB_ERR_STOPPED_TAKING_DATA) return 0;
      if (result != 0) return result;
    }
  }

  JobPortSettings settings_;
};

}  // namespace

std::unique_ptr<JobPortClient> MakeRawJobPort(const JobPortSettings& settings) {
  return std::make_unique<RawJobPort>(settings);
}
