// The IPX transport: its start and stop, and its endpoints.
#pragma once

#include <cstdint>

#include "endpoint.h"
#include "platform/winsock_ipx.h"

namespace tessel::qtl {

int32_t StartIpx();
void StopIpx();

extern const TransportOps kIpxOps;

// Shared with SPX, which hands its data over packet by packet as IPX does:
// the largest packet, binding a socket number, the IPX socket address of a
// NetAddress and back, the receive drain and the information items.
int32_t LargestIpxPacket(SOCKET socket, int32_t* status);
int32_t BindIpxSocket(Endpoint& endpoint, uint16_t socketNumber);
SOCKADDR_IPX IpxSocketAddress(const NetAddress& address);
NetAddress IpxSource(const SOCKADDR& address);
void DrainIpxPackets(Endpoint& endpoint);
uint32_t IpxInfo(Endpoint& endpoint, int32_t item, int32_t* status);

}  // namespace tessel::qtl
