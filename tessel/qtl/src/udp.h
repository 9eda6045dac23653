// The UDP transport: its start and stop, and its endpoints.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

int32_t StartUdp();
void StopUdp();

extern const TransportOps kUdpOps;

// Shared with TCP: the largest datagram of an IP socket ("MTU", else the
// socket's buffer sizes and the datagram limit), and binding a local port.
int32_t LargestIpDatagram(SOCKET socket, int32_t* status);
int32_t BindIpPort(Endpoint& endpoint, uint16_t port);
uint32_t IpLocalPort(Endpoint& endpoint, int32_t* status);

}  // namespace tessel::qtl
