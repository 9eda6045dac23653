// The peer of the transport layer's round trip: one datagram at a time
// between two blocking loopback sockets.
#pragma once

#include "epoll_loop.h"

// Sends `count` datagrams of `size` bytes one at a time from a blocking
// loopback socket to another that a thread of its own echoes with blocking
// calls, each after the echo of the one before has been read (`received`
// counts the echoes). A datagram whose echo does not come within a second
// is counted lost.
ExchangeResult blocking_echo(int count, int size);
