// The UDP transport: its start and stop, and its endpoints.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

int32_t StartUdp();
void StopUdp();

extern const TransportOps kUdpOps;

// Shared with TCP: the largest datagram of an IP socket ("MTU", else the
// socket's buffer sizes and the datagram limit), binding a local port, the
// IPv4 socket address of a NetAddress and back, and the information items.
int32_t LargestIpDatagram(SOCKET socket, int32_t* status);
int32_t BindIpPort(Endpoint& endpoint, uint16_t port);
SOCKADDR_IN IpSocketAddress(uint16_t port, uint32_t address);
NetAddress IpSource(const SOCKADDR& address);
uint32_t UdpInfo(Endpoint& endpoint, int32_t item, int32_t* status);

}  // namespace tessel::qtl
