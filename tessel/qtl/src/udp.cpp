#include "udp.h"

#include <cstring>

#include "critical_section_lock.h"
#include "endpoint_socket.h"
#include "frame.h"
#include "protocol_info.h"
#include "socket_library.h"
#include "transport_log.h"
#include "transport_starts.h"

namespace tessel::qtl {
namespace {

constexpr int32_t kProfileRoot = 2;
constexpr int32_t kSmallestDatagram = 512;
constexpr int32_t kLargestDatagram = 1400;

// Guarded by the init lock.
SocketLibraryTransport udp = {.count = {QTL_PROTO_UDP, "UDP", 0},
                              .initFailure = QTLERR_UDP_INIT,
                              .family = WS_AF_INET,
                              .type = WS_SOCK_DGRAM,
                              .protocol = 0,
                              .lastRelease = nullptr};
uint16_t udpDatagramLimit;

const EndpointSocketKind kUdpSocket = {WS_AF_INET, WS_SOCK_DGRAM, 0, true, LargestIpDatagram};

int32_t OpenUdp(Endpoint& endpoint, int32_t mode) {
  return OpenEndpointSocket(endpoint, mode, kUdpSocket);
}

int32_t SendUdp(Endpoint& endpoint, const NetAddress& to, const uint8_t* data, int32_t length) {
  const SOCKADDR_IN socketAddress = IpSocketAddress(to.u.ip.port, to.u.ip.address);
  return SendDatagram(endpoint, reinterpret_cast<const SOCKADDR*>(&socketAddress),
                      sizeof socketAddress, data, length);
}

void DrainUdp(Endpoint& endpoint) { DrainDatagrams(endpoint, sizeof(SOCKADDR_IN), IpSource); }

}  // namespace

const TransportOps kUdpOps = {.protocol = QTL_PROTO_UDP,
                              .stream = false,
                              .open = OpenUdp,
                              .close = CloseEndpointSocket,
                              .bind = BindIpPort,
                              .send = SendUdp,
                              .drain = DrainUdp,
                              .getInfo = UdpInfo,
                              .connect = nullptr};

int32_t StartUdp() {
  WSADATA data{};
  if (const int32_t status = StartSocketLibraryTransport(udp, &data)) return status;
  udpDatagramLimit = data.iMaxUdpDg ? data.iMaxUdpDg : kSmallestDatagram;
  return QTL_SUCCESS;
}

void StopUdp() { StopSocketLibraryTransport(udp); }

int32_t LargestIpDatagram(SOCKET socket, int32_t* status) {
  *status = QTL_SUCCESS;
  const int32_t configured = QRTLGetProfileInt("UDP", "MTU", 0, kProfileRoot);
  if (configured >= kSmallestDatagram && configured <= kLargestDatagram) return configured;
  int32_t receiveBuffer = 0;
  int32_t sendBuffer = 0;
  int length = sizeof receiveBuffer;
  if (Winsock().getsockopt(socket, WS_SOL_SOCKET, WS_SO_RCVBUF,
                           reinterpret_cast<char*>(&receiveBuffer), &length) != 0 ||
      (length = sizeof sendBuffer,
       Winsock().getsockopt(socket, WS_SOL_SOCKET, WS_SO_SNDBUF,
                            reinterpret_cast<char*>(&sendBuffer), &length) != 0)) {
    LogFailedCall("getsockopt");
    *status = QTLERR_TRANSPORT_ERR;
    return 0;
  }
  const int32_t smaller = receiveBuffer < sendBuffer ? receiveBuffer : sendBuffer;
  int32_t limit;
  {
    CriticalSectionLock lock(InitLock());
    limit = udpDatagramLimit;
  }
  if (limit >= smaller) limit = smaller;
  if (limit < kSmallestDatagram) return kSmallestDatagram;
  return limit > kLargestDatagram ? kLargestDatagram : limit;
}

int32_t BindIpPort(Endpoint& endpoint, uint16_t port) {
  const SOCKADDR_IN local = IpSocketAddress(port, WS_INADDR_ANY);
  if (Winsock().bind(endpoint.transport.socket, reinterpret_cast<const SOCKADDR*>(&local),
                     sizeof local) != 0) {
    LogFailedCall("bind");
    return QTLERR_BIND_FAILED;
  }
  return QTL_SUCCESS;
}

SOCKADDR_IN IpSocketAddress(uint16_t port, uint32_t address) {
  SOCKADDR_IN socketAddress{};
  socketAddress.sin_family = WS_AF_INET;
  socketAddress.sin_port = Winsock().htons(port);
  socketAddress.sin_addr.s_addr = Winsock().htonl(address);
  return socketAddress;
}

NetAddress IpSource(const SOCKADDR& address) {
  SOCKADDR_IN source;
  std::memcpy(&source, &address, sizeof source);
  NetAddress from{};
  from.protocol = QTL_PROTO_UDP;
  from.u.ip.port = Winsock().ntohs(source.sin_port);
  from.u.ip.address = Winsock().ntohl(source.sin_addr.s_addr);
  return from;
}

uint32_t UdpInfo(Endpoint& endpoint, int32_t item, int32_t* status) {
  switch (item) {
    case QTLINFO_MAX_PACKET:
      *status = QTL_SUCCESS;
      return uint32_t(endpoint.transport.maxPacket);
    case QTLINFO_LOCAL_PORT:
      return BoundNumber(endpoint, sizeof(SOCKADDR_IN), offsetof(SOCKADDR_IN, sin_port), status);
    case QTLINFO_CONNECTED:
      *status = QTLERR_INVALID_PARAM;
      return 0;
    default:
      return ProtocolInfo(QTL_PROTO_UDP, item, status);
  }
}

}  // namespace tessel::qtl
