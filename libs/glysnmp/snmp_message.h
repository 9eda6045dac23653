// SNMP messages outside a net-snmp session, for the discovery sweep, which
// asks thousands of addresses over one socket: requests are encoded here,
// answers are parsed by net-snmp's own parsers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "snmp_session.h"

namespace glysnmp {

// The v2c message carrying `request` (its command and names, each with a
// null value) under `community` and `requestId`.
std::string EncodeV2cRequest(const netsnmp_pdu& request, const std::string& community, int32_t requestId);

// A v2c message of `size` bytes as a PDU; null for anything else.
Pdu DecodeV2cMessage(const uint8_t* data, size_t size);

// The unauthenticated SNMPv3 request with which a manager learns an
// agent's engine ID (RFC 3414, 4): an empty GET from no user, marked
// reportable, under message id `messageId`.
std::string EncodeV3EngineProbe(int32_t messageId);

// The message id of an SNMPv3 message of `size` bytes (an agent's report
// to the probe above echoes the probe's); nullopt for anything else.
std::optional<int32_t> DecodeV3MessageId(const uint8_t* data, size_t size);

}  // namespace glysnmp
