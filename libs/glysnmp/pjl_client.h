// One conversation with a printer's AppSocket port (raw TCP, 9100) for PJL
// queries and the printer-language readback that comes back on it.
//
// Each request is followed by a PJL ECHO of a marker of its own, and its
// reply is what the printer answered around that marker: before it on
// printers that answer in order, after it on those that answer the ECHO
// first (learnt from the first replies). A command the printer ignores
// (file-system access switched off) shows as an empty reply instead of a
// time-out. Unsolicited USTATUS reports are switched off (USTATUSOFF) and
// skipped. After a time-out the connection is closed and the next request
// opens a new one, so that a reply arriving late is never taken for the
// answer to another request.
//
// Waits adapt to the printer: the first answer of a connection is awaited
// up to three times the base time-out, every later one up to three times
// the slowest answer seen so far, never less than the base time-out nor
// more than three times it. A whole conversation (a listing, a deletion)
// has an overall deadline and a cap on its requests.
//   GLY_RAW_PORT              the printer's AppSocket port (9100)
//   GLY_PJL_TIMEOUT_MS        base wait for one reply, in milliseconds (5000)
//   GLY_PJL_DEADLINE_S        limit of one whole conversation, in seconds (600)
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pjl_stream.h"

namespace glysnmp {

// Time for the overall deadline, so that tests of long bounds run fast.
class PjlClock {
 public:
  virtual ~PjlClock() = default;
  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual uint64_t NowMs() = 0;
};
PjlClock& SteadyPjlClock();

inline constexpr uint32_t kMostPjlRequests = 3 * 4096 + 256;

struct PjlSettings {
  uint16_t port = 9100;
  uint32_t timeoutMs = 5000;
  uint32_t deadlineMs = 600000;
  uint32_t mostRequests = kMostPjlRequests;
  PjlClock* clock = nullptr;  // null: SteadyPjlClock()
};

PjlSettings ReadPjlSettings();

// Why a conversation ended without an answer.
enum class PjlFailure { kNone, kNoAnswer, kDeadlinePassed, kTooManyRequests };

class PjlClient {
 public:
  // Connects and opens a PJL job, with the job password when `password`
  // is not 0; null when the printer cannot be reached.
  static std::unique_ptr<PjlClient> Open(uint32_t address, uint32_t password, const PjlSettings& settings);
  ~PjlClient();
  PjlClient(const PjlClient&) = delete;
  PjlClient& operator=(const PjlClient&) = delete;

  // Sends `request` (PJL lines, or printer-language data that leaves the
  // printer back in PJL) and returns what the printer answered to it, its
  // replies one after another; nullopt on a time-out, a closed connection,
  // a reply over `mostBytes` or a conversation over its bounds (failure()
  // then says which).
  std::optional<std::string> Exchange(std::string_view request, size_t mostBytes);
  PjlFailure failure() const { return failure_; }
  // The time-out the next reply is awaited with.
  uint32_t ReplyTimeoutMs() const;

 private:
  PjlClient(uint32_t address, uint32_t password, const PjlSettings& settings);
  bool Connect();
  void Disconnect();
  bool Send(std::string_view bytes);
  bool WithinBounds();
  // Reads until the reply to `marker` is whole; false on a time-out.
  bool ReadReply(const std::string& marker, size_t mostBytes, std::string* reply);

  enum class Order { kUnknown, kInOrder, kEchoFirst };

  std::string PeerText() const;  // "a.b.c.d:port", for the trace

  uint32_t address_;
  uint32_t password_;
  PjlSettings settings_;
  PjlClock& clock_;
  uint64_t startedMs_;
  int fd_ = -1;
  PjlReplyStream stream_;
  Order order_ = Order::kUnknown;
  uint32_t requests_ = 0;
  uint32_t slowestMs_ = 0;  // of the answers on this connection; 0: none yet
  PjlFailure failure_ = PjlFailure::kNone;
};

// "@PJL <command>\r\n".
std::string PjlLine(std::string_view command);

}  // namespace glysnmp
