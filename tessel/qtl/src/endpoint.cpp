#include "endpoint.h"

#include <cstdlib>

#include "ipx.h"
#include "platform/thread.h"
#include "socket_library.h"
#include "spx.h"
#include "tcp.h"
#include "transport_log.h"
#include "udp.h"

namespace tessel::qtl {
namespace {

constexpr DWORD kThreadWait = 30000;

// The endpoint's window lives on this thread until the window is closed.
// Unless the owner receives itself, the socket's notifications come here
// and what they bring is queued for the owner.
DWORD EndpointThread(void* parameter) {
  Endpoint& endpoint = *static_cast<Endpoint*>(parameter);
  HWND window = CreateLayerWindow();
  int32_t status = QTL_SUCCESS;
  if (!window) {
    status = QTLERR_INTERNAL;
  } else {
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(&endpoint));
    status = SelectNotifications(endpoint, endpoint.notifyWindow ? endpoint.notifyWindow : window);
  }
  endpoint.window = window;
  endpoint.startStatus = status;
  SetEvent(endpoint.startEvent);
  if (status != QTL_SUCCESS) {
    if (window) DestroyWindow(window);
    return 0;
  }
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

// Starts the endpoint thread and waits for its set-up. The status starts as
// a failure, so a thread that never reports leaves the open failed.
int32_t StartEndpointThread(Endpoint& endpoint) {
  endpoint.startStatus = QTLERR_INTERNAL;
  endpoint.startEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!endpoint.startEvent) return QTLERR_INTERNAL;
  endpoint.thread = CreateThread(nullptr, 0, EndpointThread, &endpoint, 0, nullptr);
  int32_t status = QTLERR_INTERNAL;
  if (endpoint.thread && WaitForSingleObject(endpoint.startEvent, kThreadWait) == WAIT_OBJECT_0) {
    status = endpoint.startStatus;
  }
  CloseHandle(endpoint.startEvent);
  endpoint.startEvent = nullptr;
  return status;
}

// Waits for the endpoint thread to end; false when it is still running.
bool JoinEndpointThread(Endpoint& endpoint) {
  if (!endpoint.thread) return true;
  if (WaitForSingleObject(endpoint.thread, kThreadWait) != WAIT_OBJECT_0) return false;
  CloseHandle(endpoint.thread);
  endpoint.thread = nullptr;
  return true;
}

void FreeEndpoint(Endpoint* endpoint) {
  DeleteCriticalSection(&endpoint->receiveLock);
  DeleteCriticalSection(&endpoint->queueLock);
  std::free(endpoint);
}

Endpoint* OpenEndpoint(uint32_t protocol, int32_t mode, int32_t* status) {
  const TransportOps* ops = FindTransportOps(protocol);
  if (mode < 0 || mode > 3 || !ops) {
    *status = QTLERR_INVALID_PARAM;
    return nullptr;
  }
  auto* endpoint = static_cast<Endpoint*>(std::calloc(1, sizeof(Endpoint)));
  if (!endpoint) {
    *status = QTLERR_NOMEM;
    return nullptr;
  }
  endpoint->protocol = protocol;
  endpoint->ownerThread = GetCurrentThreadId();
  InitializeCriticalSection(&endpoint->queueLock);
  InitializeCriticalSection(&endpoint->receiveLock);
  endpoint->transport.endpoint = endpoint;
  *status = ops->open(*endpoint, mode);
  if (*status < 0) {
    FreeEndpoint(endpoint);
    return nullptr;
  }
  *status = RegisterEndpoint(endpoint);
  endpoint->notifyWindow = ReceivingWindow(*endpoint);
  if (*status == QTL_SUCCESS) *status = StartEndpointThread(*endpoint);
  if (*status == QTL_SUCCESS) return endpoint;
  if (!JoinEndpointThread(*endpoint)) {
    // The thread may still use the endpoint, so it stays allocated and
    // listed rather than be freed under it.
    LogLine(QRTL_LOG_ERROR, "Endpoint thread of %lu did not end",
            static_cast<unsigned long>(reinterpret_cast<uintptr_t>(endpoint)));
    return nullptr;
  }
  UnregisterEndpoint(endpoint);
  FreeRecords(*endpoint);
  ops->close(*endpoint);
  FreeEndpoint(endpoint);
  return nullptr;
}

// Endpoint calls other than open and close answer a null endpoint with
// QTLERR_INVALID_PARAM; these give the transport of a live one.
const TransportOps* OpsOf(QTLEndpoint endpoint) {
  return endpoint ? FindTransportOps(endpoint->protocol) : nullptr;
}

unsigned long HandleNumber(QTLEndpoint endpoint) {
  return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(endpoint));
}

}  // namespace

HWND ReceivingWindow(const Endpoint& endpoint) {
  const ThreadContext* context = CurrentContext();
  const bool ownerReceives = context && !context->wakeCallback;
  return ownerReceives ? context->window : endpoint.window;
}

