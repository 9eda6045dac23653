#include "epoll_loop.h"

#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace {

int bound_socket(sockaddr_in& name) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  name = sockaddr_in{};
  name.sin_family = AF_INET;
  name.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(name);
  bind(fd, reinterpret_cast<sockaddr*>(&name), length);
  getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length);
  return fd;
}

}  // namespace

ExchangeResult epoll_exchange(int count, int burst, int size) {
  sockaddr_in receiverName, senderName;
  const int receiver = bound_socket(receiverName);
  const int sender = bound_socket(senderName);
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  epoll_event interest{};
  interest.events = EPOLLIN;
  epoll_ctl(epoll, EPOLL_CTL_ADD, receiver, &interest);
  std::vector<char> payload(static_cast<size_t>(size), 'd'), buffer(65536);

  ExchangeResult result;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < count;) {
    int expected = 0;
    for (; expected < burst && sent < count; ++expected, ++sent) {
      sendto(sender, payload.data(), payload.size(), 0,
             reinterpret_cast<sockaddr*>(&receiverName), sizeof(receiverName));
    }
    while (expected > 0) {
      epoll_event ready;
      if (epoll_wait(epoll, &ready, 1, 1000) != 1) break;
      while (recvfrom(receiver, buffer.data(), buffer.size(), 0, nullptr, nullptr) >= 0) {
        --expected;
        ++result.received;
      }
    }
    result.lost += expected;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(epoll);
  close(sender);
  close(receiver);
  return result;
}

ExchangeResult epoll_echo(int count, int burst, int size) {
  sockaddr_in clientName, serverName;
  const int client = bound_socket(clientName);
  const int server = bound_socket(serverName);
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  epoll_event interest{};
  interest.events = EPOLLIN;
  interest.data.fd = client;
  epoll_ctl(epoll, EPOLL_CTL_ADD, client, &interest);
  interest.data.fd = server;
  epoll_ctl(epoll, EPOLL_CTL_ADD, server, &interest);
  std::vector<char> payload(static_cast<size_t>(size), 'd'), buffer(65536);

  ExchangeResult result;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < count;) {
    int expected = 0;
    for (; expected < burst && sent < count; ++expected, ++sent) {
      sendto(client, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&serverName),
             sizeof(serverName));
    }
    while (expected > 0) {
      epoll_event ready[2];
      const int events = epoll_wait(epoll, ready, 2, 1000);
      if (events <= 0) break;
      for (int i = 0; i < events; ++i) {
        const int fd = ready[i].data.fd;
        sockaddr_in from;
        socklen_t fromLength = sizeof(from);
        ssize_t length;
        while ((length = recvfrom(fd, buffer.data(), buffer.size(), 0,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength)) >= 0) {
          if (fd == server) {
            sendto(server, buffer.data(), size_t(length), 0, reinterpret_cast<sockaddr*>(&from),
                   fromLength);
          } else {
            --expected;
            ++result.received;
          }
          fromLength = sizeof(from);
        }
      }
    }
    result.lost += expected;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(epoll);
  close(server);
  close(client);
  return result;
}
