#include "name_service.h"

#include "tessel/qtl.h"

namespace tessel::qtl {

int32_t BlockingLookupStatus(int error) {
  switch (error) {
    case 0:
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
      return QTLERR_NOT_FOUND;
    case WSANOTINITIALISED:
      return QTLERR_WINSOCK_INIT;
    default:
      return QTLERR_TRANSPORT_ERR;
  }
}

uint32_t FirstHostAddress(const HOSTENT& host) {
  if (!host.h_addr_list || !host.h_addr_list[0]) return 0;
  // The entry holds the address in network order, high byte first.
  const auto* bytes = reinterpret_cast<const uint8_t*>(host.h_addr_list[0]);
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

}  // namespace tessel::qtl
