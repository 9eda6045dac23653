// socket, bind, connect, send, sendto, recvfrom, shutdown, getsockname,
// closesocket and WSAAsyncSelect over POSIX sockets. Only IPv4 exists:
// IPX and SPX are not installed, so family 6 fails as Windows fails then.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "entry_points.h"
#include "notifier.h"
#include "platform/error.h"
#include "read_ahead.h"
#include "sockets.h"

namespace wsock32 {

int fail(int winsockError) {
  SetLastError(static_cast<DWORD>(winsockError));
  return WS_SOCKET_ERROR;
}

int fail_errno(int error) { return fail(PlatformWinsockErrorFromErrno(error)); }

SocketRef usable_socket(SOCKET handle) {
  if (!started()) return nullptr;
  return find_socket(handle);
}

bool set_nonblocking(Socket& socket, bool nonblocking) {
  const int flags = fcntl(socket.fd, F_GETFL);
  if (flags < 0 ||
      fcntl(socket.fd, F_SETFL, nonblocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) != 0) {
    return false;
  }
  socket.nonblocking = nonblocking;
  socket.known_empty = false;  // found while the mode was another
  return true;
}

namespace {

// The caller's SOCKADDR_IN as the system's; 0 or a Winsock error.
int to_system(const SOCKADDR* name, int nameLength, sockaddr_in& address) {
  if (name == nullptr || nameLength < static_cast<int>(sizeof(SOCKADDR_IN))) return WSAEFAULT;
  SOCKADDR_IN given;
  std::memcpy(&given, name, sizeof(given));
  if (given.sin_family != WS_AF_INET) return WSAEAFNOSUPPORT;
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_port = given.sin_port;
  address.sin_addr.s_addr = given.sin_addr.s_addr;
  return 0;
}

// Winsock 1.1 knows only these flags on sends and receives.
bool to_system_flags(int flags, int allowed, int& systemFlags) {
  if (flags & ~allowed) return false;
  systemFlags = ((flags & WS_MSG_OOB) ? MSG_OOB : 0) | ((flags & WS_MSG_PEEK) ? MSG_PEEK : 0) |
                ((flags & WS_MSG_DONTROUTE) ? MSG_DONTROUTE : 0);
  return true;
}

bool valid_buffer(const char* buffer, int length) {
  return length >= 0 && (buffer != nullptr || length == 0);
}

Received receive_once(int fd, char* buffer, int length, int flags) {
  Received got;
  iovec part{buffer, static_cast<size_t>(length)};
  msghdr message{};
  message.msg_name = &got.source;
  message.msg_namelen = sizeof(got.source);
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  got.length = ::recvmsg(fd, &message, flags);
  if (got.length < 0) got.error = errno;
  got.truncated = (message.msg_flags & MSG_TRUNC) != 0;
  return got;
}

int finish_send(Socket& socket, ssize_t sent) {
  if (sent >= 0) return static_cast<int>(sent);
  const int error = errno;
  if (error == EAGAIN) {
    std::lock_guard<std::mutex> guard(socket.lock);
    send_blocked(socket);
  }
  return fail_errno(error);
}

}  // namespace

int to_caller(const sockaddr_in& address, SOCKADDR* name, int* nameLength) {
  if (name == nullptr || nameLength == nullptr ||
      *nameLength < static_cast<int>(sizeof(SOCKADDR_IN))) {
    return WSAEFAULT;
  }
  SOCKADDR_IN result{};
  result.sin_family = WS_AF_INET;
  result.sin_port = address.sin_port;
  result.sin_addr.s_addr = address.sin_addr.s_addr;
  std::memcpy(name, &result, sizeof(result));
  *nameLength = sizeof(result);
  return 0;
}

SOCKET ws_socket(int af, int type, int protocol) {
  if (!started()) return WS_INVALID_SOCKET;
  int error = 0;
  if (af != WS_AF_INET) {
    error = WSAEAFNOSUPPORT;
  } else if (type != WS_SOCK_STREAM && type != WS_SOCK_DGRAM) {
    error = WSAESOCKTNOSUPPORT;
  } else if (protocol != 0 &&
             protocol != (type == WS_SOCK_STREAM ? WS_IPPROTO_TCP : WS_IPPROTO_UDP)) {
    error = WSAEPROTONOSUPPORT;
  }
  if (error != 0) {
    fail(error);
    return WS_INVALID_SOCKET;
  }
  const bool stream = type == WS_SOCK_STREAM;
  const int fd = ::socket(AF_INET, (stream ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    fail_errno(errno);
    return WS_INVALID_SOCKET;
  }
  return add_socket(std::make_shared<Socket>(fd, stream));
}

void close_socket(const SocketRef& socket) {
  {
    std::lock_guard<std::mutex> guard(socket->lock);
    forget_socket(*socket);
  }
  if (socket.use_count() > 1) ::shutdown(socket->fd, SHUT_RDWR);
}

int ws_closesocket(SOCKET handle) {
  if (!started()) return WS_SOCKET_ERROR;
  SocketRef socket = take_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  close_socket(socket);
  return 0;
}

namespace {

// The socket and the address a bind or connect names; null, with the last
// error set, when either is unusable.
SocketRef socket_and_address(SOCKET handle, const SOCKADDR* name, int nameLength,
                             sockaddr_in& address) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return nullptr;
  if (int error = to_system(name, nameLength, address)) {
    fail(error);
    return nullptr;
  }
  return socket;
}

}  // namespace

int ws_bind(SOCKET handle, const SOCKADDR* name, int nameLength) {
  sockaddr_in address;
  SocketRef socket = socket_and_address(handle, name, nameLength, address);
  if (!socket) return WS_SOCKET_ERROR;
  if (::bind(socket->fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    return fail_errno(errno);
  }
  return 0;
}

int ws_connect(SOCKET handle, const SOCKADDR* name, int nameLength) {
  sockaddr_in address;
  SocketRef socket = socket_and_address(handle, name, nameLength, address);
  if (!socket) return WS_SOCKET_ERROR;
  const int result = ::connect(socket->fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  const int error = result == 0 ? 0 : errno;
  if (socket->stream && (result == 0 || error == EINPROGRESS)) {
    std::lock_guard<std::mutex> guard(socket->lock);
    connect_started(*socket, result != 0);
  }
  if (result == 0) return 0;
  // A non-blocking connect that goes on in the background.
  if (error == EINPROGRESS) return fail(WSAEWOULDBLOCK);
  return fail_errno(error);
}

int ws_send(SOCKET handle, const char* buffer, int length, int flags) {
  return ws_sendto(handle, buffer, length, flags, nullptr, 0);
}

// On a stream socket the address is ignored, as Winsock does; without one a
// datagram goes to the connected peer. A peer that has gone makes the send
// fail, never raises SIGPIPE.
int ws_sendto(SOCKET handle, const char* buffer, int length, int flags, const SOCKADDR* to,
              int toLength) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  int systemFlags = 0;
  if (!to_system_flags(flags, WS_MSG_OOB | WS_MSG_DONTROUTE, systemFlags)) {
    return fail(WSAEOPNOTSUPP);
  }
  if (!valid_buffer(buffer, length)) return fail(WSAEFAULT);
  systemFlags |= MSG_NOSIGNAL;
  if (socket->stream || to == nullptr) {
    return finish_send(*socket,
                       ::send(socket->fd, buffer, static_cast<size_t>(length), systemFlags));
  }
  sockaddr_in address;
  if (int error = to_system(to, toLength, address)) return fail(error);
  return finish_send(*socket, ::sendto(socket->fd, buffer, static_cast<size_t>(length),
                                       systemFlags, reinterpret_cast<sockaddr*>(&address),
                                       sizeof(address)));
}

// A datagram longer than the buffer fills it and fails with WSAEMSGSIZE;
// the rest is lost. On a stream socket `from` receives the peer.
int ws_recvfrom(SOCKET handle, char* buffer, int length, int flags, SOCKADDR* from,
                int* fromLength) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  int systemFlags = 0;
  if (!to_system_flags(flags, WS_MSG_OOB | WS_MSG_PEEK, systemFlags)) return fail(WSAEOPNOTSUPP);
  if (!valid_buffer(buffer, length) ||
      (from != nullptr &&
       (fromLength == nullptr || *fromLength < static_cast<int>(sizeof(SOCKADDR_IN))))) {
    return fail(WSAEFAULT);
  }
  Received got;
  const unsigned edgesBefore = socket->read_edges;
  bool answered;
  {
    std::lock_guard<std::mutex> guard(socket->lock);
    answered = !socket->stream && receive_ahead(*socket, buffer, length, systemFlags, got);
    if (answered) receive_made(*socket, got.error == EAGAIN, edgesBefore);
  }
  if (!answered) {
    // Outside the lock: a blocking receive may wait for long.
    got = receive_once(socket->fd, buffer, length, systemFlags);
    std::lock_guard<std::mutex> guard(socket->lock);
    receive_made(*socket, got.error == EAGAIN, edgesBefore);
  }
  if (got.length < 0) return fail_errno(got.error);
  if (!socket->stream && got.truncated) return fail(WSAEMSGSIZE);
  if (from != nullptr) {
    socklen_t sourceLength = sizeof(got.source);
    if (socket->stream &&
        getpeername(socket->fd, reinterpret_cast<sockaddr*>(&got.source), &sourceLength) != 0) {
      got.source = sockaddr_in{};
    }
    to_caller(got.source, from, fromLength);
  }
  return static_cast<int>(got.length);
}

int ws_shutdown(SOCKET handle, int how) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  static constexpr int kHow[] = {SHUT_RD, SHUT_WR, SHUT_RDWR};
  if (how < WS_SD_RECEIVE || how > WS_SD_BOTH) return fail(WSAEINVAL);
  if (::shutdown(socket->fd, kHow[how]) != 0) return fail_errno(errno);
  return 0;
}

