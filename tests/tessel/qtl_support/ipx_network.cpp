#include "ipx_network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

#include "platform/error.h"
#include "platform/window.h"

namespace {

constexpr int kLargestPacket = 546;
constexpr uint16_t kFirstDynamicSocket = 0x4000;
// Far above the built-in module's handles, which count up from 4.
constexpr SOCKET kFirstHandle = SOCKET(1) << 48;
constexpr std::array<uint8_t, 6> kBroadcastNode = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

struct Packet {
  IpxAddress from;
  std::vector<uint8_t> data;
};

// One SPX connection between a machine socket and a host.
struct SpxLink {
  IpxAddress far;
  SOCKET socket;  // the machine's end
  std::vector<uint8_t> fromMachine;
  bool farClosed = false;
  bool machineClosed = false;
};

struct IpxSocket {
  SOCKET handle = 0;
  bool stream = false;
  bool nonBlocking = false;
  bool broadcast = false;
  bool bound = false;
  IpxAddress local;
  std::deque<Packet> inbox;
  // The WSAAsyncSelect registration and Winsock's re-enabling flags.
  HWND window = nullptr;
  UINT message = 0;
  LONG events = 0;
  bool readArmed = false;
  bool writeArmed = false;
  bool closePosted = false;
  // SPX: the connection once made, and a connect outcome not yet posted.
  std::shared_ptr<SpxLink> link;
  bool connectUnposted = false;
  int connectError = 0;
};

struct Host {
  IpxAddress address;
  bool echo = false;
  std::vector<uint16_t> spxSockets;
};

// The calls a network hands on for sockets that are not its own.
struct NextEntryPoints {
  LPFN_SOCKET socket;
  LPFN_CLOSESOCKET closesocket;
  LPFN_BIND bind;
  LPFN_CONNECT connect;
  LPFN_SEND send;
  LPFN_SENDTO sendto;
  LPFN_RECVFROM recvfrom;
  LPFN_IOCTLSOCKET ioctlsocket;
  LPFN_SETSOCKOPT setsockopt;
  LPFN_GETSOCKOPT getsockopt;
  LPFN_GETSOCKNAME getsockname;
  LPFN_WSAASYNCSELECT WSAAsyncSelect;
  LPFN_SHUTDOWN shutdown;
};

}  // namespace

struct IpxNetwork::State {
  std::vector<IpxAddress> adapters;
  std::vector<Host> hosts;
  std::map<SOCKET, IpxSocket> sockets;
  std::vector<std::shared_ptr<SpxLink>> links;
  std::vector<IpxDatagram> sent;
  std::map<std::vector<uint8_t>, int> probes;
  SOCKET nextHandle = kFirstHandle;
};

