#include "download/lpr_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "download/lpr.h"
#include "platform/winsock_errors.h"
#include "printers/clock.h"

namespace {

// How long one look at a stalled socket lasts before the clock is asked
// whether the wait is over.
constexpr int kWatchSliceMs = 50;

int LastSocketError() { return PlatformWinsockErrorFromErrno(errno); }

// Waits until `fd` is ready for `events` or `timeoutMs` passed: 0, or
// WSAETIMEDOUT, or the error of the wait itself.
int WaitFor(int fd, short events, uint32_t timeoutMs) {
  pollfd ready{fd, events, 0};
  int count;
  do {
    count = poll(&ready, 1, static_cast<int>(timeoutMs));
  } while (count < 0 && errno == EINTR);
  if (count < 0) return LastSocketError();
  return count == 0 ? WSAETIMEDOUT : 0;
}

bool SetBlocking(int fd, bool blocking) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 &&
         fcntl(fd, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

class TcpLprSocket final : public LprSocket {
 public:
  TcpLprSocket(Clock& clock, uint32_t noProgressMs) : clock_(clock), noProgressMs_(noProgressMs) {}
  ~TcpLprSocket() override {
    if (fd_ >= 0) close(fd_);
  }

  int Connect(const char* address, uint16_t port, uint32_t timeoutMs) override {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (inet_pton(AF_INET, address, &peer.sin_addr) != 1) return WSAEINVAL;
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (fd_ < 0) return LastSocketError();
    // Connected without blocking, so that a printer that never answers the
    // connection costs the time-out and not the system's minutes of retries.
    if (connect(fd_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
      if (errno != EINPROGRESS) return LastSocketError();
      if (int waited = WaitFor(fd_, POLLOUT, timeoutMs)) return waited;
      int error = 0;
      socklen_t length = sizeof error;
      if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return LastSocketError();
      if (error != 0) return PlatformWinsockErrorFromErrno(error);
    }
    return SetBlocking(fd_, true) ? 0 : LastSocketError();
  }

  int Send(const void* data, size_t size) override {
    const char* next = static_cast<const char*>(data);
    uint64_t progressAt = clock_.NowMs();
    while (size > 0) {
      // MSG_NOSIGNAL: a printer that hung up must give an error, not SIGPIPE.
      const ssize_t sent = send(fd_, next, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent > 0) {
        next += sent;
        size -= static_cast<size_t>(sent);
        progressAt = clock_.NowMs();
        continue;
      }
      if (sent < 0 && errno == EINTR) continue;
      if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (int waited = WaitWatched(POLLOUT, progressAt, noProgressMs_)) return waited;
        continue;
      }
      return LastSocketError();
    }
    return 0;
  }

  int ReceiveByte(uint8_t& byte, uint32_t timeoutMs) override {
    if (int waited = WaitWatched(POLLIN, clock_.NowMs(), timeoutMs)) return waited;
    ssize_t got;
    do {
      got = recv(fd_, &byte, 1, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return LastSocketError();
    return got == 0 ? LPR_ERR_NO_ACK : 0;
  }

  void ShutdownSend() override { shutdown(fd_, SHUT_WR); }

 private:
  // Waits until the socket is ready for `events`, or until `limitMs` have
  // passed on the clock since `sinceMs`.
  int WaitWatched(short events, uint64_t sinceMs, uint32_t limitMs) {
    for (;;) {
      const int waited = WaitFor(fd_, events, kWatchSliceMs);
      if (waited != WSAETIMEDOUT) return waited;
      if (clock_.NowMs() - sinceMs >= limitMs) return JOB_ERR_STOPPED_TAKING_DATA;
    }
  }

  Clock& clock_;
  const uint32_t noProgressMs_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<LprSocket> MakeTcpLprSocket(Clock& clock, uint32_t noProgressMs) {
  return std::make_unique<TcpLprSocket>(clock, noProgressMs);
}
