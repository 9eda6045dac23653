#include "udp.h"

#include <cstdlib>
#include <cstring>

#include "critical_section_lock.h"
#include "frame.h"
#include "protocol_info.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {
namespace {

constexpr int32_t kProfileRoot = 2;
constexpr int32_t kSmallestDatagram = 512;
constexpr int32_t kLargestDatagram = 1400;

// Guarded by the init lock.
int32_t udpStarts;
uint16_t udpDatagramLimit;

void ReleaseUdpStart() {
  if (udpStarts > 0 && --udpStarts == 0) {
    MarkLoaded(QTL_PROTO_UDP, false);
    LogLine(QRTL_LOG_INFO, "UDP transport unloaded");
  }
  ReleaseSocketLibrary();
}

SOCKADDR_IN IpSocketAddress(uint16_t port, uint32_t address) {
  SOCKADDR_IN socketAddress{};
  socketAddress.sin_family = WS_AF_INET;
  socketAddress.sin_port = Winsock().htons(port);
  socketAddress.sin_addr.s_addr = Winsock().htonl(address);
  return socketAddress;
}

int32_t OpenUdp(Endpoint& endpoint, int32_t mode) {
  if (const int32_t status = StartRequest(QTL_PROTO_UDP)) return status;
  const SOCKET socket = Winsock().socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
  if (socket == WS_INVALID_SOCKET) {
    LogFailedCall("socket");
    StopRequest(QTL_PROTO_UDP);
    return QTLERR_SOCKET_CREATE;
  }
  TransportState& transport = endpoint.transport;
  transport.socket = socket;
  transport.bound = 0;
  transport.mode = mode;
  int32_t status = QTL_SUCCESS;
  uint32_t nonBlocking = 1;
  if (Winsock().ioctlsocket(socket, WS_FIONBIO, &nonBlocking) != 0) {
    LogFailedCall("ioctlsocket");
    status = QTLERR_TRANSPORT_ERR;
  } else {
    const int32_t allow = 1;
    Winsock().setsockopt(socket, WS_SOL_SOCKET, WS_SO_BROADCAST,
                         reinterpret_cast<const char*>(&allow), sizeof allow);
    transport.maxPacket = LargestIpDatagram(socket, &status);
  }
  if (status < 0) {
    Winsock().closesocket(socket);
    StopRequest(QTL_PROTO_UDP);
  }
  return status;
}

int32_t CloseUdp(Endpoint& endpoint) {
  if (Winsock().closesocket(endpoint.transport.socket) != 0) return QTLERR_SOCKET_DESTROY;
  return StopRequest(QTL_PROTO_UDP);
}

int32_t SendUdp(Endpoint& endpoint, const NetAddress& to, const uint8_t* data, int32_t length) {
  const SOCKADDR_IN socketAddress = IpSocketAddress(to.u.ip.port, to.u.ip.address);
  const int sent = Winsock().sendto(endpoint.transport.socket, reinterpret_cast<const char*>(data),
                                    length, 0, reinterpret_cast<const SOCKADDR*>(&socketAddress),
                                    sizeof socketAddress);
  if (sent != WS_SOCKET_ERROR) return sent < length ? QTLERR_NOT_ALL_SENT : QTL_SUCCESS;
  const int error = Winsock().WSAGetLastError();
  if (error == WSAEWOULDBLOCK || error == WSAENOBUFS) {
    LogLine(QRTL_LOG_INFO, "sendto function would block or no buffers");
    return QTLERR_SOCKET_BUSY;
  }
  LogFailedCall("sendto");
  return QTLERR_TRANSPORT_ERR;
}

int32_t ReceiveFailure(int error) {
  switch (error) {
    case WSAEINPROGRESS:
      return QTLERR_SOCKET_BUSY;
    case WSAEMSGSIZE:
      return QTLERR_TOO_LARGE;
    default:
      return QTLERR_TRANSPORT_ERR;
  }
}

// Reads every waiting datagram, so one notification empties the socket.
void DrainUdp(Endpoint& endpoint) {
  const TransportState& transport = endpoint.transport;
  for (;;) {
    auto* block = static_cast<uint8_t*>(std::malloc(size_t(transport.maxPacket)));
    if (!block) {
      QueueRecord(endpoint, nullptr, 0, nullptr, QTLERR_NOMEM, kRecordData);
      return;
    }
    SOCKADDR_IN source{};
    int sourceLength = sizeof source;
    const int received =
        Winsock().recvfrom(transport.socket, reinterpret_cast<char*>(block), transport.maxPacket,
                           0, reinterpret_cast<SOCKADDR*>(&source), &sourceLength);
    if (received == WS_SOCKET_ERROR) {
      std::free(block);
      const int error = Winsock().WSAGetLastError();
      if (error == WSAEWOULDBLOCK) return;
      LogFailedCall("recvfrom");
      QueueRecord(endpoint, nullptr, 0, nullptr, ReceiveFailure(error), kRecordData);
      return;
    }
    NetAddress from{};
    from.protocol = QTL_PROTO_UDP;
    from.u.ip.port = Winsock().ntohs(source.sin_port);
    from.u.ip.address = Winsock().ntohl(source.sin_addr.s_addr);
    QueueRecord(endpoint, block, received, &from, QTL_SUCCESS, kRecordData);
    if (received == 0) return;
  }
}

uint32_t UdpInfo(Endpoint& endpoint, int32_t item, int32_t* status) {
  switch (item) {
    case QTLINFO_MAX_PACKET:
      *status = QTL_SUCCESS;
      return uint32_t(endpoint.transport.maxPacket);
    case QTLINFO_LOCAL_PORT:
      return IpLocalPort(endpoint, status);
    case QTLINFO_CONNECTED:
      *status = QTLERR_INVALID_PARAM;
      return 0;
    default:
      return ProtocolInfo(QTL_PROTO_UDP, item, status);
  }
}

}  // namespace

