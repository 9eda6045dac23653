// Plain POSIX peers on loopback for the Winsock and ICMP tests, kept apart
// from the module's Winsock definitions (whose constants share names with
// the system's).
#pragma once

#include <cstdint>
#include <string>

// A TCP listener on 127.0.0.1 at a port of the system's choosing.
class PeerListener {
 public:
  PeerListener();
  ~PeerListener();
  PeerListener(const PeerListener&) = delete;
  PeerListener& operator=(const PeerListener&) = delete;

  uint16_t port() const { return port_; }
  // Accepts one connection within 10 s; its descriptor, or -1.
  int accept_one();

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// Calls on an accepted connection's descriptor.
bool peer_send(int fd, const std::string& data);
// Reads whatever arrives within `milliseconds`, until the sender stops.
std::string peer_receive(int fd, int milliseconds);
// Makes the receive buffer small, so that a sender fills it soon.
void peer_shrink_receive_buffer(int fd);
void peer_close(int fd);
// Closes with a reset instead of the orderly close.
void peer_reset(int fd);

// A loopback TCP port with nothing listening on it.
uint16_t unused_tcp_port();

// Moves the calling thread into a network namespace of its own with its
// loopback interface up. `ignoreEcho` makes the kernel answer no echo
// request; `allowDatagramPing` admits every group to datagram ICMP
// sockets. Returns false, with the reason, where that is not permitted.
bool enter_private_network(bool ignoreEcho, bool allowDatagramPing, std::string& reason);
// Whether the calling thread could open a datagram ICMP socket now.
bool datagram_ping_allowed();
