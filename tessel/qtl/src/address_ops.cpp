// Text forms, comparison, ports and broadcast addresses of NetAddress
// records. None of these needs a context.
#include <cstdio>
#include <cstring>

#include "address_text.h"

namespace tessel::qtl {
namespace {

constexpr uint32_t kIpTextSize = 16;
constexpr uint32_t kIpxTextSize = 22;
constexpr uint32_t kNetbiosTextSize = 12;

bool AllZero(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i]) return false;
  }
  return true;
}

int32_t IpxToString(const NetAddress& address, char* out, uint32_t size) {
  if (size < kIpxTextSize) return QTLERR_INVALID_PARAM;
  const uint8_t* network = address.u.ipx.network;
  const uint8_t* node = address.u.ipx.node;
  if (AllZero(network, sizeof address.u.ipx.network) || AllZero(node, sizeof address.u.ipx.node)) {
    return QTLERR_BAD_ADDRESS;
  }
  std::snprintf(out, size, "%02x%02x%02x%02x.%02x%02x%02x%02x%02x%02x", network[0], network[1],
                network[2], network[3], node[0], node[1], node[2], node[3], node[4], node[5]);
  return QTL_SUCCESS;
}

// The port's place in each address format; false for a protocol without
// one.
bool StorePort(NetAddress& out, uint16_t port) {
  switch (AddressFamily(out.protocol)) {
    case kIpFormat:
      out.u.ip.port = port;
      return true;
    case kIpxFormat:
      out.u.ipx.socket[0] = uint8_t(port >> 8);
      out.u.ipx.socket[1] = uint8_t(port);
      return true;
    case kNetbiosFormat:
      out.u.netbios.port = port;
      return true;
    default:
      return false;
  }
}

}  // namespace
}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLNetAddrToString(NetAddress address, char* out, uint32_t size) {
  if (!out) return QTLERR_INVALID_PARAM;
  std::memset(out, 0, size);
  switch (AddressFamily(address.protocol)) {
    case kIpFormat: {
      if (size < kIpTextSize) return QTLERR_INVALID_PARAM;
      const uint32_t ip = address.u.ip.address;
      std::snprintf(out, size, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                    ip & 0xFF);
      return QTL_SUCCESS;
    }
    case kIpxFormat:
      return IpxToString(address, out, size);
    case kNetbiosFormat:
      if (size < kNetbiosTextSize) return QTLERR_INVALID_PARAM;
      std::memcpy(out, address.u.netbios.name, sizeof address.u.netbios.name);
      return QTL_SUCCESS;
    default:
      return QTLERR_NOT_SUPPORTED;
  }
}

int32_t QTLStringToNetAddr(const char* text, uint32_t protocol, NetAddress* out) {
  if (!text || !*text || !out || !PassesSyntaxCheck(text, protocol)) return QTLERR_INVALID_PARAM;
  return TextToAddress(text, protocol, *out);
}

int32_t QTLAddressesEqual(int32_t mode, const NetAddress* a, const NetAddress* b) {
  if (!a || !b || a->protocol != b->protocol) return 0;
  const bool hostsOnly = mode == QTL_COMPARE_HOSTS;
  switch (AddressFamily(a->protocol)) {
    case kIpFormat:
      return a->u.ip.address == b->u.ip.address && (hostsOnly || a->u.ip.port == b->u.ip.port);
    case kIpxFormat:
      return std::memcmp(a->u.ipx.network, b->u.ipx.network, sizeof a->u.ipx.network) == 0 &&
             std::memcmp(a->u.ipx.node, b->u.ipx.node, sizeof a->u.ipx.node) == 0 &&
             (hostsOnly || std::memcmp(a->u.ipx.socket, b->u.ipx.socket, 2) == 0);
    case kNetbiosFormat:
      return std::memcmp(a->u.netbios.name, b->u.netbios.name, sizeof a->u.netbios.name) == 0 &&
             (hostsOnly || a->u.netbios.port == b->u.netbios.port);
    default:
      return 0;
  }
}

int32_t QTLFillPortNumber(uint32_t protocol, uint32_t port, NetAddress* out) {
  if (!out) return QTLERR_INVALID_PARAM;
  out->protocol = protocol;
  return StorePort(*out, uint16_t(port)) ? QTL_SUCCESS : QTLERR_INTERNAL;
}

int32_t QTLBroadcastAddress(uint32_t protocol, uint32_t port, NetAddress* out) {
  if (!out) return QTLERR_INVALID_PARAM;
  *out = NetAddress{};
  out->protocol = protocol;
  switch (AddressFamily(protocol)) {
    case kIpFormat:
      out->u.ip.address = 0xFFFFFFFFu;
      break;
    case kIpxFormat:
      std::memset(out->u.ipx.network, 0xFF, sizeof out->u.ipx.network);
      std::memset(out->u.ipx.node, 0xFF, sizeof out->u.ipx.node);
      break;
    case kNetbiosFormat:
      std::memset(out->u.netbios.name, 'F', sizeof out->u.netbios.name);
      std::memcpy(out->u.netbios.suffix, "00", sizeof out->u.netbios.suffix);
      break;
    default:
      return QTLERR_INTERNAL;
  }
  StorePort(*out, uint16_t(port));
  return QTL_SUCCESS;
}
