#include "snmp_session.h"

#include <cstdio>

namespace glysnmp {

Pdu MakeRequest(int command, const std::vector<Oid>& names) {
  Pdu pdu(snmp_pdu_create(command));
  for (const Oid& name : names) snmp_add_null_var(pdu.get(), name.data(), name.size());
  return pdu;
}

std::string PeerName(uint32_t address, uint16_t port) {
  char text[40];
  std::snprintf(text, sizeof text, "udp:%u.%u.%u.%u:%u", address >> 24, (address >> 16) & 0xff,
                (address >> 8) & 0xff, address & 0xff, static_cast<unsigned>(port));
  return text;
}

std::unique_ptr<Session> Session::Open(const Peer& peer, const SnmpSettings& settings) {
  StartNetSnmp();
  netsnmp_session config;
  snmp_sess_init(&config);
  std::string peerName = PeerName(peer.address, settings.port);
  std::string community = peer.community;
  config.version = peer.version == SnmpVersion::kV1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
  config.peername = peerName.data();
  config.community = reinterpret_cast<u_char*>(community.data());
  config.community_len = community.size();
  config.timeout = static_cast<long>(settings.timeoutMs) * 1000;
  config.retries = static_cast<int>(settings.retries);
  // snmp_sess_open copies what it keeps of `config`.
  void* handle = snmp_sess_open(&config);
  if (handle == nullptr) return nullptr;
  return std::unique_ptr<Session>(new Session(handle, peer.version));
}

Session::~Session() { snmp_sess_close(handle_); }

Pdu Session::Exchange(Pdu request) {
  netsnmp_pdu* answer = nullptr;
  // The request is the library's from here on, whatever the outcome.
  int status = snmp_sess_synch_response(handle_, request.release(), &answer);
  Pdu owned(answer);
  if (status != STAT_SUCCESS) return nullptr;
  return owned;
}

}  // namespace glysnmp