namespace {

// Guards the network and everything in it; blocking receives wait on it.
std::mutex networkLock;
std::condition_variable arrived;
IpxNetwork::State* active;
// Kept after the network is gone, for calls still made through the
// addresses a socket-library binding took while it was there.
NextEntryPoints next;

using Lock = std::unique_lock<std::mutex>;

int Fail(int error) {
  SetLastError(DWORD(error));
  return WS_SOCKET_ERROR;
}

std::vector<uint8_t> Key(const IpxAddress& address) {
  std::vector<uint8_t> key(address.network.begin(), address.network.end());
  key.insert(key.end(), address.node.begin(), address.node.end());
  key.push_back(uint8_t(address.socket >> 8));
  key.push_back(uint8_t(address.socket));
  return key;
}

// The network's socket of a handle, or null when it is not one of them.
IpxSocket* Find(SOCKET handle) {
  if (!active) return nullptr;
  auto found = active->sockets.find(handle);
  return found == active->sockets.end() ? nullptr : &found->second;
}

const NextEntryPoints& Next() { return next; }

// Hands a call on a socket that is not the network's to the next module,
// without the network's lock.
template <typename Function, typename... Arguments>
int Elsewhere(Lock& lock, Function function, Arguments... arguments) {
  lock.unlock();
  return function(arguments...);
}

bool KnownNetwork(const std::array<uint8_t, 4>& network) {
  for (const IpxAddress& adapter : active->adapters) {
    if (adapter.network == network) return true;
  }
  for (const Host& host : active->hosts) {
    if (host.address.network == network) return true;
  }
  return false;
}

bool IsLocal(const IpxAddress& address) {
  for (const IpxAddress& adapter : active->adapters) {
    if (adapter.SameHost(address)) return true;
  }
  return false;
}

Host* FindHost(const IpxAddress& address) {
  for (Host& host : active->hosts) {
    if (host.address.SameHost(address)) return &host;
  }
  return nullptr;
}

IpxSocket* BoundSocket(uint16_t number, bool stream) {
  for (auto& [handle, socket] : active->sockets) {
    if (socket.bound && socket.stream == stream && socket.local.socket == number) return &socket;
  }
  return nullptr;
}

bool Selected(const IpxSocket& socket, LONG event) { return (socket.events & event) != 0; }

void Post(const IpxSocket& socket, int event, int error) {
  PostMessageA(socket.window, socket.message, WPARAM(socket.handle),
               WSAMAKESELECTREPLY(event, error));
}

// Posts what the socket's state makes due, each event once until the call
// that re-enables it.
void Evaluate(IpxSocket& socket) {
  if (!socket.window || socket.events == 0) return;
  if (socket.stream) {
    if (socket.connectUnposted) {
      socket.connectUnposted = false;
      if (Selected(socket, WS_FD_CONNECT)) Post(socket, WS_FD_CONNECT, socket.connectError);
    }
    if (!socket.link) return;
  }
  if (socket.readArmed && Selected(socket, WS_FD_READ) && !socket.inbox.empty()) {
    socket.readArmed = false;
    Post(socket, WS_FD_READ, 0);
  }
  if (socket.writeArmed && Selected(socket, WS_FD_WRITE) &&
      !(socket.link && socket.link->farClosed)) {
    socket.writeArmed = false;
    Post(socket, WS_FD_WRITE, 0);
  }
  if (socket.link && socket.link->farClosed && !socket.closePosted &&
      Selected(socket, WS_FD_CLOSE) && (socket.inbox.empty() || !Selected(socket, WS_FD_READ))) {
    socket.closePosted = true;
    Post(socket, WS_FD_CLOSE, 0);
  }
}

void Deliver(IpxSocket& socket, const IpxAddress& from, const uint8_t* data, size_t length) {
  socket.inbox.push_back({from, std::vector<uint8_t>(data, data + length)});
  Evaluate(socket);
  arrived.notify_all();
}

// The first free dynamic socket number of the kind.
uint16_t FreeSocketNumber(bool stream) {
  uint16_t number = kFirstDynamicSocket;
  while (BoundSocket(number, stream)) ++number;
  return number;
}

void BindTo(IpxSocket& socket, const IpxAddress& adapter, uint16_t number) {
  socket.local = adapter;
  socket.local.socket = number;
  socket.bound = true;
}

int WriteAddress(const IpxAddress& address, SOCKADDR* name, int* nameLength) {
  if (!name || !nameLength || *nameLength < int(sizeof(SOCKADDR_IPX))) return Fail(WSAEFAULT);
  const SOCKADDR_IPX raw = address.ToSockaddr();
  std::memcpy(name, &raw, sizeof raw);
  *nameLength = sizeof raw;
  return 0;
}

bool ReadAddress(const SOCKADDR* name, int nameLength, IpxAddress* address) {
  if (!name || nameLength < int(sizeof(SOCKADDR_IPX))) return false;
  SOCKADDR_IPX raw;
  std::memcpy(&raw, name, sizeof raw);
  *address = IpxAddress::From(raw);
  return true;
}

// A datagram from one of the machine's sockets.
int Route(IpxSocket& sender, const IpxAddress& to, const uint8_t* data, int length) {
  const bool everyone = to.node == kBroadcastNode;
  if (everyone && !sender.broadcast) return Fail(WSAEACCES);
  if (!KnownNetwork(to.network)) return Fail(WSAENETUNREACH);
  active->sent.push_back({sender.local, to, std::vector<uint8_t>(data, data + length)});
  for (const IpxAddress& adapter : active->adapters) {
    if (adapter.network != to.network || !(everyone || adapter.node == to.node)) continue;
    if (IpxSocket* receiver = BoundSocket(to.socket, false)) {
      Deliver(*receiver, sender.local, data, size_t(length));
    }
    break;  // the machine takes a datagram once, whichever adapters it reached
  }
  for (Host& host : active->hosts) {
    if (host.address.network != to.network || !(everyone || host.address.node == to.node)) {
      continue;
    }
    if (host.echo) {
      IpxAddress answerer = host.address;
      answerer.socket = to.socket;
      Deliver(sender, answerer, data, size_t(length));
    }
  }
  return length;
}

// --- the entry points -------------------------------------------------

SOCKET NetSocket(int family, int type, int protocol) {
  if (family != WS_AF_IPX) return Next().socket(family, type, protocol);
  const bool datagram =
      type == WS_SOCK_DGRAM && protocol >= WS_NSPROTO_IPX && protocol <= WS_NSPROTO_IPX + 255;
  const bool spx = type == WS_SOCK_STREAM && protocol == WS_NSPROTO_SPX;
  if (!datagram && !spx) {
    SetLastError(WSAEPROTONOSUPPORT);
    return WS_INVALID_SOCKET;
  }
  std::lock_guard<std::mutex> guard(networkLock);
  IpxSocket socket;
  socket.handle = active->nextHandle;
  active->nextHandle += 4;
  socket.stream = spx;
  active->sockets.emplace(socket.handle, socket);
  return socket.handle;
}

int NetClosesocket(SOCKET handle) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().closesocket, handle);
  if (socket->link) socket->link->machineClosed = true;
  active->sockets.erase(handle);
  arrived.notify_all();
  return 0;
}

