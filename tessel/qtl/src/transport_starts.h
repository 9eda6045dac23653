// What the transports' start and stop routines share. Every one of them runs
// under the init lock, inside a start or stop request.
#pragma once

#include <cstdint>

#include "platform/winsock.h"

namespace tessel::qtl {

// A transport's start count and the names its log lines use.
struct StartCount {
  uint32_t bit;      // its bit in the loaded-transports mask
  const char* name;  // "UDP" in "UDP transport loaded"
  int32_t starts;
};

// A transport that brings up the socket library itself (UDP, IPX).
struct SocketLibraryTransport {
  StartCount count;
  int32_t initFailure;
  int family, type, protocol;  // the socket the first start makes as a test
  // Runs when the last start is released, before the bit is cleared; null
  // for none.
  void (*lastRelease)();
};

// A transport on top of another one, whose start request it runs (TCP on
// UDP, SPX on IPX).
struct LayeredTransport {
  StartCount count;
  int32_t initFailure;
  uint32_t base;
  int family, type, protocol;  // the socket the first start makes as a test
};

// Binds the socket library, counts the start, asks WSAStartup for version
// 1.1 and, on the first start, proves that the transport's sockets can be
// made. Fails with the transport's init code, leaving everything as it was.
int32_t StartSocketLibraryTransport(SocketLibraryTransport& transport, WSADATA* data);
void StopSocketLibraryTransport(SocketLibraryTransport& transport);

int32_t StartLayeredTransport(LayeredTransport& transport);
void StopLayeredTransport(LayeredTransport& transport);

}  // namespace tessel::qtl
