#include "stream_transport.h"

#include "critical_section_lock.h"
#include "platform/thread.h"
#include "socket_library.h"
#include "transport_log.h"

namespace tessel::qtl {
namespace {

// On the owner thread what waits on the socket counts too: an owner that
// receives itself may not have handled its messages yet.
uint32_t QueuedBytes(Endpoint& endpoint) {
  if (endpoint.ownerThread == GetCurrentThreadId()) ReceiveNow(endpoint);
  CriticalSectionLock lock(endpoint.queueLock);
  uint32_t bytes = 0;
  for (const QTLPacketRecord* record = endpoint.queueHead; record; record = record->next) {
    if (record->data) bytes += uint32_t(record->length);
  }
  return bytes;
}

}  // namespace

int32_t ConnectStream(Endpoint& endpoint, const char* name, const SOCKADDR* to, int toLength) {
  if (Winsock().connect(endpoint.transport.socket, to, toLength) == 0) return QTL_SUCCESS;
  if (Winsock().WSAGetLastError() == WSAEWOULDBLOCK) {
    LogLine(QRTL_LOG_WARNING, "%s connect would block", name);
    return QTLWARN_CONNECTING;
  }
  LogFailedCall("connect");
  return QTLERR_TRANSPORT_ERR;
}

int32_t SendStream(Endpoint& endpoint, const NetAddress&, const uint8_t* data, int32_t length) {
  const int sent =
      Winsock().send(endpoint.transport.socket, reinterpret_cast<const char*>(data), length, 0);
  if (sent == WS_SOCKET_ERROR) {
    return Winsock().WSAGetLastError() == WSAEWOULDBLOCK ? QTLERR_SOCKET_BUSY
                                                         : QTLERR_TRANSPORT_ERR;
  }
  return sent < length ? QTLERR_NOT_ALL_SENT : QTL_SUCCESS;
}

uint32_t StreamInfo(Endpoint& endpoint, int32_t item, int32_t* status,
                    uint32_t (*sibling)(Endpoint& endpoint, int32_t item, int32_t* status)) {
  switch (item) {
    case QTLINFO_STREAM:
      *status = QTL_SUCCESS;
      return 1;
    case QTLINFO_CONNECTED:
      *status = QTL_SUCCESS;
      return uint32_t(endpoint.transport.connected);
    case QTLINFO_QUEUED_BYTES:
      *status = QTL_SUCCESS;
      return QueuedBytes(endpoint);
    default:
      return sibling(endpoint, item, status);
  }
}

}  // namespace tessel::qtl