// A socket that has no local address yet (never bound, sent or connected)
// has no name: WSAEINVAL, as on Windows.
int ws_getsockname(SOCKET handle, SOCKADDR* name, int* nameLength) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  sockaddr_in address{};
  socklen_t addressLength = sizeof(address);
  if (getsockname(socket->fd, reinterpret_cast<sockaddr*>(&address), &addressLength) != 0) {
    return fail_errno(errno);
  }
  if (address.sin_port == 0) return fail(WSAEINVAL);
  if (int error = to_caller(address, name, nameLength)) return fail(error);
  return 0;
}

// Selecting makes the socket non-blocking, as Winsock does, and replaces
// any earlier selection; events 0 cancels it. When this returns, nothing
// more is posted under the earlier selection (messages already queued
// stay queued).
int ws_WSAAsyncSelect(SOCKET handle, HWND window, UINT message, LONG events) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  constexpr LONG kKnownEvents =
      WS_FD_READ | WS_FD_WRITE | WS_FD_OOB | WS_FD_ACCEPT | WS_FD_CONNECT | WS_FD_CLOSE;
  if ((events & ~kKnownEvents) != 0 || (events != 0 && !IsWindow(window))) {
    return fail(WSAEINVAL);
  }
  std::lock_guard<std::mutex> guard(socket->lock);
  if (!set_nonblocking(*socket, true)) return fail_errno(errno);
  socket->window = events != 0 ? window : nullptr;
  socket->message = message;
  socket->events = events;
  socket->read_armed = true;
  socket->write_armed = true;
  socket->close_posted = false;
  return selection_changed(*socket) ? 0 : WS_SOCKET_ERROR;
}

}  // namespace wsock32
