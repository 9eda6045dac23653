// The peers of the Winsock and transport benchmarks: the same datagram
// exchanges written as plain epoll loops on POSIX sockets.
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

// Sends `count` datagrams of `size` bytes from one loopback socket to an
// echoing one in bursts of `burst`; the echoing socket sends each back as
// it reads it, and a burst ends when every echo has been read (`received`
// counts the echoes).
ExchangeResult epoll_echo(int count, int burst, int size);
