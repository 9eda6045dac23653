// What each transport answers for itself, without an endpoint.
#pragma once

#include <cstdint>

namespace tessel::qtl {

// The value of an information item for a protocol; 0 with
// QTLERR_INVALID_PARAM for an item or protocol without one.
uint32_t ProtocolInfo(uint32_t protocol, int32_t item, int32_t* status);

}  // namespace tessel::qtl
