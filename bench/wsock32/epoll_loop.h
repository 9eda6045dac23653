// The peer of the Winsock benchmark: the same datagram exchange written as
// a plain epoll loop on POSIX sockets.
#pragma once

struct ExchangeResult {
  double seconds = 0;
  int received = 0;
  int lost = 0;  // datagrams that never arrived (the loop gave up waiting)
};

// Sends `count` datagrams of `size` bytes from one loopback socket to
// another in bursts of `burst`, and after each burst receives them through
// epoll readiness, reading until the socket would block.
ExchangeResult epoll_exchange(int count, int burst, int size);
