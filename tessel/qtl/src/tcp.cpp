#include "tcp.h"

#include <cstdlib>

#include "endpoint_socket.h"
#include "socket_library.h"
#include "stream_transport.h"
#include "transport_log.h"
#include "transport_starts.h"
#include "udp.h"

namespace tessel::qtl {
namespace {

// Guarded by the init lock.
LayeredTransport tcp = {.count = {QTL_PROTO_TCP, "TCP", 0},
                        .initFailure = QTLERR_TCP_INIT,
                        .base = QTL_PROTO_UDP,
                        .family = WS_AF_INET,
                        .type = WS_SOCK_STREAM,
                        .protocol = 0};

const EndpointSocketKind kTcpSocket = {WS_AF_INET, WS_SOCK_STREAM, 0, false, LargestIpDatagram};

int32_t OpenTcp(Endpoint& endpoint, int32_t mode) {
  return OpenEndpointSocket(endpoint, mode, kTcpSocket);
}

int32_t ConnectTcp(Endpoint& endpoint, const NetAddress& to) {
  const SOCKADDR_IN peer = IpSocketAddress(to.u.ip.port, to.u.ip.address);
  return ConnectStream(endpoint, "TCP", reinterpret_cast<const SOCKADDR*>(&peer), sizeof peer);
}

// Reads what the connection holds, as many bytes at a time as the socket
// says are waiting, until nothing is left.
void DrainTcp(Endpoint& endpoint) {
  const SOCKET socket = endpoint.transport.socket;
  for (;;) {
    uint32_t waiting = 0;
    if (Winsock().ioctlsocket(socket, WS_FIONREAD, &waiting) != 0) {
      LogFailedCall("ioctlsocket");
      QueueRecord(endpoint, nullptr, 0, nullptr, QTLERR_TRANSPORT_ERR, kRecordData);
      return;
    }
    if (waiting == 0) return;
    auto* block = static_cast<uint8_t*>(std::malloc(waiting));
    if (!block) {
      QueueRecord(endpoint, nullptr, 0, nullptr, QTLERR_NOMEM, kRecordData);
      return;
    }
    SOCKADDR source{};
    int sourceLength = sizeof source;
    const int received = Winsock().recvfrom(socket, reinterpret_cast<char*>(block), int(waiting), 0,
                                            &source, &sourceLength);
    if (received == WS_SOCKET_ERROR) {
      std::free(block);
      QueueFailedReceive(endpoint);
      return;
    }
    const NetAddress from = IpSource(source);
    QueueRecord(endpoint, block, received, &from, QTL_SUCCESS, kRecordData);
    if (received == 0) return;
  }
}

uint32_t TcpInfo(Endpoint& endpoint, int32_t item, int32_t* status) {
  return StreamInfo(endpoint, item, status, UdpInfo);
}

}  // namespace

const TransportOps kTcpOps = {.protocol = QTL_PROTO_TCP,
                              .stream = true,
                              .open = OpenTcp,
                              .close = CloseEndpointSocket,
                              .bind = BindIpPort,
                              .send = SendStream,
                              .drain = DrainTcp,
                              .getInfo = TcpInfo,
                              .connect = ConnectTcp};

int32_t StartTcp() { return StartLayeredTransport(tcp); }

void StopTcp() { StopLayeredTransport(tcp); }

}  // namespace tessel::qtl
