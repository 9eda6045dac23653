// SNMP v2c messages outside a net-snmp session, for the discovery sweep,
// which asks thousands of addresses over one socket: requests are encoded
// here, answers are parsed by net-snmp's own message parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "snmp_session.h"

namespace glysnmp {

// The v2c message carrying `request` (its command and names, each with a
// null value) under `community` and `requestId`.
std::string EncodeV2cRequest(const netsnmp_pdu& request, const std::string& community, int32_t requestId);

// A v2c message of `size` bytes as a PDU; null for anything else.
Pdu DecodeV2cMessage(const uint8_t* data, size_t size);

}  // namespace glysnmp
