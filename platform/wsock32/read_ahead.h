// Datagram receives that read one datagram ahead.
//
// A receive on a non-blocking datagram socket asks the system for two
// datagrams at once: the second is held for the next receive, and when
// there was none the socket is known to be empty, so the receive that
// follows answers WSAEWOULDBLOCK without a system call, unless the watch
// reported an arrival meanwhile. That is the receive that ends every
// receive loop. The knowledge serves one receive only, so a caller that
// keeps trying always reaches the system again.
//
// Every function here is called with socket.lock held.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include "socket_table.h"

namespace wsock32 {

struct Received {
  ssize_t length = -1;  // -1: failed with `error`
  int error = 0;
  bool truncated = false;
  sockaddr_in source{};
};

// Answers a datagram receive from the held datagram or through the
// read-ahead; false when the call must go to the system as it is (a
// blocking socket, flags, or nothing held). `flags` are the system's.
bool receive_ahead(Socket& socket, char* buffer, int length, int flags, Received& got);

}  // namespace wsock32
