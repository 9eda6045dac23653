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

// The socket's readiness now, as poll bits (which epoll's equal). A
// datagram read ahead waits too.
uint32_t readiness(const Socket& socket) {
  pollfd ready{socket.fd, POLLIN | POLLOUT | POLLRDHUP, 0};
  const uint32_t r = poll(&ready, 1, 0) == 1 ? static_cast<uint16_t>(ready.revents) : 0;
  return socket.holding ? r | POLLIN : r;
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
    if (socket.connected) r = readiness(socket);
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

// The epoll events worth waking for: only those that could post something
// once re-enabled.
uint32_t interest(const Socket& socket) {
  if (socket.closed || socket.events == 0) return 0;
  uint32_t wanted = 0;
  if (socket.write_armed && selected(socket, WS_FD_WRITE)) wanted |= EPOLLOUT;
  const bool reads = selected(socket, WS_FD_READ);
  if (!socket.stream) return reads ? wanted | EPOLLIN : wanted;
  if (socket.connecting) return EPOLLOUT;
  // After the peer's close nothing more arrives: what is left is checked
  // by the receive calls themselves (receive_made).
  if (!socket.connected || socket.peer_closed) return socket.connected ? wanted : 0;
  if (reads) wanted |= EPOLLIN;
  if (!socket.close_posted && selected(socket, WS_FD_CLOSE)) wanted |= EPOLLRDHUP;
  return wanted;
}

void socket_ready(std::uint64_t key, std::uint32_t events);

// Puts the socket in its window's watch for what it wants, or takes it
// out. Only a change of the wanted events costs a call.
bool rearm(Socket& socket) {
  const uint32_t wanted = interest(socket);
  if (wanted == 0) {
    if (socket.registered != 0) {
      epoll_ctl(socket.watch->epoll_fd(), EPOLL_CTL_DEL, socket.fd, nullptr);
      socket.registered = 0;
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
    if (socket.registered != 0) {
      epoll_ctl(socket.watch->epoll_fd(), EPOLL_CTL_DEL, socket.fd, nullptr);
    }
    socket.registered = 0;
    socket.watch = std::move(watch);
    socket.watched_window = socket.window;
  }
  if (wanted == socket.registered) return true;
  // Adding or changing an entry reports the socket's readiness at once, so
  // nothing that is already due waits for the next edge.
  epoll_event event{};
  event.events = wanted | EPOLLET;
  event.data.u64 = socket.handle;
  const int fd = socket.watch->epoll_fd();
  if (epoll_ctl(fd, socket.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, socket.fd, &event) != 0) {
    SetLastError(PlatformWinsockErrorFromErrno(errno));
    return false;
  }
  socket.registered = wanted;
  return true;
}

// A socket's watch fired, or a look at it was asked for (events 0), on the
// thread that owns its window.
void socket_ready(std::uint64_t key, std::uint32_t events) {
  // A socket closed meanwhile has left the table (and the set).
  SocketRef socket = find_socket(static_cast<SOCKET>(key));
  if (!socket) return;
  std::lock_guard<std::mutex> guard(socket->lock);
  if (events == 0) {
    socket->look_queued = false;
    if (!socket->read_unsure) return;
    socket->read_unsure = false;
    events = readiness(*socket);
  } else if (events & (EPOLLIN | EPOLLERR)) {
    ++socket->read_edges;
  }
  evaluate(*socket, events);
  rearm(*socket);
}

}  // namespace

bool selection_changed(Socket& socket) {
  socket.read_unsure = false;
  evaluate(socket, readiness(socket));
  return rearm(socket);
}

void receive_made(Socket& socket, bool drained, unsigned edgesBefore) {
  const bool wasArmed = socket.read_armed;
  socket.read_armed = true;
  if (!selected(socket, WS_FD_READ)) return;
  if (socket.stream && socket.peer_closed) {
    if (!wasArmed) {
      evaluate(socket, readiness(socket));
      rearm(socket);
    }
    return;
  }
  // A receive that found nothing, with no event since it began, leaves
  // every later arrival to its edge. Otherwise data may wait unannounced:
  // left over when FD_READ was posted, or come while the receive ran.
  const bool eventCame = socket.read_edges != edgesBefore;
  if (drained && !eventCame) {
    socket.read_unsure = false;
    return;
  }
  if (!wasArmed || eventCame) socket.read_unsure = true;
  if (!socket.read_unsure) return;
  if (socket.watch && socket.watch->watched_by_caller()) {
    // The watching thread looks before it next waits; in a receive loop
    // the next receive finds the socket empty first, and no look is made.
    if (!socket.look_queued) {
      socket.look_queued = true;
      socket.watch->look_again(socket.handle);
    }
    return;
  }
  socket.read_unsure = false;
  evaluate(socket, readiness(socket));
}

void found_empty(Socket& socket, unsigned edgesBefore) {
  if (socket.read_edges == edgesBefore) socket.read_unsure = false;
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
