#include "loopback_peer.h"

#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

PeerListener::PeerListener() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 8) == 0 &&
      getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port_ = ntohs(address.sin_port);
  }
}

PeerListener::~PeerListener() { close(fd_); }

int PeerListener::accept_one() {
  pollfd ready{fd_, POLLIN, 0};
  if (poll(&ready, 1, 10000) != 1) return -1;
  return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

bool peer_send(int fd, const std::string& data) {
  return send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size());
}

std::string peer_receive(int fd, int milliseconds) {
  std::string received;
  char buffer[65536];
  pollfd ready{fd, POLLIN, 0};
  while (poll(&ready, 1, milliseconds) == 1) {
    const ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  return received;
}

void peer_shrink_receive_buffer(int fd) {
  const int size = 4096;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof(size));
}

void peer_close(int fd) { close(fd); }

void peer_reset(int fd) {
  const linger abort{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
  close(fd);
}

uint16_t unused_tcp_port() {
  // Bound but not listening: connections to it are refused.
  static int holder = [] {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    return fd;
  }();
  sockaddr_in address{};
  socklen_t length = sizeof(address);
  getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

namespace {

bool write_setting(const char* path, const char* value, std::string& reason) {
  std::ofstream file(path);
  file << value;
  file.close();
  if (!file) reason = std::string("cannot write ") + path;
  return static_cast<bool>(file);
}

}  // namespace

bool enter_private_network(bool ignoreEcho, bool allowDatagramPing, std::string& reason) {
  if (unshare(CLONE_NEWNET) != 0) {
    reason = std::string("no network namespace: ") + std::strerror(errno);
    return false;
  }
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = fd >= 0 && ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
  up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  if (fd >= 0) close(fd);
  if (!up) {
    reason = "cannot bring the loopback interface up";
    return false;
  }
  return write_setting("/proc/sys/net/ipv4/icmp_echo_ignore_all", ignoreEcho ? "1" : "0",
                       reason) &&
         write_setting("/proc/sys/net/ipv4/ping_group_range",
                       allowDatagramPing ? "0 2147483647" : "1 0", reason);
}

bool datagram_ping_allowed() {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) return false;
  close(fd);
  return true;
}
