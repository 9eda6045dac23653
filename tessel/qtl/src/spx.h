// The SPX transport: its start and stop (on top of IPX), and its endpoints.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

int32_t StartSpx();
void StopSpx();

extern const TransportOps kSpxOps;

}  // namespace tessel::qtl