int NetBind(SOCKET handle, const SOCKADDR* name, int nameLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().bind, handle, name, nameLength);
  IpxAddress wanted;
  if (!ReadAddress(name, nameLength, &wanted)) return Fail(WSAEFAULT);
  if (socket->bound) return Fail(WSAEINVAL);
  IpxAddress adapter = active->adapters.front();
  if (wanted.network != IpxAddress{}.network || wanted.node != IpxAddress{}.node) {
    if (!IsLocal(wanted)) return Fail(WSAEADDRNOTAVAIL);
    adapter = wanted;
  }
  uint16_t number = wanted.socket;
  if (number == 0) {
    number = FreeSocketNumber(socket->stream);
  } else if (BoundSocket(number, socket->stream)) {
    return Fail(WSAEADDRINUSE);
  }
  BindTo(*socket, adapter, number);
  return 0;
}

// A datagram socket's connect only checks the route (and is counted as a
// probe); an SPX connect is accepted or refused by the host at once.
int NetConnect(SOCKET handle, const SOCKADDR* name, int nameLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().connect, handle, name, nameLength);
  IpxAddress to;
  if (!ReadAddress(name, nameLength, &to)) return Fail(WSAEFAULT);
  if (!socket->stream) {
    ++active->probes[Key(to)];
    return KnownNetwork(to.network) ? 0 : Fail(WSAENETUNREACH);
  }
  if (socket->link) return Fail(WSAEISCONN);
  if (!socket->bound) BindTo(*socket, active->adapters.front(), FreeSocketNumber(true));
  const Host* host = FindHost(to);
  int error = KnownNetwork(to.network) ? WSAECONNREFUSED : WSAENETUNREACH;
  if (host && std::count(host->spxSockets.begin(), host->spxSockets.end(), to.socket) > 0) {
    auto link = std::make_shared<SpxLink>();
    link->far = to;
    link->socket = handle;
    active->links.push_back(link);
    socket->link = link;
    error = 0;
  }
  if (!socket->nonBlocking) return error ? Fail(error) : 0;
  socket->connectUnposted = true;
  socket->connectError = error;
  if (!error) socket->writeArmed = true;
  Evaluate(*socket);
  return Fail(WSAEWOULDBLOCK);
}

int SendOnLink(IpxSocket& socket, const char* buffer, int length) {
  if (!socket.link) return Fail(WSAENOTCONN);
  if (socket.link->farClosed) return Fail(WSAECONNRESET);
  socket.link->fromMachine.insert(socket.link->fromMachine.end(), buffer, buffer + length);
  return length;
}

int NetSendto(SOCKET handle, const char* buffer, int length, int flags, const SOCKADDR* to,
              int toLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().sendto, handle, buffer, length, flags, to, toLength);
  IpxAddress destination;
  if (length < 0 || (length > 0 && !buffer)) return Fail(WSAEFAULT);
  // As on any stream socket, the address is not looked at.
  if (socket->stream) return SendOnLink(*socket, buffer, length);
  if (!ReadAddress(to, toLength, &destination)) return Fail(WSAEFAULT);
  if (length > kLargestPacket) return Fail(WSAEMSGSIZE);
  if (!socket->bound) BindTo(*socket, active->adapters.front(), FreeSocketNumber(false));
  return Route(*socket, destination, reinterpret_cast<const uint8_t*>(buffer), length);
}

int NetSend(SOCKET handle, const char* buffer, int length, int flags) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().send, handle, buffer, length, flags);
  if (!socket->stream) return Fail(WSAENOTCONN);
  return SendOnLink(*socket, buffer, length);
}

