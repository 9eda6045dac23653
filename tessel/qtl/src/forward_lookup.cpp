// Host names to addresses: the host tables first, then, for IP, the
// platform's name service, asked asynchronously while the thread waits in
// QTLDelay (or with the blocking call in wake-function mode).
#include <cstdlib>
#include <cstring>

#include "address_text.h"
#include "frame.h"
#include "host_tables.h"
#include "name_service.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {
namespace {

// How many "IP Hosts" values naming another host are followed before the
// name counts as not found; a chain this long is a cycle in all likelihood.
constexpr int kMaxHostTableHops = 8;
// The host entry an asynchronous request writes.
constexpr int kHostEntryBufferSize = 1024;
// The error slot of a request that has not replied yet; replies carry 16-bit
// error numbers.
constexpr int32_t kNoReply = -1;

NetAddress IpAddress(uint32_t address) {
  NetAddress result{};
  result.protocol = QTL_PROTO_UDP;
  result.u.ip.address = address;
  return result;
}

int32_t ResolveWithBlockingCall(const char* name, NetAddress& out) {
  if (!Winsock().gethostbyname) return QTLERR_NO_INIT;
  if (const HOSTENT* host = Winsock().gethostbyname(name)) {
    out = IpAddress(FirstHostAddress(*host));
    return QTL_SUCCESS;
  }
  const int error = Winsock().WSAGetLastError();
  LogLine(QRTL_LOG_ERROR, "QTLGetAddrFromHostName failed: %d", error);
  return BlockingLookupStatus(error);
}

int32_t AsyncReplyStatus(int32_t error, const HOSTENT& host, NetAddress& out) {
  if (error == WSAHOST_NOT_FOUND || error == WSANO_DATA) return QTLERR_NOT_FOUND;
  if (error != 0) return QTLERR_TRANSPORT_ERR;
  if (!host.h_name) return QTLERR_NOT_FOUND;
  out = IpAddress(FirstHostAddress(host));
  return QTL_SUCCESS;
}

// Sends the request from a window of its own, whose user-data word points
// at the slot where the window procedure puts the reply's error, and waits
// in QTLDelay(-1) for that reply. The request writes into the buffer until
// it replies or is cancelled, so the buffer is freed only after one of the
// two: a thread that is already delaying cannot wait and is refused before
// anything is sent, and a wait that ends in any other way than with the
// reply cancels the request.
int32_t ResolveWithAsyncRequest(const char* name, NetAddress& out) {
  if (!Winsock().WSAAsyncGetHostByName) return QTLERR_NO_INIT;
  if (QTLIsDelaying()) return QTLERR_BLOCKING;
  HWND window = CreateLayerWindow();
  if (!window) return QTLERR_INTERNAL;
  int32_t error = kNoReply;
  SetWindowLongPtrA(window, 0, 0);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&error));
  auto* buffer = static_cast<char*>(std::calloc(1, kHostEntryBufferSize));
  if (!buffer) {
    DestroyWindow(window);
    return QTLERR_NOMEM;
  }
  int32_t status;
  HANDLE request =
      Winsock().WSAAsyncGetHostByName(window, QTLMSG_NAME_DONE, name, buffer, kHostEntryBufferSize);
  if (!request) {
    LogFailedCall("WSAAsyncGetHostByName");
    status = QTLERR_TRANSPORT_ERR;
  } else {
    // A completion meant for something else (an earlier armed cancel) ends
    // the wait before the reply: wait again.
    int32_t waited;
    do {
      waited = QTLDelay(-1);
    } while (waited == QTL_SUCCESS && error == kNoReply);
    if (waited != QTL_SUCCESS) {
      Winsock().WSACancelAsyncRequest(request);
      status = waited;
    } else {
      status = AsyncReplyStatus(error, *reinterpret_cast<const HOSTENT*>(buffer), out);
    }
  }
  std::free(buffer);
  DestroyWindow(window);
  return status;
}

