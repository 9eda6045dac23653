#include "read_ahead.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace wsock32 {
namespace {

// Room for the largest IPv4 datagram, so a held one is never cut short.
constexpr size_t kHeldRoom = 65536;

void hand_out_held(Socket& socket, char* buffer, int length, bool peek, Received& got) {
  const size_t size = std::min(static_cast<size_t>(length), socket.held_length);
  if (size > 0) std::memcpy(buffer, socket.held.data(), size);
  got.length = static_cast<ssize_t>(size);
  got.truncated = socket.held_length > size;
  got.source = socket.held_from;
  if (!peek) socket.holding = false;
}

}  // namespace

bool receive_ahead(Socket& socket, char* buffer, int length, int flags, Received& got) {
  if (socket.holding) {
    hand_out_held(socket, buffer, length, (flags & MSG_PEEK) != 0, got);
    return true;
  }
  if (!socket.nonblocking || flags != 0) return false;
  const bool knownEmpty = socket.known_empty && socket.read_edges == socket.empty_at_edges;
  socket.known_empty = false;
  if (knownEmpty) {
    got.error = EAGAIN;
    return true;
  }

  socket.held.resize(kHeldRoom);
  const unsigned edges = socket.read_edges;
  sockaddr_in heldFrom{};
  iovec parts[2] = {{buffer, static_cast<size_t>(length)}, {socket.held.data(), kHeldRoom}};
  sockaddr_in* sources[2] = {&got.source, &heldFrom};
  mmsghdr messages[2]{};
  for (int i = 0; i < 2; ++i) {
    messages[i].msg_hdr.msg_name = sources[i];
    messages[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
    messages[i].msg_hdr.msg_iov = &parts[i];
    messages[i].msg_hdr.msg_iovlen = 1;
  }
  const int count = recvmmsg(socket.fd, messages, 2, MSG_DONTWAIT, nullptr);
  if (count < 0) {
    got.error = errno;
    return true;
  }
  got.length = static_cast<ssize_t>(messages[0].msg_len);
  got.truncated = (messages[0].msg_hdr.msg_flags & MSG_TRUNC) != 0;
  if (count == 2) {
    socket.holding = true;
    socket.held_length = messages[1].msg_len;
    socket.held_from = heldFrom;
  } else {
    socket.known_empty = true;
    socket.empty_at_edges = edges;
  }
  return true;
}

}  // namespace wsock32