int NetRecvfrom(SOCKET handle, char* buffer, int length, int flags, SOCKADDR* from,
                int* fromLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket)
    return Elsewhere(lock, Next().recvfrom, handle, buffer, length, flags, from, fromLength);
  if (!buffer || length <= 0) return Fail(WSAEFAULT);
  if (from && (!fromLength || *fromLength < int(sizeof(SOCKADDR_IPX)))) return Fail(WSAEFAULT);
  auto ready = [&] {
    socket = Find(handle);
    return !socket || !socket->inbox.empty() || (socket->link && socket->link->farClosed);
  };
  if (!ready() && !socket->nonBlocking && !(socket->stream && !socket->link)) {
    arrived.wait(lock, ready);
  }
  if (!socket) return Fail(WSAEINTR);
  socket->readArmed = true;
  if (socket->stream && !socket->link) return Fail(WSAENOTCONN);
  if (socket->inbox.empty()) {
    if (socket->link && socket->link->farClosed) return 0;
    return Fail(WSAEWOULDBLOCK);
  }
  Packet& packet = socket->inbox.front();
  const int taken = std::min(length, int(packet.data.size()));
  std::memcpy(buffer, packet.data.data(), size_t(taken));
  const bool cut = taken < int(packet.data.size());
  if (from) WriteAddress(packet.from, from, fromLength);
  if (socket->stream && cut) {
    packet.data.erase(packet.data.begin(), packet.data.begin() + taken);
  } else {
    socket->inbox.pop_front();
  }
  Evaluate(*socket);
  if (!socket->stream && cut) return Fail(WSAEMSGSIZE);
  return taken;
}

int NetIoctlsocket(SOCKET handle, LONG command, uint32_t* argument) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().ioctlsocket, handle, command, argument);
  if (!argument) return Fail(WSAEFAULT);
  if (command == WS_FIONBIO) {
    if (*argument == 0 && socket->events != 0) return Fail(WSAEINVAL);
    socket->nonBlocking = *argument != 0;
    return 0;
  }
  if (command == WS_FIONREAD) {
    size_t waiting = 0;
    for (const Packet& packet : socket->inbox) {
      waiting += packet.data.size();
      if (!socket->stream) break;
    }
    *argument = uint32_t(waiting);
    return 0;
  }
  return Fail(WSAEINVAL);
}

int NetSetsockopt(SOCKET handle, int level, int name, const char* value, int valueLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().setsockopt, handle, level, name, value, valueLength);
  if (level != WS_SOL_SOCKET || name != WS_SO_BROADCAST) return Fail(WSAENOPROTOOPT);
  int32_t on = 0;
  if (!value || valueLength < int(sizeof on)) return Fail(WSAEFAULT);
  std::memcpy(&on, value, sizeof on);
  socket->broadcast = on != 0;
  return 0;
}

int NetGetsockopt(SOCKET handle, int level, int name, char* value, int* valueLength) {
  Lock lock(networkLock);
  if (!Find(handle))
    return Elsewhere(lock, Next().getsockopt, handle, level, name, value, valueLength);
  if (!value || !valueLength) return Fail(WSAEFAULT);
  const int32_t adapters = int32_t(active->adapters.size());
  if (level == WS_NSPROTO_IPX && name == WS_IPX_MAX_ADAPTER_NUM) {
    if (*valueLength < int(sizeof adapters)) return Fail(WSAEFAULT);
    std::memcpy(value, &adapters, sizeof adapters);
    *valueLength = sizeof adapters;
    return 0;
  }
  if (level == WS_NSPROTO_IPX && name == WS_IPX_ADDRESS) {
    IPX_ADDRESS_DATA data;
    if (*valueLength < int(sizeof data)) return Fail(WSAEFAULT);
    std::memcpy(&data, value, sizeof data);
    if (data.adapternum < 0 || data.adapternum >= adapters) return Fail(WSAEINVAL);
    const IpxAddress& adapter = active->adapters[size_t(data.adapternum)];
    std::memcpy(data.netnum, adapter.network.data(), sizeof data.netnum);
    std::memcpy(data.nodenum, adapter.node.data(), sizeof data.nodenum);
    data.wan = 0;
    data.status = 1;
    data.maxpkt = kLargestPacket;
    data.linkspeed = 100000;  // 10 Mbit/s
    std::memcpy(value, &data, sizeof data);
    *valueLength = sizeof data;
    return 0;
  }
  return Fail(WSAENOPROTOOPT);
}

