// Asks many addresses for their identity at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device_identity.h"
#include "snmp_settings.h"

namespace glysnmp {

// Sends the identity request to every address at once, each once, and
// collects answers until one time-out after the last request went out. The
// answers of the devices that answered, in address order. When the process runs short of
// sockets, the addresses left over are asked in a further round.
std::vector<IdentityAnswer> SweepIdentities(const std::vector<uint32_t>& addresses, const std::string& community,
                                          const SnmpSettings& settings);

}  // namespace glysnmp
