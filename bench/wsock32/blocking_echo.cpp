#include "blocking_echo.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

int blocking_socket(sockaddr_in& name) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  name = sockaddr_in{};
  name.sin_family = AF_INET;
  name.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(name);
  bind(fd, reinterpret_cast<sockaddr*>(&name), length);
  getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length);
  const timeval wait{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
  return fd;
}

}  // namespace

ExchangeResult blocking_echo(int count, int size) {
  sockaddr_in clientName, serverName;
  const int client = blocking_socket(clientName);
  const int server = blocking_socket(serverName);
  // The echo ends at the empty datagram that follows the last one.
  std::thread echo([server] {
    std::vector<char> buffer(65536);
    for (;;) {
      sockaddr_in from{};
      socklen_t length = sizeof(from);
      const ssize_t n = recvfrom(server, buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &length);
      if (n == 0) return;
      if (n > 0) {
        sendto(server, buffer.data(), size_t(n), 0, reinterpret_cast<sockaddr*>(&from), length);
      }
    }
  });

  std::vector<char> payload(static_cast<size_t>(size), 'd'), buffer(65536);
  ExchangeResult result;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < count; ++sent) {
    sendto(client, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&serverName),
           sizeof(serverName));
    if (recvfrom(client, buffer.data(), buffer.size(), 0, nullptr, nullptr) > 0) {
      ++result.received;
    } else {
      ++result.lost;
    }
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  sendto(client, nullptr, 0, 0, reinterpret_cast<sockaddr*>(&serverName), sizeof(serverName));
  echo.join();
  close(client);
  close(server);
  return result;
}
