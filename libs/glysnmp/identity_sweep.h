// Asks many addresses for their identity: the discovery of a subnet as
// large as a /16.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device_identity.h"
#include "snmp_settings.h"

namespace glysnmp {

// Sends the identity request to each address once, over one socket, at
// most settings.discoveryRate a second and with at most
// settings.discoveryInFlight awaiting an answer; each request waits one
// time-out. The answers of the devices that answered, each once, in the
// order of `addresses`, which must be ascending.
std::vector<IdentityAnswer> SweepIdentities(const std::vector<uint32_t>& addresses, const std::string& community,
                                            const SnmpSettings& settings);

// The addresses among `addresses` (ascending) whose agent answered the
// SNMPv3 engine discovery, ascending; asked as SweepIdentities asks. Only
// those are worth a v3 session, which costs each address its own exchanges.
std::vector<uint32_t> SweepV3Engines(const std::vector<uint32_t>& addresses, const SnmpSettings& settings);

}  // namespace glysnmp
