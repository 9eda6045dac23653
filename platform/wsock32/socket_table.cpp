#include "socket_table.h"

#include <unistd.h>

#include <unordered_map>

#include "platform/error.h"

namespace wsock32 {
namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<SOCKET, SocketRef> sockets;
  // Multiples of 4 like Windows' handles; 0 is never a socket.
  SOCKET next_handle = 4;
};

Table& table() {
  static Table* instance = new Table;  // sockets may be closed during exit
  return *instance;
}

}  // namespace

Socket::~Socket() { ::close(fd); }

SOCKET add_socket(const SocketRef& socket) {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  socket->handle = t.next_handle;
  t.next_handle += 4;
  t.sockets.emplace(socket->handle, socket);
  return socket->handle;
}

namespace {

SocketRef look_up(SOCKET handle, bool remove) {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto found = t.sockets.find(handle);
  if (found == t.sockets.end()) {
    SetLastError(WSAENOTSOCK);
    return nullptr;
  }
  SocketRef socket = found->second;
  if (remove) t.sockets.erase(found);
  return socket;
}

}  // namespace

SocketRef find_socket(SOCKET handle) { return look_up(handle, false); }

SocketRef take_socket(SOCKET handle) { return look_up(handle, true); }

std::vector<SocketRef> take_all_sockets() {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  std::vector<SocketRef> all;
  all.reserve(t.sockets.size());
  for (auto& entry : t.sockets) all.push_back(std::move(entry.second));
  t.sockets.clear();
  return all;
}

}  // namespace wsock32
