// getsockopt, setsockopt and ioctlsocket: Winsock's option numbers and
// ioctl commands mapped onto the system's.
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "entry_points.h"
#include "platform/error.h"
#include "notifier.h"
#include "sockets.h"

namespace wsock32 {
namespace {

struct OptionMapping {
  int winsockLevel;
  int winsockName;
  int level;
  int name;
};

constexpr OptionMapping kOptions[] = {
    {WS_SOL_SOCKET, WS_SO_REUSEADDR, SOL_SOCKET, SO_REUSEADDR},
    {WS_SOL_SOCKET, WS_SO_KEEPALIVE, SOL_SOCKET, SO_KEEPALIVE},
    {WS_SOL_SOCKET, WS_SO_BROADCAST, SOL_SOCKET, SO_BROADCAST},
    {WS_SOL_SOCKET, WS_SO_SNDBUF, SOL_SOCKET, SO_SNDBUF},
    {WS_SOL_SOCKET, WS_SO_RCVBUF, SOL_SOCKET, SO_RCVBUF},
    {WS_SOL_SOCKET, WS_SO_ERROR, SOL_SOCKET, SO_ERROR},
    {WS_SOL_SOCKET, WS_SO_TYPE, SOL_SOCKET, SO_TYPE},
    {WS_IPPROTO_TCP, WS_TCP_NODELAY, IPPROTO_TCP, TCP_NODELAY},
};

// The mapping of a Winsock option; null with the last error set for an
// unknown level (WSAEINVAL) or option (WSAENOPROTOOPT).
const OptionMapping* find_option(int level, int name) {
  bool levelKnown = false;
  for (const OptionMapping& option : kOptions) {
    if (option.winsockLevel != level) continue;
    levelKnown = true;
    if (option.winsockName == name) return &option;
  }
  fail(levelKnown ? WSAENOPROTOOPT : WSAEINVAL);
  return nullptr;
}

bool is_buffer_size(const OptionMapping& option) {
  return option.level == SOL_SOCKET && (option.name == SO_SNDBUF || option.name == SO_RCVBUF);
}

}  // namespace

// Values are 4-byte integers. The system reports buffer sizes doubled (it
// counts its own bookkeeping); they are given back as they were set, as
// Windows does. SO_ERROR reads as a Winsock number.
int ws_getsockopt(SOCKET handle, int level, int name, char* value, int* valueLength) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  const OptionMapping* option = find_option(level, name);
  if (option == nullptr) return WS_SOCKET_ERROR;
  if (value == nullptr || valueLength == nullptr || *valueLength < static_cast<int>(sizeof(int))) {
    return fail(WSAEFAULT);
  }
  int result = 0;
  socklen_t resultLength = sizeof(result);
  if (getsockopt(socket->fd, option->level, option->name, &result, &resultLength) != 0) {
    return fail_errno(errno);
  }
  if (is_buffer_size(*option)) result /= 2;
  if (option->name == SO_ERROR && option->level == SOL_SOCKET) {
    result = PlatformWinsockErrorFromErrno(result);
  }
  std::memcpy(value, &result, sizeof(result));
  *valueLength = sizeof(result);
  return 0;
}

int ws_setsockopt(SOCKET handle, int level, int name, const char* value, int valueLength) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  const OptionMapping* option = find_option(level, name);
  if (option == nullptr) return WS_SOCKET_ERROR;
  if (value == nullptr || valueLength < static_cast<int>(sizeof(int))) return fail(WSAEFAULT);
  int given;
  std::memcpy(&given, value, sizeof(given));
  if (setsockopt(socket->fd, option->level, option->name, &given, sizeof(given)) != 0) {
    return fail_errno(errno);
  }
  return 0;
}

// FIONBIO switches blocking mode (a selected socket cannot go back to
// blocking: WSAEINVAL); FIONREAD gives the bytes waiting on a stream
// socket, or the size of the next datagram.
int ws_ioctlsocket(SOCKET handle, LONG command, uint32_t* argument) {
  SocketRef socket = usable_socket(handle);
  if (!socket) return WS_SOCKET_ERROR;
  if (argument == nullptr) return fail(WSAEFAULT);
  if (command == WS_FIONBIO) {
    std::lock_guard<std::mutex> guard(socket->lock);
    const bool nonblocking = *argument != 0;
    if (!nonblocking && socket->events != 0) return fail(WSAEINVAL);
    if (!set_nonblocking(*socket, nonblocking)) return fail_errno(errno);
    return 0;
  }
  if (command == WS_FIONREAD) {
    {
      std::lock_guard<std::mutex> guard(socket->lock);
      if (socket->holding) {
        *argument = static_cast<uint32_t>(socket->held_length);
        return 0;
      }
    }
    const unsigned edgesBefore = socket->read_edges;
    int waiting = 0;
    if (ioctl(socket->fd, FIONREAD, &waiting) != 0) return fail_errno(errno);
    if (socket->stream && waiting == 0) {
      // A receive loop that ends on this needs no look for data left over.
      std::lock_guard<std::mutex> guard(socket->lock);
      found_empty(*socket, edgesBefore);
    }
    *argument = static_cast<uint32_t>(waiting);
    return 0;
  }
  return fail(WSAEINVAL);
}

}  // namespace wsock32