int NetGetsockname(SOCKET handle, SOCKADDR* name, int* nameLength) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().getsockname, handle, name, nameLength);
  if (!socket->bound) return Fail(WSAEINVAL);
  return WriteAddress(socket->local, name, nameLength);
}

int NetWSAAsyncSelect(SOCKET handle, HWND window, UINT message, LONG events) {
  Lock lock(networkLock);
  IpxSocket* socket = Find(handle);
  if (!socket) return Elsewhere(lock, Next().WSAAsyncSelect, handle, window, message, events);
  constexpr LONG kKnownEvents =
      WS_FD_READ | WS_FD_WRITE | WS_FD_OOB | WS_FD_ACCEPT | WS_FD_CONNECT | WS_FD_CLOSE;
  if ((events & ~kKnownEvents) != 0 || (events != 0 && !IsWindow(window))) {
    return Fail(WSAEINVAL);
  }
  socket->nonBlocking = true;
  socket->window = events != 0 ? window : nullptr;
  socket->message = message;
  socket->events = events;
  socket->readArmed = true;
  socket->writeArmed = true;
  socket->closePosted = false;
  Evaluate(*socket);
  return 0;
}

int NetShutdown(SOCKET handle, int how) {
  Lock lock(networkLock);
  if (!Find(handle)) return Elsewhere(lock, Next().shutdown, handle, how);
  return Fail(WSAEOPNOTSUPP);
}

template <typename Function>
Function NextOf(const std::map<std::string, FARPROC>& overrides, const char* name) {
  auto given = overrides.find(name);
  FARPROC address = given != overrides.end() ? given->second : ReplacedSocketModule::Original(name);
  return reinterpret_cast<Function>(address);
}

SpxLink& LinkAt(size_t connection) {
  EXPECT_LT(connection, active->links.size());
  return *active->links.at(connection);
}

}  // namespace

IpxAddress IpxAddress::Of(uint32_t network, uint64_t node, uint16_t socket) {
  IpxAddress address;
  for (int i = 0; i < 4; ++i) address.network[size_t(i)] = uint8_t(network >> (24 - 8 * i));
  for (int i = 0; i < 6; ++i) address.node[size_t(i)] = uint8_t(node >> (40 - 8 * i));
  address.socket = socket;
  return address;
}

IpxAddress IpxAddress::From(const SOCKADDR_IPX& raw) {
  IpxAddress address;
  std::memcpy(address.network.data(), raw.sa_netnum, 4);
  std::memcpy(address.node.data(), raw.sa_nodenum, 6);
  const auto* socket = reinterpret_cast<const uint8_t*>(&raw.sa_socket);
  address.socket = uint16_t(socket[0] << 8 | socket[1]);
  return address;
}

SOCKADDR_IPX IpxAddress::ToSockaddr() const {
  SOCKADDR_IPX raw{};
  raw.sa_family = WS_AF_IPX;
  std::memcpy(raw.sa_netnum, network.data(), 4);
  std::memcpy(raw.sa_nodenum, node.data(), 6);
  auto* number = reinterpret_cast<uint8_t*>(&raw.sa_socket);
  number[0] = uint8_t(socket >> 8);
  number[1] = uint8_t(socket);
  return raw;
}

