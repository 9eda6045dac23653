#include "transports.h"

#include "tessel/qtl.h"
#include "udp.h"

namespace tessel::qtl {
namespace {

// IPX, TCP, SPX and NetBIOS datagrams are not built yet: their starts fail
// with their own init codes, which an all-transports request passes over.
template <int32_t kInitFailure>
int32_t NotAvailable() {
  return kInitFailure;
}

void NothingToStop() {}

const Transport kTransports[] = {
    {QTL_PROTO_UDP, QTLERR_UDP_INIT, StartUdp, StopUdp},
    {QTL_PROTO_IPX, QTLERR_IPX_INIT, NotAvailable<QTLERR_IPX_INIT>, NothingToStop},
    {QTL_PROTO_TCP, QTLERR_TCP_INIT, NotAvailable<QTLERR_TCP_INIT>, NothingToStop},
    {QTL_PROTO_SPX, QTLERR_SPX_INIT, NotAvailable<QTLERR_SPX_INIT>, NothingToStop},
    {QTL_PROTO_NETBIOS, QTLERR_NB_INIT, NotAvailable<QTLERR_NB_INIT>, NothingToStop},
};

}  // namespace

std::span<const Transport> Transports() { return kTransports; }

}  // namespace tessel::qtl
