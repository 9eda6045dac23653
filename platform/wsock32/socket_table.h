// The module's sockets: each SOCKET handle names one POSIX socket and the
// state Winsock keeps beside it (blocking mode, the WSAAsyncSelect
// registration and its re-enabling flags, the connection's progress).
//
// Handles come from a counter and are never reused within a run, so a
// closed handle fails with WSAENOTSOCK instead of reaching a descriptor
// that has since been given to someone else. A call holds a reference to
// the socket for its duration; the descriptor is closed when the last
// reference goes, so closing a socket never pulls it from under a call
// that is still using it.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#define PLATFORM_WINSOCK_PREFIXED
#include "platform/winsock.h"
#include "platform/window.h"
#include "socket_watch.h"

namespace wsock32 {

struct Socket {
  Socket(int fd, bool stream) : fd(fd), stream(stream) {}
  ~Socket();
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  const int fd;
  const bool stream;
  SOCKET handle = 0;
  // Read events the watch reported; counted under `lock`, read without it,
  // so that a receive can tell whether one came while it ran.
  std::atomic<unsigned> read_edges{0};

  // Guards every field below. The watching thread and the callers' threads
  // meet here; posting a notification happens with it held, so that a
  // cancelled selection can never post afterwards.
  std::mutex lock;
  bool closed = false;
  HWND window = nullptr;
  UINT message = 0;
  LONG events = 0;  // the FD_* set of the current selection, 0 for none
  // Winsock's re-enabling: an event is posted once, then only after the
  // call that re-enables it (a receive for FD_READ, a send that would have
  // blocked for FD_WRITE).
  bool read_armed = false;
  bool write_armed = false;
  bool close_posted = false;
  // The watch reports arrivals as edges, so data that already waits when
  // FD_READ is re-enabled is announced by no event: such a socket is
  // `read_unsure` until a receive finds it empty or it is looked at.
  bool read_unsure = false;
  bool look_queued = false;  // in its watch's look_again list
  bool nonblocking = false;
  // Datagram sockets: the datagram read ahead (read_ahead.h) and whether
  // the last read-ahead found nothing behind the datagram it took.
  std::vector<char> held;
  size_t held_length = 0;
  sockaddr_in held_from{};
  bool holding = false;
  bool known_empty = false;
  unsigned empty_at_edges = 0;  // read_edges when it was found empty
  // Stream sockets only.
  bool connecting = false;
  bool connected = false;
  bool peer_closed = false;
  // The watch the socket is armed in, that of watched_window's thread.
  std::shared_ptr<platform::SocketWatch> watch;
  HWND watched_window = nullptr;
  uint32_t registered = 0;  // the epoll events the socket is in the set for, 0 for none
};

using SocketRef = std::shared_ptr<Socket>;

// Gives the socket its handle and makes it findable.
SOCKET add_socket(const SocketRef& socket);
// The socket of a handle, or null (last error WSAENOTSOCK).
SocketRef find_socket(SOCKET handle);
// Removes a handle's socket from the table and returns it, or null.
SocketRef take_socket(SOCKET handle);
// Empties the table (the last WSACleanup closes every socket).
std::vector<SocketRef> take_all_sockets();

}  // namespace wsock32
