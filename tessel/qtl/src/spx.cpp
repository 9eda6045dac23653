#include "spx.h"

#include "endpoint_socket.h"
#include "ipx.h"
#include "stream_transport.h"
#include "transport_starts.h"

namespace tessel::qtl {
namespace {

// Guarded by the init lock.
LayeredTransport spx = {.count = {QTL_PROTO_SPX, "SPX", 0},
                        .initFailure = QTLERR_SPX_INIT,
                        .base = QTL_PROTO_IPX,
                        .family = WS_AF_IPX,
                        .type = WS_SOCK_STREAM,
                        .protocol = WS_NSPROTO_SPX};

const EndpointSocketKind kSpxSocket = {WS_AF_IPX, WS_SOCK_STREAM, WS_NSPROTO_SPX, false,
                                       LargestIpxPacket};

int32_t OpenSpx(Endpoint& endpoint, int32_t mode) {
  return OpenEndpointSocket(endpoint, mode, kSpxSocket);
}

int32_t ConnectSpx(Endpoint& endpoint, const NetAddress& to) {
  const SOCKADDR_IPX peer = IpxSocketAddress(to);
  return ConnectStream(endpoint, "SPX", reinterpret_cast<const SOCKADDR*>(&peer), sizeof peer);
}

uint32_t SpxInfo(Endpoint& endpoint, int32_t item, int32_t* status) {
  return StreamInfo(endpoint, item, status, IpxInfo);
}

}  // namespace

const TransportOps kSpxOps = {.protocol = QTL_PROTO_SPX,
                              .stream = true,
                              .open = OpenSpx,
                              .close = CloseEndpointSocket,
                              .bind = BindIpxSocket,
                              .send = SendStream,
                              .drain = DrainIpxPackets,
                              .getInfo = SpxInfo,
                              .connect = ConnectSpx};

int32_t StartSpx() { return StartLayeredTransport(spx); }

void StopSpx() { StopLayeredTransport(spx); }

}  // namespace tessel::qtl
