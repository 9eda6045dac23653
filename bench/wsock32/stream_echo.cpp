#include "stream_echo.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace {

sockaddr_in loopback(uint16_t port) {
  sockaddr_in name{};
  name.sin_family = AF_INET;
  name.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  name.sin_port = htons(port);
  return name;
}

void no_delay(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

void echo_connection(int fd) {
  no_delay(fd);
  std::vector<char> buffer(65536);
  for (;;) {
    const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
    if (n <= 0 || send(fd, buffer.data(), size_t(n), MSG_NOSIGNAL) != n) break;
  }
  close(fd);
}

}  // namespace

StreamEcho::StreamEcho() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in name = loopback(0);
  socklen_t length = sizeof(name);
  bind(listener_, reinterpret_cast<sockaddr*>(&name), length);
  getsockname(listener_, reinterpret_cast<sockaddr*>(&name), &length);
  port_ = ntohs(name.sin_port);
  listen(listener_, 4);
  // Each connection gets a thread of its own; shutting the listener down
  // ends the accept loop, which then waits for the connections to end.
  thread_ = std::thread([fd = listener_] {
    std::vector<std::thread> connections;
    for (int connection; (connection = accept(fd, nullptr, nullptr)) >= 0;) {
      connections.emplace_back(echo_connection, connection);
    }
    for (std::thread& connection : connections) connection.join();
  });
}

StreamEcho::~StreamEcho() {
  shutdown(listener_, SHUT_RDWR);
  thread_.join();
  close(listener_);
}

ExchangeResult blocking_stream_round_trips(const StreamEcho& echo, int count, int size) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in name = loopback(echo.port());
  ExchangeResult result;
  if (connect(fd, reinterpret_cast<sockaddr*>(&name), sizeof(name)) != 0) {
    close(fd);
    result.lost = count;
    return result;
  }
  const timeval wait{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
  std::vector<char> payload(static_cast<size_t>(size), 's'), buffer(static_cast<size_t>(size));
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < count; ++sent) {
    send(fd, payload.data(), payload.size(), MSG_NOSIGNAL);
    ssize_t got = 0;
    for (ssize_t n; got < size && (n = recv(fd, buffer.data() + got, size_t(size - got), 0)) > 0;) {
      got += n;
    }
    if (got < size) {
      result.lost = count - sent;
      break;
    }
    ++result.received;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  close(fd);
  return result;
}
