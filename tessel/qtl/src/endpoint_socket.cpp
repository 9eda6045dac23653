#include "endpoint_socket.h"

#include <cstdlib>

#include "frame.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {

int32_t OpenEndpointSocket(Endpoint& endpoint, int32_t mode, const EndpointSocketKind& kind) {
  if (const int32_t status = StartRequest(endpoint.protocol)) return status;
  const SOCKET socket = Winsock().socket(kind.family, kind.type, kind.protocol);
  if (socket == WS_INVALID_SOCKET) {
    LogFailedCall("socket");
    StopRequest(endpoint.protocol);
    return QTLERR_SOCKET_CREATE;
  }
  TransportState& transport = endpoint.transport;
  transport.socket = socket;
  transport.bound = 0;
  transport.connected = 0;
  transport.lastDestination = NetAddress{};
  transport.mode = mode;
  int32_t status = QTL_SUCCESS;
  uint32_t nonBlocking = 1;
  if (Winsock().ioctlsocket(socket, WS_FIONBIO, &nonBlocking) != 0) {
    LogFailedCall("ioctlsocket");
    status = QTLERR_TRANSPORT_ERR;
  } else {
    if (kind.broadcast) {
      const int32_t allow = 1;
      Winsock().setsockopt(socket, WS_SOL_SOCKET, WS_SO_BROADCAST,
                           reinterpret_cast<const char*>(&allow), sizeof allow);
    }
    transport.maxPacket = kind.largestDatagram(socket, &status);
  }
  if (status < 0) {
    Winsock().closesocket(socket);
    StopRequest(endpoint.protocol);
  }
  return status;
}

int32_t CloseEndpointSocket(Endpoint& endpoint) {
  if (Winsock().closesocket(endpoint.transport.socket) != 0) return QTLERR_SOCKET_DESTROY;
  return StopRequest(endpoint.protocol);
}

int32_t SendDatagram(Endpoint& endpoint, const SOCKADDR* to, int toLength, const uint8_t* data,
                     int32_t length) {
  const int sent = Winsock().sendto(endpoint.transport.socket, reinterpret_cast<const char*>(data),
                                    length, 0, to, toLength);
  if (sent != WS_SOCKET_ERROR) return sent < length ? QTLERR_NOT_ALL_SENT : QTL_SUCCESS;
  const int error = Winsock().WSAGetLastError();
  if (error == WSAEWOULDBLOCK || error == WSAENOBUFS) {
    LogLine(QRTL_LOG_INFO, "sendto function would block or no buffers");
    return QTLERR_SOCKET_BUSY;
  }
  LogFailedCall("sendto");
  return QTLERR_TRANSPORT_ERR;
}

void QueueFailedReceive(Endpoint& endpoint) {
  const int error = Winsock().WSAGetLastError();
  if (error == WSAEWOULDBLOCK) return;
  LogFailedCall("recvfrom");
  int32_t status = QTLERR_TRANSPORT_ERR;
  if (error == WSAEINPROGRESS) status = QTLERR_SOCKET_BUSY;
  if (error == WSAEMSGSIZE) status = QTLERR_TOO_LARGE;
  QueueRecord(endpoint, nullptr, 0, nullptr, status, kRecordData);
}

uint32_t BoundNumber(Endpoint& endpoint, int size, size_t offset, int32_t* status) {
  if (!endpoint.transport.bound) {
    *status = QTLERR_NOT_BOUND;
    return 0;
  }
  SOCKADDR local{};
  int length = size;
  if (Winsock().getsockname(endpoint.transport.socket, &local, &length) != 0) {
    LogFailedCall("getsockname");
    *status = QTLERR_TRANSPORT_ERR;
    return 0;
  }
  *status = QTL_SUCCESS;
  const auto* bytes = reinterpret_cast<const uint8_t*>(&local) + offset;
  return uint32_t(bytes[0] << 8 | bytes[1]);
}

void DrainDatagrams(Endpoint& endpoint, int sourceSize,
                    NetAddress (*source)(const SOCKADDR& address)) {
  const TransportState& transport = endpoint.transport;
  for (;;) {
    auto* block = static_cast<uint8_t*>(std::malloc(size_t(transport.maxPacket)));
    if (!block) {
      QueueRecord(endpoint, nullptr, 0, nullptr, QTLERR_NOMEM, kRecordData);
      return;
    }
    SOCKADDR sourceBuffer{};  // room for an IPv4 or an IPX address
    int sourceLength = sourceSize;
    const int received = Winsock().recvfrom(transport.socket, reinterpret_cast<char*>(block),
                                            transport.maxPacket, 0, &sourceBuffer, &sourceLength);
    if (received == WS_SOCKET_ERROR) {
      std::free(block);
      QueueFailedReceive(endpoint);
      return;
    }
    const NetAddress from = source(sourceBuffer);
    QueueRecord(endpoint, block, received, &from, QTL_SUCCESS, kRecordData);
    if (received == 0) return;
  }
}

}  // namespace tessel::qtl
