#include "ipx.h"

#include <cstring>

#include "endpoint_socket.h"
#include "platform/thread.h"
#include "platform/version.h"
#include "protocol_info.h"
#include "socket_library.h"
#include "transport_log.h"
#include "transport_starts.h"

namespace tessel::qtl {
namespace {

constexpr int32_t kProfileRoot = 2;
constexpr int32_t kLargestPacket = 546;
constexpr int32_t kCleanupTimerUnset = 99999;
constexpr int32_t kCleanupTimerDefault = 250;

// Windows NT 3.51 is given time to let go of its IPX sockets after the last
// IPX stop, before the transport counts as unloaded.
bool NeedsCleanupPause() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         version.dwMajorVersion == 3 && version.dwMinorVersion == 51;
}

void PauseAfterLastIpxStop() {
  if (!NeedsCleanupPause()) return;
  int32_t pause = QRTLGetProfileInt("QTL", "Cleanup Timer", kCleanupTimerUnset, kProfileRoot);
  if (pause == kCleanupTimerUnset) {
    pause = kCleanupTimerDefault;
    QRTLWriteProfileInt("QTL", "Cleanup Timer", pause, kProfileRoot);
  }
  if (pause > 0) Sleep(DWORD(pause));
}

// Guarded by the init lock.
SocketLibraryTransport ipx = {.count = {QTL_PROTO_IPX, "IPX", 0},
                              .initFailure = QTLERR_IPX_INIT,
                              .family = WS_AF_IPX,
                              .type = WS_SOCK_DGRAM,
                              .protocol = WS_NSPROTO_IPX_TYPE4,
                              .lastRelease = PauseAfterLastIpxStop};

const EndpointSocketKind kIpxSocket = {WS_AF_IPX, WS_SOCK_DGRAM, WS_NSPROTO_IPX_TYPE4, true,
                                       LargestIpxPacket};

int32_t OpenIpx(Endpoint& endpoint, int32_t mode) {
  return OpenEndpointSocket(endpoint, mode, kIpxSocket);
}

// Network, node and socket number; the protocol field does not count.
bool SameDestination(const NetAddress& a, const NetAddress& b) {
  return std::memcmp(&a.u.ipx, &b.u.ipx, offsetof(decltype(a.u.ipx), zero)) == 0;
}

// Connecting a datagram socket makes the platform find a route to the
// destination without sending anything.
int32_t ProbeDestination(const SOCKADDR_IPX& destination) {
  const SOCKET probe = Winsock().socket(WS_AF_IPX, WS_SOCK_DGRAM, WS_NSPROTO_IPX_TYPE4);
  if (probe == WS_INVALID_SOCKET) {
    LogFailedCall("socket");
    return QTLERR_SOCKET_CREATE;
  }
  int32_t status = QTL_SUCCESS;
  if (Winsock().connect(probe, reinterpret_cast<const SOCKADDR*>(&destination),
                        sizeof destination) != 0) {
    LogFailedCall("connect");
    status = QTLERR_BAD_ADDRESS;
  }
  Winsock().closesocket(probe);
  return status;
}

// A destination is probed once, when it first differs from the last one
// proven reachable; one that cannot be reached is probed at every send.
int32_t SendIpx(Endpoint& endpoint, const NetAddress& to, const uint8_t* data, int32_t length) {
  const SOCKADDR_IPX destination = IpxSocketAddress(to);
  NetAddress& last = endpoint.transport.lastDestination;
  if (!SameDestination(to, last)) {
    if (const int32_t status = ProbeDestination(destination)) return status;
    last = to;
  }
  return SendDatagram(endpoint, reinterpret_cast<const SOCKADDR*>(&destination), sizeof destination,
                      data, length);
}

}  // namespace

const TransportOps kIpxOps = {.protocol = QTL_PROTO_IPX,
                              .stream = false,
                              .open = OpenIpx,
                              .close = CloseEndpointSocket,
                              .bind = BindIpxSocket,
                              .send = SendIpx,
                              .drain = DrainIpxPackets,
                              .getInfo = IpxInfo,
                              .connect = nullptr};

int32_t StartIpx() {
  WSADATA data{};
  return StartSocketLibraryTransport(ipx, &data);
}

void StopIpx() { StopSocketLibraryTransport(ipx); }

void DrainIpxPackets(Endpoint& endpoint) {
  DrainDatagrams(endpoint, sizeof(SOCKADDR_IPX), IpxSource);
}

int32_t LargestIpxPacket(SOCKET, int32_t* status) {
  *status = QTL_SUCCESS;
  return kLargestPacket;
}

int32_t BindIpxSocket(Endpoint& endpoint, uint16_t socketNumber) {
  SOCKADDR_IPX local{};
  local.sa_family = WS_AF_IPX;
  local.sa_socket = Winsock().htons(socketNumber);
  if (Winsock().bind(endpoint.transport.socket, reinterpret_cast<const SOCKADDR*>(&local),
                     sizeof local) != 0) {
    LogFailedCall("bind");
    return QTLERR_BIND_FAILED;
  }
  return QTL_SUCCESS;
}

// The NetAddress holds the socket number big-endian, as the wire does.
SOCKADDR_IPX IpxSocketAddress(const NetAddress& address) {
  SOCKADDR_IPX socketAddress{};
  socketAddress.sa_family = WS_AF_IPX;
  std::memcpy(socketAddress.sa_netnum, address.u.ipx.network, sizeof socketAddress.sa_netnum);
  std::memcpy(socketAddress.sa_nodenum, address.u.ipx.node, sizeof socketAddress.sa_nodenum);
  std::memcpy(&socketAddress.sa_socket, address.u.ipx.socket, sizeof socketAddress.sa_socket);
  return socketAddress;
}

NetAddress IpxSource(const SOCKADDR& address) {
  SOCKADDR_IPX source;
  std::memcpy(&source, &address, sizeof source);
  NetAddress from{};
  from.protocol = QTL_PROTO_IPX;
  std::memcpy(from.u.ipx.network, source.sa_netnum, sizeof from.u.ipx.network);
  std::memcpy(from.u.ipx.node, source.sa_nodenum, sizeof from.u.ipx.node);
  std::memcpy(from.u.ipx.socket, &source.sa_socket, sizeof from.u.ipx.socket);
  return from;
}

uint32_t IpxInfo(Endpoint& endpoint, int32_t item, int32_t* status) {
  switch (item) {
    case QTLINFO_MAX_PACKET:
      *status = QTL_SUCCESS;
      return uint32_t(endpoint.transport.maxPacket);
    case QTLINFO_LOCAL_PORT:
      return BoundNumber(endpoint, sizeof(SOCKADDR_IPX), offsetof(SOCKADDR_IPX, sa_socket), status);
    default:
      return ProtocolInfo(QTL_PROTO_IPX, item, status);
  }
}

}  // namespace tessel::qtl
