#include "transports.h"

#include "ipx.h"
#include "spx.h"
#include "tcp.h"
#include "tessel/qtl.h"
#include "udp.h"

namespace tessel::qtl {
namespace {

// NetBIOS datagrams exist as an address family only: the transport never
// starts, so its start count stays 0 and its stop has nothing to undo. An
// all-transports request passes over the failure.
int32_t StartNetbios() { return QTLERR_NB_INIT; }

void StopNetbios() {}

const Transport kTransports[] = {
    {QTL_PROTO_UDP, QTLERR_UDP_INIT, StartUdp, StopUdp},
    {QTL_PROTO_IPX, QTLERR_IPX_INIT, StartIpx, StopIpx},
    {QTL_PROTO_TCP, QTLERR_TCP_INIT, StartTcp, StopTcp},
    {QTL_PROTO_SPX, QTLERR_SPX_INIT, StartSpx, StopSpx},
    {QTL_PROTO_NETBIOS, QTLERR_NB_INIT, StartNetbios, StopNetbios},
};

}  // namespace

std::span<const Transport> Transports() { return kTransports; }

}  // namespace tessel::qtl
