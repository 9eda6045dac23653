// One SNMP v1 or v2c session with one agent, on net-snmp's single-session
// API: a session belongs to the call that opened it, so calls on different
// threads never share one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net_snmp.h"
#include "oids.h"
#include "snmp_settings.h"

namespace glysnmp {

enum class SnmpVersion { kV1, kV2c };

struct PduDeleter {
  void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using Pdu = std::unique_ptr<netsnmp_pdu, PduDeleter>;

// A request of `command` (SNMP_MSG_GET, SNMP_MSG_GETNEXT, ...) asking for
// `names`, each with a null value.
Pdu MakeRequest(int command, const std::vector<Oid>& names);

struct Peer {
  uint32_t address = 0;  // IPv4, first octet most significant
  std::string community;
  SnmpVersion version = SnmpVersion::kV2c;
};

// "udp:a.b.c.d:port", the form net-snmp opens.
std::string PeerName(uint32_t address, uint16_t port);

class Session {
 public:
  // Null when net-snmp cannot open the session (no socket left, say).
  static std::unique_ptr<Session> Open(const Peer& peer, const SnmpSettings& settings);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Sends `request` and waits for the answer with the session's time-out
  // and retries. Null when none came; an answer to another request id is
  // not taken for this one.
  Pdu Exchange(Pdu request);

  SnmpVersion version() const { return version_; }
  // net-snmp's handle, for asynchronous use.
  void* handle() const { return handle_; }

 private:
  Session(void* handle, SnmpVersion version) : handle_(handle), version_(version) {}

  void* handle_;
  SnmpVersion version_;
};

}  // namespace glysnmp
