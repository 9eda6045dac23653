// The socket work every transport's endpoints share: the open and close
// steps, the results of a datagram send, and the datagram receive drain.
#pragma once

#include <cstdint>

#include "endpoint.h"

namespace tessel::qtl {

// The socket an endpoint of a transport opens.
struct EndpointSocketKind {
  int family, type, protocol;
  bool broadcast;  // allow sending to broadcast addresses
  // The largest datagram of the socket (information item 1); a negative
  // status fails the open.
  int32_t (*largestDatagram)(SOCKET socket, int32_t* status);
};

// Runs a start request for the endpoint's protocol, makes the socket
// non-blocking and fixes maxPacket. On failure the socket is closed and the
// start stopped again.
int32_t OpenEndpointSocket(Endpoint& endpoint, int32_t mode, const EndpointSocketKind& kind);
// Closes the socket (QTLERR_SOCKET_DESTROY, keeping the start, when that
// fails) and stops the endpoint's start of its transport.
int32_t CloseEndpointSocket(Endpoint& endpoint);

// sendto and what its result means for the caller.
int32_t SendDatagram(Endpoint& endpoint, const SOCKADDR* to, int toLength, const uint8_t* data,
                     int32_t length);

// After a failed receive: queues the failure as a data record, logged, unless
// the socket merely had nothing more (WSAEWOULDBLOCK).
void QueueFailedReceive(Endpoint& endpoint);

// The port or socket number the endpoint is bound to, read with getsockname
// into an address of `size` bytes whose number sits, in network order, at
// `offset`. QTLERR_NOT_BOUND before QTLBind.
uint32_t BoundNumber(Endpoint& endpoint, int size, size_t offset, int32_t* status);

// Reads every waiting datagram into records of maxPacket bytes, so one
// notification empties the socket. `source` turns the socket address a
// datagram came from (sourceSize bytes) into a NetAddress.
void DrainDatagrams(Endpoint& endpoint, int sourceSize,
                    NetAddress (*source)(const SOCKADDR& address));

}  // namespace tessel::qtl
