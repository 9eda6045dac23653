// What the SNMP library's tests share: short time-outs, records and
// contexts for an agent on loopback.
#pragma once

#include <cstdio>
#include <string>

#include "agent_peers.h"
#include "glysnmp.h"
#include "temp_dir.h"

// Every test runs with a short time-out and one retry at its agent's port.
class AgentTest {
 public:
  explicit AgentTest(uint16_t port)
      : port_("GLY_SNMP_PORT", std::to_string(port)), timeout_("GLY_SNMP_TIMEOUT_MS", "300"), retries_("GLY_SNMP_RETRIES", "1") {}

 private:
  EnvOverride port_;
  EnvOverride timeout_;
  EnvOverride retries_;
};

// A listed printer at `address` with the given communities.
inline PrinterRecord RecordFor(const std::string& address, const char* read = "vorpal", const char* write = "quillet",
                               int32_t snmpLevel = 2) {
  PrinterRecord record{};
  snprintf(record.readCommunity, sizeof record.readCommunity, "%s", read);
  snprintf(record.writeCommunity, sizeof record.writeCommunity, "%s", write);
  record.address = AddressOf(address);
  record.snmpLevel = snmpLevel;
  return record;
}
