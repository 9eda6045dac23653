// The peer of the transport layer's stream round trip: a loopback TCP
// listener that echoes each connection it accepts, on a thread of its own
// with blocking calls, until the client closes it.
#pragma once

#include <cstdint>
#include <thread>

#include "epoll_loop.h"

class StreamEcho {
 public:
  StreamEcho();
  ~StreamEcho();  // stops listening once the connections have ended
  StreamEcho(const StreamEcho&) = delete;
  StreamEcho& operator=(const StreamEcho&) = delete;

  uint16_t port() const { return port_; }

 private:
  int listener_ = -1;
  uint16_t port_ = 0;
  std::thread thread_;
};

// `count` round trips of `size` bytes from a blocking loopback TCP client to
// `echo`, each after the echo of the one before has been read whole. A
// round trip without an answer within a second ends the run as lost.
ExchangeResult blocking_stream_round_trips(const StreamEcho& echo, int count, int size);
