// An IPX network played in memory, so that code which opens IPX and SPX
// sockets can be tested on a system that has no IPX.
//
// While an IpxNetwork lives, "WSOCK32.DLL" is a stand-in module whose
// family-6 sockets belong to this network: IPX datagram sockets (type 2,
// protocols 1000 to 1255) and SPX sockets (type 1, protocol 1256). Every
// other socket, and every call on one, goes on to the built-in module, or to
// the override the test passed for that entry point. Only one network may
// exist at a time.
//
// The network holds this machine, with its adapters (network and node
// numbers, adapter 0 first), and the other hosts a test adds. A host that
// echoes answers every datagram with the same bytes, sent from the address
// the datagram went to; a host can accept SPX connections on chosen socket
// numbers, and the test plays the far end of each connection. A destination
// is reachable when its network is one of the machine's or of a host's:
// connect on a datagram socket (which only checks the route) and sendto
// fail with WSAENETUNREACH for any other.
//
// Socket calls behave as Winsock's IPX does: bind with socket number 0 picks
// a free one from 0x4000; sendto binds an unbound socket; a datagram is at
// most 546 bytes; a datagram longer than the receive buffer is cut and
// reported as WSAEMSGSIZE; broadcasting (node FF FF FF FF FF FF) needs
// SO_BROADCAST; getsockopt at level NSPROTO_IPX answers IPX_MAX_ADAPTER_NUM
// and IPX_ADDRESS. An SPX socket is a byte stream carried in packets of at
// most 546 bytes; a receive takes bytes from the oldest packet.
//
// Notifications of WSAAsyncSelect follow Winsock's re-enabling rules, as the
// built-in module does: FD_READ once until the next receive, FD_WRITE when
// the selection is made on a socket that can send, FD_CONNECT once when a
// connect ends (with WSAECONNREFUSED when nobody accepts), FD_CLOSE once
// the far end has closed and the data before it was received. They are
// posted by the call that causes them; a non-blocking connect ends at once
// and posts its FD_CONNECT then.
//
// Every function may be called from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/winsock_ipx.h"
#include "socket_module.h"

struct IpxAddress {
  std::array<uint8_t, 4> network{};
  std::array<uint8_t, 6> node{};
  uint16_t socket = 0;  // host byte order

  // network as a 32-bit number (first byte highest), node as a 48-bit one.
  static IpxAddress Of(uint32_t network, uint64_t node, uint16_t socket = 0);
  static IpxAddress From(const SOCKADDR_IPX& address);
  SOCKADDR_IPX ToSockaddr() const;
  // The same machine: network and node equal.
  bool SameHost(const IpxAddress& other) const {
    return network == other.network && node == other.node;
  }
  bool operator==(const IpxAddress&) const = default;
};

struct IpxDatagram {
  IpxAddress from;
  IpxAddress to;
  std::vector<uint8_t> data;
};

class IpxNetwork {
 public:
  static constexpr uint32_t kLocalNetwork = 0x0000A11Cu;
  static constexpr uint64_t kLocalNode = 0x020000000001u;

  // The machine starts with one adapter, kLocalNetwork / kLocalNode.
  // otherOverrides: entry points the test replaces besides the network; the
  // network hands them every call that is not on one of its sockets.
  explicit IpxNetwork(const std::map<std::string, FARPROC>& otherOverrides = {});
  ~IpxNetwork();
  IpxNetwork(const IpxNetwork&) = delete;
  IpxNetwork& operator=(const IpxNetwork&) = delete;

  // The machine's adapters, adapter 0 first (socket numbers are ignored).
  void SetLocalAdapters(const std::vector<IpxAddress>& adapters);
  // Another machine (socket number ignored).
  void AddHost(const IpxAddress& host, bool echo);
  // The host at `at` (added before) accepts SPX connections on at.socket.
  void AcceptSpx(const IpxAddress& at);

  // Every datagram the machine's sockets sent, oldest first.
  std::vector<IpxDatagram> Sent() const;
  // How often a datagram socket was connected to `to` (socket number
  // included), reachable or not.
  int Probes(const IpxAddress& to) const;
  // IPX and SPX sockets open now.
  size_t OpenSockets() const;

  // SPX connections the hosts accepted, numbered from 0 in order.
  size_t SpxConnections() const;
  // What the machine has sent on the connection since the last call.
  std::vector<uint8_t> TakeSpxBytes(size_t connection);
  // The far end sends `bytes` to the machine.
  void SendSpx(size_t connection, const std::vector<uint8_t>& bytes);
  // The far end closes the connection.
  void CloseSpx(size_t connection);
  // Whether the machine's socket of the connection was closed.
  bool SpxClosedByMachine(size_t connection) const;

  struct State;

 private:
  std::unique_ptr<ReplacedSocketModule> module_;
};
