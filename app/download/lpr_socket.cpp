#include "download/lpr_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "download/lpr.h"
#include "platform/winsock_errors.h"

namespace {

int LastSocketError() { return PlatformWinsockErrorFromErrno(errno); }

class TcpLprSocket final : public LprSocket {
 public:
  ~TcpLprSocket() override {
    if (fd_ >= 0) close(fd_);
  }

  int Connect(const char* address, uint16_t port) override {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &peer.sin_addr) != 1) return WSAEINVAL;
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd_ < 0) return LastSocketError();
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
      return LastSocketError();
    }
    return 0;
  }

  int Send(const void* data, size_t size) override {
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
      // MSG_NOSIGNAL: a printer that hung up must give an error, not SIGPIPE.
      ssize_t sent = send(fd_, next, size, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        return LastSocketError();
      }
      next += sent;
      size -= static_cast<size_t>(sent);
    }
    return 0;
  }

  int ReceiveByte(uint8_t& byte, uint32_t timeoutMs) override {
    pollfd readable{fd_, POLLIN, 0};
    int ready;
    do {
      ready = poll(&readable, 1, static_cast<int>(timeoutMs));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return LastSocketError();
    if (ready == 0) return WSAETIMEDOUT;
    ssize_t got;
    do {
      got = recv(fd_, &byte, 1, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return LastSocketError();
    return got == 0 ? LPR_ERR_NO_ACK : 0;
  }

  void ShutdownSend() override { shutdown(fd_, SHUT_WR); }

 private:
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<LprSocket> MakeTcpLprSocket() { return std::make_unique<TcpLprSocket>(); }