IpxNetwork::IpxNetwork(const std::map<std::string, FARPROC>& otherOverrides) {
  auto state = new State;
  state->adapters = {IpxAddress::Of(kLocalNetwork, kLocalNode)};
  next.socket = NextOf<LPFN_SOCKET>(otherOverrides, "socket");
  next.closesocket = NextOf<LPFN_CLOSESOCKET>(otherOverrides, "closesocket");
  next.bind = NextOf<LPFN_BIND>(otherOverrides, "bind");
  next.connect = NextOf<LPFN_CONNECT>(otherOverrides, "connect");
  next.send = NextOf<LPFN_SEND>(otherOverrides, "send");
  next.sendto = NextOf<LPFN_SENDTO>(otherOverrides, "sendto");
  next.recvfrom = NextOf<LPFN_RECVFROM>(otherOverrides, "recvfrom");
  next.ioctlsocket = NextOf<LPFN_IOCTLSOCKET>(otherOverrides, "ioctlsocket");
  next.setsockopt = NextOf<LPFN_SETSOCKOPT>(otherOverrides, "setsockopt");
  next.getsockopt = NextOf<LPFN_GETSOCKOPT>(otherOverrides, "getsockopt");
  next.getsockname = NextOf<LPFN_GETSOCKNAME>(otherOverrides, "getsockname");
  next.WSAAsyncSelect = NextOf<LPFN_WSAASYNCSELECT>(otherOverrides, "WSAAsyncSelect");
  next.shutdown = NextOf<LPFN_SHUTDOWN>(otherOverrides, "shutdown");
  {
    std::lock_guard<std::mutex> guard(networkLock);
    EXPECT_EQ(active, nullptr) << "only one IPX network at a time";
    active = state;
  }
  std::map<std::string, FARPROC> overrides = otherOverrides;
  overrides["socket"] = AsProc(NetSocket);
  overrides["closesocket"] = AsProc(NetClosesocket);
  overrides["bind"] = AsProc(NetBind);
  overrides["connect"] = AsProc(NetConnect);
  overrides["send"] = AsProc(NetSend);
  overrides["sendto"] = AsProc(NetSendto);
  overrides["recvfrom"] = AsProc(NetRecvfrom);
  overrides["ioctlsocket"] = AsProc(NetIoctlsocket);
  overrides["setsockopt"] = AsProc(NetSetsockopt);
  overrides["getsockopt"] = AsProc(NetGetsockopt);
  overrides["getsockname"] = AsProc(NetGetsockname);
  overrides["WSAAsyncSelect"] = AsProc(NetWSAAsyncSelect);
  overrides["shutdown"] = AsProc(NetShutdown);
  module_ = std::make_unique<ReplacedSocketModule>(overrides);
}

IpxNetwork::~IpxNetwork() {
  module_.reset();
  std::lock_guard<std::mutex> guard(networkLock);
  EXPECT_TRUE(active->sockets.empty()) << "IPX sockets left open";
  delete active;
  active = nullptr;
  arrived.notify_all();
}

void IpxNetwork::SetLocalAdapters(const std::vector<IpxAddress>& adapters) {
  ASSERT_FALSE(adapters.empty());
  std::lock_guard<std::mutex> guard(networkLock);
  active->adapters = adapters;
}

void IpxNetwork::AddHost(const IpxAddress& host, bool echo) {
  std::lock_guard<std::mutex> guard(networkLock);
  active->hosts.push_back({host, echo, {}});
}

void IpxNetwork::AcceptSpx(const IpxAddress& at) {
  std::lock_guard<std::mutex> guard(networkLock);
  Host* host = FindHost(at);
  ASSERT_NE(host, nullptr) << "add the host first";
  host->spxSockets.push_back(at.socket);
}

std::vector<IpxDatagram> IpxNetwork::Sent() const {
  std::lock_guard<std::mutex> guard(networkLock);
  return active->sent;
}

int IpxNetwork::Probes(const IpxAddress& to) const {
  std::lock_guard<std::mutex> guard(networkLock);
  auto found = active->probes.find(Key(to));
  return found == active->probes.end() ? 0 : found->second;
}

size_t IpxNetwork::OpenSockets() const {
  std::lock_guard<std::mutex> guard(networkLock);
  return active->sockets.size();
}

size_t IpxNetwork::SpxConnections() const {
  std::lock_guard<std::mutex> guard(networkLock);
  return active->links.size();
}

std::vector<uint8_t> IpxNetwork::TakeSpxBytes(size_t connection) {
  std::lock_guard<std::mutex> guard(networkLock);
  std::vector<uint8_t> bytes;
  bytes.swap(LinkAt(connection).fromMachine);
  return bytes;
}

void IpxNetwork::SendSpx(size_t connection, const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> guard(networkLock);
  SpxLink& link = LinkAt(connection);
  IpxSocket* socket = Find(link.socket);
  if (link.machineClosed || !socket) return;
  for (size_t at = 0; at < bytes.size(); at += kLargestPacket) {
    const size_t length = std::min(bytes.size() - at, size_t(kLargestPacket));
    Deliver(*socket, link.far, bytes.data() + at, length);
  }
}

void IpxNetwork::CloseSpx(size_t connection) {
  std::lock_guard<std::mutex> guard(networkLock);
  SpxLink& link = LinkAt(connection);
  link.farClosed = true;
  if (IpxSocket* socket = Find(link.socket); socket && !link.machineClosed) Evaluate(*socket);
  arrived.notify_all();
}

bool IpxNetwork::SpxClosedByMachine(size_t connection) const {
  std::lock_guard<std::mutex> guard(networkLock);
  return LinkAt(connection).machineClosed;
}
