// IPX addresses of the in-memory network as the NetAddress records the
// library exchanges, and back.
#pragma once

#include <cstring>

#include "ipx_network.h"
#include "tessel/qtl.h"

inline NetAddress ToNetAddress(const IpxAddress& address, uint32_t protocol = QTL_PROTO_IPX) {
  NetAddress result{};
  result.protocol = protocol;
  std::memcpy(result.u.ipx.network, address.network.data(), 4);
  std::memcpy(result.u.ipx.node, address.node.data(), 6);
  result.u.ipx.socket[0] = uint8_t(address.socket >> 8);
  result.u.ipx.socket[1] = uint8_t(address.socket);
  return result;
}

inline IpxAddress FromNetAddress(const NetAddress& address) {
  IpxAddress result;
  std::memcpy(result.network.data(), address.u.ipx.network, 4);
  std::memcpy(result.node.data(), address.u.ipx.node, 6);
  result.socket = uint16_t(address.u.ipx.socket[0] << 8 | address.u.ipx.socket[1]);
  return result;
}
