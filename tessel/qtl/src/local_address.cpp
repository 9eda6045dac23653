#include "local_address.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "address_text.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {
namespace {

constexpr int kHostNameSize = 128;
// Connecting a datagram socket sends nothing; it only makes the system
// choose the interface, whose address getsockname then tells. The address
// is 1.0.0.127 and the port 256, as this layer has always asked.
constexpr uint32_t kRouteProbeAddress = 0x0100007Fu;
constexpr uint16_t kRouteProbePort = 256;

// Found once per process; 0 until then. Threads asking at once may both
// look and store the same value.
std::atomic<uint32_t> localIpAddress{0};

bool Acceptable(uint32_t candidate) {
  return candidate != 0 && candidate != WS_INADDR_LOOPBACK && candidate != WS_INADDR_BROADCAST;
}

// The address of the interface a datagram socket would leave by, or 0.
int32_t AddressFromRoute(uint32_t* candidate) {
  const SocketLibrary& ws = Winsock();
  const SOCKET probe = ws.socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
  if (probe == WS_INVALID_SOCKET) {
    LogFailedCall("socket");
    return QTLERR_SOCKET_CREATE;
  }
  SOCKADDR_IN target{};
  target.sin_family = WS_AF_INET;
  target.sin_port = ws.htons(kRouteProbePort);
  target.sin_addr.s_addr = ws.htonl(kRouteProbeAddress);
  SOCKADDR_IN local{};
  int length = sizeof local;
  if (ws.connect(probe, reinterpret_cast<const SOCKADDR*>(&target), sizeof target) != 0) {
    LogFailedCall("connect");
  } else if (ws.getsockname(probe, reinterpret_cast<SOCKADDR*>(&local), &length) != 0) {
    LogFailedCall("getsockname");
  } else {
    *candidate = ws.ntohl(local.sin_addr.s_addr);
  }
  ws.closesocket(probe);
  return QTL_SUCCESS;
}

// The first address the name service gives for this host's name.
int32_t AddressFromHostName(uint32_t* address) {
  const SocketLibrary& ws = Winsock();
  char* name = static_cast<char*>(std::malloc(kHostNameSize));
  if (!name) return QTLERR_NOMEM;
  int32_t status = QTLERR_TRANSPORT_ERR;
  if (ws.gethostname(name, kHostNameSize) != 0) {
    LogFailedCall("gethostname");
  } else if (const HOSTENT* host = ws.gethostbyname(name); !host) {
    LogFailedCall("gethostbyname");
  } else if (host->h_addr_list && host->h_addr_list[0]) {
    uint32_t networkOrder;
    std::memcpy(&networkOrder, host->h_addr_list[0], sizeof networkOrder);
    *address = ws.ntohl(networkOrder);
    status = QTL_SUCCESS;
  }
  std::free(name);
  return status;
}

// Only an address that passed is kept: a rejected candidate (loopback,
// broadcast) is never handed out as this host's address.
int32_t LocalIpAddress(uint32_t* address) {
  *address = localIpAddress.load();
  if (*address) return QTL_SUCCESS;
  // The entry points must stay bound while they are called, whichever
  // thread holds the UDP start that made them available.
  if (BindSocketLibrary() != QTL_SUCCESS) return QTLERR_WINSOCK_INIT;
  uint32_t candidate = 0;
  int32_t status = AddressFromRoute(&candidate);
  if (status == QTL_SUCCESS && !Acceptable(candidate)) {
    candidate = 0;
    status = AddressFromHostName(&candidate);
  }
  ReleaseSocketLibrary();
  if (status != QTL_SUCCESS) return status;
  localIpAddress.store(candidate);
  *address = candidate;
  return QTL_SUCCESS;
}

}  // namespace

void ForgetLocalAddress() { localIpAddress.store(0); }

}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLLocalAddress(uint32_t protocol, NetAddress* out) {
  if (!out) return QTLERR_INVALID_PARAM;
  *out = NetAddress{};
  out->protocol = protocol;
  switch (AddressFamily(protocol)) {
    case kIpFormat:
      return LocalIpAddress(&out->u.ip.address);
    default:
      return QTLERR_INVALID_PARAM;
  }
}