const TransportOps kUdpOps = {QTL_PROTO_UDP, false,   OpenUdp,  CloseUdp,
                              BindIpPort,    SendUdp, DrainUdp, UdpInfo};

int32_t StartUdp() {
  if (BindSocketLibrary() != QTL_SUCCESS) return QTLERR_UDP_INIT;
  if (udpStarts++ == 0) {
    MarkLoaded(QTL_PROTO_UDP, true);
    LogLine(QRTL_LOG_INFO, "UDP transport loaded");
  }
  WSADATA data{};
  const int result = Winsock().WSAStartup(0x0101, &data);
  bool started = result == 0;
  if (!started) {
    LogLine(QRTL_LOG_ERROR, "WSAStartup returned %d", result);
  } else if ((data.wVersion & 0xFF) != 1 || (data.wVersion >> 8) != (data.wVersion & 0xFF)) {
    Winsock().WSACleanup();
    started = false;
  } else if (udpStarts == 1) {
    // The first start proves that datagram sockets can be made at all.
    const SOCKET probe = Winsock().socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
    if (probe == WS_INVALID_SOCKET) {
      Winsock().WSACleanup();
      started = false;
    } else {
      Winsock().closesocket(probe);
    }
  }
  if (!started) {
    ReleaseUdpStart();
    return QTLERR_UDP_INIT;
  }
  udpDatagramLimit = data.iMaxUdpDg ? data.iMaxUdpDg : kSmallestDatagram;
  return QTL_SUCCESS;
}

void StopUdp() {
  if (udpStarts == 0) return;
  Winsock().WSACleanup();
  ReleaseUdpStart();
}

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

uint32_t IpLocalPort(Endpoint& endpoint, int32_t* status) {
  if (!endpoint.transport.bound) {
    *status = QTLERR_NOT_BOUND;
    return 0;
  }
  SOCKADDR_IN local{};
  int length = sizeof local;
  if (Winsock().getsockname(endpoint.transport.socket, reinterpret_cast<SOCKADDR*>(&local),
                            &length) != 0) {
    LogFailedCall("getsockname");
    *status = QTLERR_TRANSPORT_ERR;
    return 0;
  }
  *status = QTL_SUCCESS;
  return Winsock().ntohs(local.sin_port);
}

}  // namespace tessel::qtl
