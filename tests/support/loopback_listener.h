// A TCP listener on a loopback address and a port the system picks, for the
// servers tests write themselves (hostile printers and the like).
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

// The listening socket, or -1; `port` gets the port it listens on.
inline int ListenOnLoopback(const char* address, uint16_t& port) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return -1;
  const int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  socklen_t length = sizeof where;
  if (inet_pton(AF_INET, address, &where.sin_addr) != 1 ||
      bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(listener, 8) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&where), &length) != 0) {
    close(listener);
    return -1;
  }
  port = ntohs(where.sin_port);
  return listener;
}
