// One SNMP v1, v2c or v3 session with one agent, on net-snmp's
// single-session API: a session belongs to the call that opened it, so
// calls on different threads never share one.
//
// v3 sessions share net-snmp's one list of users, which it keeps without a
// lock. A v3 session puts its user into that list for its own life only,
// so that changed keys take effect at the next session and none stay
// behind in net-snmp's memory; it holds one lock of this library from its
// opening to its closing, so v3 sessions of several threads take turns.
// No call holds two sessions at once.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "answer_buffer.h"
#include "net_snmp.h"
#include "oids.h"
#include "snmp_security.h"
#include "snmp_settings.h"

namespace glysnmp {

struct PduDeleter {
  void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using Pdu = std::unique_ptr<netsnmp_pdu, PduDeleter>;

// A request of `command` (SNMP_MSG_GET, SNMP_MSG_GETNEXT, ...) asking for
// `names`, each with a null value.
Pdu MakeRequest(int command, const std::vector<Oid>& names);

struct Peer {
  uint32_t address = 0;  // IPv4, first octet most significant
  std::string community;  // v1 and v2c
  SnmpVersion version = SnmpVersion::kV2c;
  std::shared_ptr<const V3Credentials> v3;  // for kV3
};

// "udp:a.b.c.d:port", the form net-snmp opens.
std::string PeerName(uint32_t address, uint16_t port);

// Why an exchange (or a v3 session's engine discovery) failed: kSnmpOk
// when it did not, else one of the SNMPv3 results (kSnmpNoAnswer for
// anything but the agent's security reports).
int32_t FailureOf(int netSnmpError);

class Session {
 public:
  // Null when net-snmp cannot open the session (no socket left, say, or a
  // v3 agent that did not tell its engine ID); `failure`, when given, then
  // tells why.
  static std::unique_ptr<Session> Open(const Peer& peer, const SnmpSettings& settings, int32_t* failure = nullptr);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Sends `request` and waits for the answer with the session's time-out
  // and retries. Null when none came (failure() tells why); an answer to
  // another request id is not taken for this one.
  Pdu Exchange(Pdu request);

  // v2c only: requests in flight side by side, on a socket of the
  // session's own. Send encodes and sends `request` and gives its id, or
  // nullopt when it cannot be sent. AwaitAnswer waits for the answer to any
  // request sent and not yet answered, sending each again after the
  // session's time-out as often as its retries allow, and decodes it into
  // `answer`, whose storage is reused from answer to answer; it gives the
  // request's id, or nullopt when a request went unanswered (failure()
  // tells why), which forgets every request in flight. Abandon forgets them
  // too; their late answers are passed over.
  std::optional<int32_t> Send(Pdu request);
  std::optional<int32_t> AwaitAnswer(AnswerBuffer& answer);
  void Abandon() { inFlight_.clear(); }

  SnmpVersion version() const { return version_; }
  // The reason the last Exchange or AwaitAnswer gave no answer: kSnmpOk after an answer,
  // kSnmpMalformedAnswer when only messages came that could not be read
  // or that answered another request.
  int32_t failure() const { return failure_; }

 private:
  Session(void* handle, SnmpVersion version, std::optional<std::unique_lock<std::mutex>> lock)
      : lock_(std::move(lock)), handle_(handle), version_(version) {}
  bool OpenSocket();

  std::optional<std::unique_lock<std::mutex>> lock_;  // for v3; released after the close
  void* handle_;
  SnmpVersion version_;
  int32_t failure_ = kSnmpOk;
  // For Send and AwaitAnswer: the agent, the socket, the encoding buffer
  // and the requests in flight.
  struct InFlight {
    int32_t id;
    std::vector<u_char> message;
    std::chrono::steady_clock::time_point deadline;
    int triesLeft;
  };
  uint32_t address_ = 0;
  uint16_t port_ = 0;
  int socket_ = -1;
  u_char* packet_ = nullptr;  // malloc'd, as net-snmp grows it
  size_t packetSize_ = 0;
  std::vector<InFlight> inFlight_;
};

}  // namespace glysnmp
