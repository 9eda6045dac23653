#include "download/lpr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "download/job_file_reading.h"
#include "download/lpr_socket.h"
#include "exchange_trace.h"

namespace {

constexpr char kQueue[] = "lp";
constexpr uint32_t kCommandPauseMs = 250;
constexpr uint32_t kBlockPauseMs = 10;
constexpr uint32_t kClosingPauseMs = 200;
constexpr size_t kBlockSize = 1024;
// Without pacing the data goes in sends as large as the job file is read in.
constexpr size_t kUnpacedBlockSize = 64 * 1024;
constexpr size_t kMostSourceNameChars = 31;

struct ResultRow {
  int code;
  const char* name;
  const char* message;
};

constexpr ResultRow kResults[] = {
#define LPR_RESULT_ROW(name, code, message) {code, #name, message},
    LPR_RESULT_MAP(LPR_RESULT_ROW)
#undef LPR_RESULT_ROW
};

const ResultRow* FindResult(int result) {
  for (const ResultRow& row : kResults) {
    if (row.code == result) return &row;
  }
  return nullptr;
}

// Sends `bytes` and reads the acknowledgement that follows them; a non-zero
// acknowledgement becomes `refusal`.
int SendAcknowledged(LprSocket& socket, const char* peer, const std::string& bytes, int refusal,
                     const LprSettings& settings) {
  // The data file's bytes were sent before; its closing zero stands for it.
  TraceExchange(TraceProtocol::kLpr, peer, '>', bytes == std::string(1, '\0') ? "end of data file" : TraceText(bytes));
  if (int error = socket.Send(bytes.data(), bytes.size())) return error;
  uint8_t ack = 0;
  const int error = socket.ReceiveByte(ack, settings.noProgressMs);
  TraceExchange(TraceProtocol::kLpr, peer, '<', error ? "none" : "acknowledgement " + std::to_string(ack));
  if (error) return error;
  return ack == 0 ? 0 : refusal;
}

std::string ControlFile(const std::string& host, const std::string& job,
                        const std::string& sourceName) {
  return "H" + host + "\n" +                      // host
         "P" + host + "\n" +                      // user
         "fdfA" + job + host + "\n" +             // print the data file as plain text
         "UdfA" + job + host + "\n" +             // delete it afterwards
         "N" + sourceName + "\n";                 // the name it came from
}

// A fixed wait of the paced exchange; none without pacing.
void Pause(const LprSettings& settings, uint32_t ms) {
  if (settings.pacing == LprPacing::Classic) settings.clock->SleepMs(ms);
}

// The data file in whole blocks (1024 bytes each, paced), then the rest and
// the closing NUL in one send, then its acknowledgement.
int SendDataFile(LprSocket& socket, const char* peer, const JobFile& jobFile, uintmax_t size,
                 const LprSettings& settings) {
  const size_t blockSize = settings.pacing == LprPacing::Classic ? kBlockSize : kUnpacedBlockSize;
  const uintmax_t inBlocks = size - size % blockSize;  // the bytes of the whole blocks
  const int sent = SendJobFileInChunks(jobFile, inBlocks, blockSize, [&](const char* block, size_t length) {
    if (int error = socket.Send(block, length)) return error;
    Pause(settings, kBlockPauseMs);
    return 0;
  });
  if (sent != 0) return sent;
  std::string tail(static_cast<size_t>(size - inBlocks), '\0');
  if (!ReadJobFileAt(jobFile, tail.data(), tail.size(), inBlocks)) return LPR_ERR_JOB_FILE_READ;
  tail.push_back('\0');
  return SendAcknowledged(socket, peer, tail, LPR_ERR_DATA_FILE_REFUSED, settings);
}

}  // namespace

const char* LprResultName(int result) {
  const ResultRow* row = FindResult(result);
  return row ? row->name : nullptr;
}

const char* LprResultMessage(int result) {
  const ResultRow* row = FindResult(result);
  return row ? row->message : nullptr;
}

LprSettings DefaultLprSettings() {
  LprSettings settings;
  if (const char* text = std::getenv(kLprPortEnv)) {
    char* end = nullptr;
    long port = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && port >= 1 && port <= 65535) {
      settings.port = static_cast<uint16_t>(port);
    }
  }
  return settings;
}

std::string MakeJobNumber(int n) {
  int number = n % 1000;
  if (number < 0) number += 1000;
  char text[4] = {static_cast<char>('0' + number / 100), static_cast<char>('0' + number / 10 % 10),
                  static_cast<char>('0' + number % 10), '\0'};
  return text;
}

std::string LprSourceName(const char* jobFilePath) {
  std::string path(jobFilePath);
  size_t separator = path.find_last_of("/\\");
  std::string name =
      separator == std::string::npos ? path : "\\" + path.substr(separator + 1);
  if (name.size() > kMostSourceNameChars) name.resize(kMostSourceNameChars);
  return name;
}

int SubmitLprJob(const char* printerAddress, const JobFile& jobFile, const char* hostName, int jobNumber,
                 const LprSettings& settings) {
  std::unique_ptr<LprSocket> socket = MakeTcpLprSocket(*settings.clock, settings.noProgressMs);
  return SubmitLprJobOn(*socket, printerAddress, jobFile, hostName, jobNumber, settings);
}

int SubmitLprJobOn(LprSocket& socket, const char* printerAddress, const JobFile& jobFile, const char* hostName,
                   int jobNumber, const LprSettings& settings) {
  uintmax_t size = 0;
  if (!MeasureJobFile(jobFile, size)) return LPR_ERR_JOB_FILE_UNREADABLE;

  if (int result = socket.Connect(printerAddress, settings.port, settings.connectTimeoutMs)) return result;

  const std::string host(hostName);
  const std::string job = MakeJobNumber(jobNumber);

  std::string receiveJob = "\x02" + std::string(kQueue) + "\n";
  if (int result = SendAcknowledged(socket, printerAddress, receiveJob, LPR_ERR_QUEUE_REFUSED, settings)) {
    return result;
  }
  Pause(settings, kCommandPauseMs);

  std::string control = ControlFile(host, job, LprSourceName(jobFile.path().c_str()));
  std::string controlCommand =
      "\x02" + std::to_string(control.size()) + " cfA" + job + host + "\n";
  if (int result =
          SendAcknowledged(socket, printerAddress, controlCommand, LPR_ERR_CONTROL_FILE_REFUSED, settings)) {
    return result;
  }
  Pause(settings, kCommandPauseMs);
  control.push_back('\0');
  if (int result = SendAcknowledged(socket, printerAddress, control, LPR_ERR_CONTROL_FILE_REFUSED, settings)) {
    return result;
  }

  std::string dataCommand = "\x03" + std::to_string(size) + " dfA" + job + host + "\n";
  Pause(settings, kCommandPauseMs);
  if (int result = SendAcknowledged(socket, printerAddress, dataCommand, LPR_ERR_DATA_FILE_REFUSED, settings)) {
    return result;
  }

  if (int result = SendDataFile(socket, printerAddress, jobFile, size, settings)) return result;

  Pause(settings, kClosingPauseMs);
  socket.ShutdownSend();
  return 0;
}
