#include "local_address.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "address_text.h"
#include "platform/version.h"
#include "platform/winsock_ipx.h"
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

// The network and node of the first adapter that answers.
struct IpxHost {
  uint8_t network[4];
  uint8_t node[6];
};

// The last IPX host found, by any thread.
std::mutex lastIpxHostLock;
IpxHost lastIpxHost;

// Only Windows NT's IPX can have more than one adapter, and says how many.
int32_t IpxAdapterCount(SOCKET socket, int32_t* count) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  *count = 1;
  if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
    return QTL_SUCCESS;
  }
  int length = sizeof *count;
  if (Winsock().getsockopt(socket, WS_NSPROTO_IPX, WS_IPX_MAX_ADAPTER_NUM,
                           reinterpret_cast<char*>(count), &length) != 0) {
    LogFailedCall("getsockopt");
    return QTLERR_TRANSPORT_ERR;
  }
  return QTL_SUCCESS;
}

int32_t FirstIpxAdapter(SOCKET socket, IpxHost* host) {
  int32_t count;
  if (const int32_t status = IpxAdapterCount(socket, &count)) return status;
  for (int32_t adapter = 0; adapter < count; ++adapter) {
    IPX_ADDRESS_DATA data{};
    data.adapternum = adapter;
    int length = sizeof data;
    if (Winsock().getsockopt(socket, WS_NSPROTO_IPX, WS_IPX_ADDRESS, reinterpret_cast<char*>(&data),
                             &length) == 0) {
      std::memcpy(host->network, data.netnum, sizeof host->network);
      std::memcpy(host->node, data.nodenum, sizeof host->node);
      return QTL_SUCCESS;
    }
  }
  return QTLERR_TRANSPORT_ERR;
}

// Asks the IPX socket layer anew each time; the host last found stays in
// `out` also when this search fails.
int32_t LocalIpxAddress(NetAddress& out) {
  if (BindSocketLibrary() != QTL_SUCCESS) return QTLERR_WINSOCK_INIT;
  const SocketLibrary& ws = Winsock();
  int32_t status = QTL_SUCCESS;
  const SOCKET socket = ws.socket(WS_AF_IPX, WS_SOCK_DGRAM, WS_NSPROTO_IPX_TYPE4);
  if (socket == WS_INVALID_SOCKET) {
    LogFailedCall("socket");
    status = QTLERR_SOCKET_CREATE;
  } else {
    SOCKADDR_IPX any{};
    any.sa_family = WS_AF_IPX;
    IpxHost host;
    if (ws.bind(socket, reinterpret_cast<const SOCKADDR*>(&any), sizeof any) != 0) {
      LogFailedCall("bind");
      status = QTLERR_TRANSPORT_ERR;
    } else if ((status = FirstIpxAdapter(socket, &host)) == QTL_SUCCESS) {
      std::lock_guard<std::mutex> lock(lastIpxHostLock);
      lastIpxHost = host;
    }
    ws.closesocket(socket);
  }
  ReleaseSocketLibrary();
  std::lock_guard<std::mutex> lock(lastIpxHostLock);
  std::memcpy(out.u.ipx.network, lastIpxHost.network, sizeof lastIpxHost.network);
  std::memcpy(out.u.ipx.node, lastIpxHost.node, sizeof lastIpxHost.node);
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

void ForgetLocalAddress() {
  localIpAddress.store(0);
  std::lock_guard<std::mutex> lock(lastIpxHostLock);
  lastIpxHost = {};
}

}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLLocalAddress(uint32_t protocol, NetAddress* out) {
  if (!out) return QTLERR_INVALID_PARAM;
  *out = NetAddress{};
  out->protocol = protocol;
  switch (AddressFamily(protocol)) {
    case kIpFormat:
      return LocalIpAddress(&out->u.ip.address);
    case kIpxFormat:
      return LocalIpxAddress(*out);
    default:
      return QTLERR_INVALID_PARAM;
  }
}