int32_t SelectNotifications(Endpoint& endpoint, HWND window) {
  LONG events = endpoint.transport.mode & (WS_FD_READ | WS_FD_WRITE);
  if (FindTransportOps(endpoint.protocol)->stream) events |= WS_FD_CONNECT | WS_FD_CLOSE;
  if (Winsock().WSAAsyncSelect(endpoint.transport.socket, window, QTLMSG_SOCKET, events) != 0) {
    LogFailedCall("WSAAsyncSelect");
    return QTLERR_TRANSPORT_ERR;
  }
  endpoint.notifyWindow = window;
  return QTL_SUCCESS;
}

void RouteNotifications() {
  for (Endpoint* endpoint = ThreadEndpoints(); endpoint; endpoint = endpoint->next) {
    HWND window = ReceivingWindow(*endpoint);
    // A failed move leaves the notifications where they were.
    if (window != endpoint->notifyWindow) SelectNotifications(*endpoint, window);
  }
}

const TransportOps* FindTransportOps(uint32_t protocol) {
  static const TransportOps* const kOps[] = {&kUdpOps, &kIpxOps, &kTcpOps, &kSpxOps};
  for (const TransportOps* ops : kOps) {
    if (ops->protocol == protocol) return ops;
  }
  return nullptr;
}

}  // namespace tessel::qtl

using namespace tessel::qtl;

QTLEndpoint QTLOpenEndpoint(uint32_t protocol, int32_t mode, int32_t* status) {
  int32_t own = QTL_SUCCESS;
  Endpoint* endpoint = OpenEndpoint(protocol, mode, &own);
  if (endpoint) {
    LogLine(QRTL_LOG_INFO, "QTLOpenEndpoint(protocol = %d, mode = %d) created handle %lu",
            int32_t(protocol), mode, HandleNumber(endpoint));
  } else {
    LogLine(QRTL_LOG_ERROR, "QTLOpenEndpoint(protocol = %d, mode = %d) failed (%d)",
            int32_t(protocol), mode, own);
  }
  if (status) *status = own;
  return endpoint;
}

int32_t QTLCloseEndpoint(QTLEndpoint endpoint) {
  if (!endpoint) return QTLERR_INVALID_PARAM;
  // Only the owner lists the endpoint; another thread must not free it.
  if (endpoint->ownerThread != GetCurrentThreadId()) return QTLERR_BAD_CONTEXT;
  if (Winsock().WSAAsyncSelect(endpoint->transport.socket, endpoint->window, 0, 0) != 0) {
    LogFailedCall("WSAAsyncSelect");
  }
  PostMessageA(endpoint->window, QTLMSG_CLOSE, 0, 0);
  // A thread that does not end keeps the endpoint: freeing it under the
  // running thread would hand it freed memory. The close can be repeated.
  if (!JoinEndpointThread(*endpoint)) return QTLERR_INTERNAL;
  UnregisterEndpoint(endpoint);
  FreeRecords(*endpoint);
  const int32_t status = FindTransportOps(endpoint->protocol)->close(*endpoint);
  const unsigned long number = HandleNumber(endpoint);
  FreeEndpoint(endpoint);
  LogLine(QRTL_LOG_INFO, "QTLCloseEndpoint destroyed %lu", number);
  return status;
}

int32_t QTLBind(QTLEndpoint endpoint, uint32_t port) {
  const TransportOps* ops = OpsOf(endpoint);
  if (!ops) return QTLERR_INVALID_PARAM;
  if (endpoint->transport.bound) return QTLERR_ALREADY_BOUND;
  const int32_t status = ops->bind(*endpoint, uint16_t(port));
  if (status == QTL_SUCCESS) endpoint->transport.bound = 1;
  return status;
}

int32_t QTLConnect(QTLEndpoint endpoint, NetAddress address) {
  const TransportOps* ops = OpsOf(endpoint);
  if (!ops) return QTLERR_INVALID_PARAM;
  if (!ops->connect) return QTLERR_INTERNAL;  // only stream transports connect
  return ops->connect(*endpoint, address);
}

int32_t QTLDisconnect(void) { return QTLERR_NOT_SUPPORTED; }

int32_t QTLInstallNotifier(QTLEndpoint endpoint, QTLNotifier notifier, uintptr_t notifierData) {
  if (!endpoint || !notifier) return QTLERR_INVALID_PARAM;
  endpoint->notifier = notifier;
  endpoint->notifierData = notifierData;
  return QTL_SUCCESS;
}

uint32_t QTLGetInfo(QTLEndpoint endpoint, int32_t item, int32_t* status) {
  int32_t own = QTLERR_INVALID_PARAM;
  uint32_t value = 0;
  if (const TransportOps* ops = OpsOf(endpoint)) value = ops->getInfo(*endpoint, item, &own);
  if (status) *status = own;
  return value;
}

int32_t QTLSendPacket(QTLEndpoint endpoint, NetAddress to, const uint8_t* data, int32_t length) {
  const TransportOps* ops = OpsOf(endpoint);
  if (!ops) return QTLERR_INVALID_PARAM;
  return ops->send(*endpoint, to, data, length);
}

int32_t QTLResolveAddress(void) { return 0; }
