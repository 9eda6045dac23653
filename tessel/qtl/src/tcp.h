// The TCP transport: its start and stop (on top of UDP), and its endpoints.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

int32_t StartTcp();
void StopTcp();

extern const TransportOps kTcpOps;

}  // namespace tessel::qtl
