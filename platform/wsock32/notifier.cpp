#include "notifier.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/error.h"
#include "socket_watch.h"

namespace wsock32 {
namespace {

int pending_error(int fd) {
  int error = 0;
  socklen_t length = sizeof(error);
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

int bytes_waiting(int fd) {
  int count = 0;
  return ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

void post(const Socket& socket, int event, int posixError) {
  // A window that has gone away takes nothing; as on Windows the event is
  // simply lost.
  PostMessageA(socket.window, socket.message, static_cast<WPARAM>(socket.handle),
               WSAMAKESELECTREPLY(event, PlatformWinsockErrorFromErrno(posixError)));
}

bool selected(const Socket& socket, int event) { return (socket.events & event) != 0; }

// The socket's readiness now, as poll bits (which epoll's equal).
uint32_t readiness(int fd) {
  pollfd ready{fd, POLLIN | POLLOUT | POLLRDHUP, 0};
  return poll(&ready, 1, 0) == 1 ? static_cast<uint16_t>(ready.revents) : 0;
}

// Posts what is due given readiness `r`; true if anything was posted. The
// watch passes what epoll reported, which may be a moment old: at worst
// an FD_READ finds the data already taken, which Winsock callers expect.
bool evaluate(Socket& socket, uint32_t r) {
  if (socket.closed || socket.events == 0) return false;
  bool posted = false;
  auto post_once = [&](bool& armed, int event) {
    armed = false;
    posted = true;
    post(socket, event, 0);
  };

  if (!socket.stream) {
    // A pending error (an ICMP report on a connected socket) is read by a
    // receive, so it counts as something to read.
    if (socket.read_armed && selected(socket, WS_FD_READ) && (r & (POLLIN | POLLERR))) {
      post_once(socket.read_armed, WS_FD_READ);
    }
    if (socket.write_armed && selected(socket, WS_FD_WRITE) && (r & POLLOUT)) {
      post_once(socket.write_armed, WS_FD_WRITE);
    }
    return posted;
  }

  if (socket.connecting) {
    if (!(r & (POLLOUT | POLLERR | POLLHUP))) return false;
    const int error = pending_error(socket.fd);
    socket.connecting = false;
    socket.connected = error == 0;
    socket.write_armed = socket.connected;
    if (selected(socket, WS_FD_CONNECT)) {
      posted = true;
      post(socket, WS_FD_CONNECT, error);
    }
    // A connection that just came up can send: take its readiness anew.
    if (socket.connected) r = readiness(socket.fd);
  }
  if (!socket.connected) return posted;

  if (r & (POLLRDHUP | POLLHUP | POLLERR)) socket.peer_closed = true;
  const int waiting = bytes_waiting(socket.fd);
  if (socket.read_armed && selected(socket, WS_FD_READ) && waiting > 0) {
    post_once(socket.read_armed, WS_FD_READ);
  }
  if (socket.write_armed && selected(socket, WS_FD_WRITE) && (r & POLLOUT)) {
    post_once(socket.write_armed, WS_FD_WRITE);
  }
  if (socket.peer_closed && !socket.close_posted && selected(socket, WS_FD_CLOSE) &&
      (waiting == 0 || !selected(socket, WS_FD_READ))) {
    socket.close_posted = true;
    posted = true;
    // A reset leaves its error pending; a graceful close has none.
    post(socket, WS_FD_CLOSE, (r & POLLERR) ? pending_error(socket.fd) : 0);
  }
  return posted;
}

// The epoll events worth waking for: only those that could post something.
uint32_t interest(const Socket& socket) {
  if (socket.closed || socket.events == 0) return 0;
  uint32_t wanted = 0;
  if (socket.write_armed && selected(socket, WS_FD_WRITE)) wanted |= EPOLLOUT;
  if (!socket.stream) {
    if (socket.read_armed && selected(socket, WS_FD_READ)) wanted |= EPOLLIN;
    return wanted;
  }
  if (socket.connecting) return EPOLLOUT;
  // After the peer's close nothing more arrives: what is left is checked
  // by the receive calls themselves (receive_made).
  if (!socket.connected || socket.peer_closed) return socket.connected ? wanted : 0;
  if (socket.read_armed && selected(socket, WS_FD_READ)) wanted |= EPOLLIN;
  if (!socket.close_posted && selected(socket, WS_FD_CLOSE)) wanted |= EPOLLRDHUP;
  return wanted;
}

void socket_ready(std::uint64_t key, std::uint32_t events);

// Arms the socket in its window's watch (one-shot) for what it wants, or
// takes it out. An entry that has just fired and posted is left in the set:
// the firing disarmed it, so it stays quiet until armed again, and the
// usual re-enable then costs one call instead of two.
bool rearm(Socket& socket, bool firedAndPosted = false) {
  const uint32_t wanted = interest(socket);
  if (wanted == 0) {
    if (socket.in_epoll && !firedAndPosted) {
      epoll_ctl(socket.watch->epoll_fd(), EPOLL_CTL_DEL, socket.fd, nullptr);
      socket.in_epoll = false;
    }
    return true;
  }
  if (!socket.watch || socket.watched_window != socket.window) {
    // Selected to a window of another thread: its watch takes the socket.
    auto watch = platform::socket_watch_for(socket.window, socket_ready);
    if (!watch) {
      SetLastError(GetLastError() == ERROR_INVALID_WINDOW_HANDLE ? WSAEINVAL : WSAENOBUFS);
      return false;
    }
    if (socket.in_epoll) epoll_ctl(socket.watch->epoll_fd(), EPOLL_CTL_DEL, socket.fd, nullptr);
    socket.in_epoll = false;
    socket.watch = std::move(watch);
    socket.watched_window = socket.window;
  }
  epoll_event event{};
  event.events = wanted | EPOLLONESHOT;
  event.data.u64 = socket.handle;
  const int fd = socket.watch->epoll_fd();
  if (epoll_ctl(fd, socket.in_epoll ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, socket.fd, &event) != 0) {
    SetLastError(PlatformWinsockErrorFromErrno(errno));
    return false;
  }
  socket.in_epoll = true;
  return true;
}

// A socket's watch fired, on the thread that owns its window.
void socket_ready(std::uint64_t key, std::uint32_t events) {
  // A socket closed meanwhile has left the table (and the set).
  SocketRef socket = find_socket(static_cast<SOCKET>(key));
  if (!socket) return;
  std::lock_guard<std::mutex> guard(socket->lock);
  rearm(*socket, evaluate(*socket, events));
}

}  // namespace

bool selection_changed(Socket& socket) {
  evaluate(socket, readiness(socket.fd));
  return rearm(socket);
}

void receive_made(Socket& socket) {
  if (socket.read_armed) return;
  socket.read_armed = true;
  if (!selected(socket, WS_FD_READ)) return;
  if (socket.stream && socket.peer_closed) evaluate(socket, readiness(socket.fd));
  rearm(socket);
}

void send_blocked(Socket& socket) {
  socket.write_armed = true;
  rearm(socket);
}

void connect_started(Socket& socket, bool inProgress) {
  // Winsock reports a connection of a selected socket through FD_CONNECT
  // even when it completed at once.
  const bool watched = socket.events != 0;
  socket.connecting = inProgress || watched;
  socket.connected = !socket.connecting;
  socket.peer_closed = false;
  socket.close_posted = false;
  rearm(socket);
}

void forget_socket(Socket& socket) {
  socket.closed = true;
  socket.events = 0;
  socket.window = nullptr;
  rearm(socket);
}

}  // namespace wsock32