int32_t ResolveIpName(const char* name, NetAddress& out, int hops) {
  out = {};
  if (IsIpText(name)) return TextToAddress(name, QTL_PROTO_UDP, out);
  ThreadContext* context = CurrentContext();
  if (!context) return QTLERR_INTERNAL;
  char value[kHostEntrySize];
  if (LookUpHostTable(HostTable::kIp, name, value)) {
    if (hops == kMaxHostTableHops) return QTLERR_NOT_FOUND;
    return ResolveIpName(value, out, hops + 1);
  }
  if (context->wakeCallback) return ResolveWithBlockingCall(name, out);
  return ResolveWithAsyncRequest(name, out);
}

int32_t ResolveIpHosts(HostNode* first, QTLAddressResultFunction function) {
  int32_t status = QTL_SUCCESS;
  for (HostNode* node = first; node; node = node->next) {
    NetAddress address;
    status = ResolveIpName(node->name, address, 0);
    if (status < 0 && status != QTLERR_NOT_FOUND) break;
    function(&address, status, node->name, node->userValue);
    node->state = QTL_NODE_ANSWERED;
  }
  for (HostNode* node = first; node; node = node->next) {
    if (node->state != QTL_NODE_ANSWERED) node->state = QTL_NODE_NO_RESPONSE;
  }
  return status == QTLERR_NOT_FOUND ? QTL_SUCCESS : status;
}

// An "IPX Hosts" value must be a well-formed IPX text before it is
// converted: the conversion itself trusts its text.
int32_t TableAddress(HostTable table, const char* name, uint32_t protocol, NetAddress& out) {
  out = {};
  if (!CurrentContext()) return QTLERR_INTERNAL;
  char value[kHostEntrySize];
  if (!LookUpHostTable(table, name, value)) return QTLERR_NOT_FOUND;
  if (table == HostTable::kIpx && !IsIpxText(value)) return QTLERR_BAD_ADDRESS;
  return TextToAddress(value, protocol, out);
}

int32_t ResolveTableHosts(HostTable table, uint32_t protocol, HostNode* first,
                          QTLAddressResultFunction function) {
  int32_t status = QTL_SUCCESS;
  for (HostNode* node = first; node; node = node->next) {
    node->state = QTL_NODE_ANSWERED;
    NetAddress address;
    status = TableAddress(table, node->name, protocol, address);
    function(&address, status, node->name, node->userValue);
  }
  return status;
}

// What QTLGetAddrFromHostName hands its own result function.
struct SingleAddress {
  NetAddress* out;
  int32_t status;
};

void KeepSingleAddress(NetAddress* address, int32_t status, const char*, void* userValue) {
  auto* result = static_cast<SingleAddress*>(userValue);
  if (status >= 0) {
    *result->out = *address;
  } else {
    result->status = status;
  }
}

}  // namespace
}  // namespace tessel::qtl

using namespace tessel::qtl;

int32_t QTLGetManyAddrFromHostName(uint32_t protocol, HostNode** hosts,
                                   QTLAddressResultFunction function) {
  if (!hosts || !function) return QTLERR_INVALID_PARAM;
  switch (protocol) {
    case QTL_PROTO_UDP:
    case QTL_PROTO_TCP:
      return ResolveIpHosts(*hosts, function);
    case QTL_PROTO_IPX:
    case QTL_PROTO_SPX:
      return ResolveTableHosts(HostTable::kIpx, QTL_PROTO_IPX, *hosts, function);
    case QTL_PROTO_NETBIOS:
      return ResolveTableHosts(HostTable::kNetbios, QTL_PROTO_NETBIOS, *hosts, function);
    default:
      return QTLERR_NOT_SUPPORTED;
  }
}

int32_t QTLGetAddrFromHostName(uint32_t protocol, const char* name, NetAddress* out) {
  if (!name || !*name || !out) return QTLERR_INVALID_PARAM;
  if (const int32_t status = StartRequest(protocol)) return status;
  *out = {};
  SingleAddress result{out, QTL_SUCCESS};
  HostNode* hosts = nullptr;
  int32_t status = QTLAddHost(&hosts, name, &result);
  if (status == QTL_SUCCESS) {
    status = QTLGetManyAddrFromHostName(protocol, &hosts, KeepSingleAddress);
    if (status >= 0 && result.status != QTL_SUCCESS) status = result.status;
    QTLCleanupHostList(&hosts);
  }
  StopRequest(protocol);
  return status;
}
