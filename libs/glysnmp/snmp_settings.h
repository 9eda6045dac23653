// How the library reaches agents: the UDP port, the time-out of one request
// and how often a request is repeated. Each has a default for a printer on
// the local network and can be changed from the environment:
//   GLY_SNMP_PORT        agent port (161)
//   GLY_SNMP_TIMEOUT_MS  wait for one answer, in milliseconds (1000)
//   GLY_SNMP_RETRIES     repeats of an unanswered request (2; discovery
//                        always asks once)
//   GLY_SNMP_COMMUNITY   read community for devices not yet listed, which
//                        have no record to carry one ("vorpal", the one a
//                        new record starts with)
//   GLY_SNMP_DISCOVERY_RATE       discovery requests sent per second (15000)
//   GLY_SNMP_DISCOVERY_IN_FLIGHT  discovery requests awaiting an answer or
//                                 their time-out at any one time (16384)
#pragma once

#include <cstdint>
#include <string>

namespace glysnmp {

struct SnmpSettings {
  uint16_t port = 161;
  uint32_t timeoutMs = 1000;
  uint32_t retries = 2;
  std::string newDeviceCommunity = "vorpal";
  // A /16 goes out in about 4.4 s, well within what a switched network
  // carries; the window lets the rate hold up with a time-out of 1 s.
  uint32_t discoveryRate = 15000;
  uint32_t discoveryInFlight = 16384;
};

// The defaults, overridden by whatever valid values the environment holds;
// a malformed or out-of-range value leaves the default in place.
SnmpSettings ReadSnmpSettings();

}  // namespace glysnmp
