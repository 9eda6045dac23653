#include <cstdlib>
#include <cstring>

#include "critical_section_lock.h"
#include "endpoint.h"
#include "platform/thread.h"

namespace tessel::qtl {
namespace {

// Set while a notifier runs. The thread then has just received what its
// sockets held, and what comes later is announced by their notifications,
// so an acquire that finds nothing need not look at the socket.
thread_local bool notifying;

void Unlink(Endpoint& endpoint, QTLPacketRecord* record) {
  (record->prev ? record->prev->next : endpoint.queueHead) = record->next;
  (record->next ? record->next->prev : endpoint.queueTail) = record->prev;
}

void FreeRecord(QTLPacketRecord* record) {
  std::free(record->data);
  std::free(record);
}

// Owner-thread checks shared by acquire and release.
int32_t CheckOwner(QTLEndpoint endpoint) {
  if (!endpoint) return QTLERR_INVALID_PARAM;
  return endpoint->ownerThread == GetCurrentThreadId() ? QTL_SUCCESS : QTLERR_BAD_CONTEXT;
}

QTLPacketRecord* OldestUntakenData(Endpoint& endpoint) {
  for (QTLPacketRecord* record = endpoint.queueHead; record; record = record->next) {
    if (record->kind == kRecordData && !record->acquired) return record;
  }
  return nullptr;
}

bool HasUntakenData(Endpoint& endpoint) {
  CriticalSectionLock lock(endpoint.queueLock);
  return OldestUntakenData(endpoint) != nullptr;
}

void HandOut(const QTLPacketRecord& record, NetAddress* from, int32_t* status) {
  if (from) *from = record.from;
  *status = record.status;
}

// A stream hands out at most `size` bytes: a longer record is split, the
// front going out as a record of its own and the rest staying queued.
// Records already acquired are not taken again.
QTLPacketRecord* StreamTake(Endpoint& endpoint, int32_t size, NetAddress* from, int32_t* status) {
  CriticalSectionLock lock(endpoint.queueLock);
  QTLPacketRecord* record = OldestUntakenData(endpoint);
  if (!record) {
    *status = QTLWARN_NODATA;
    return nullptr;
  }
  if (record->length > size) {
    auto* front = static_cast<QTLPacketRecord*>(std::malloc(sizeof(QTLPacketRecord)));
    auto* bytes = static_cast<uint8_t*>(std::malloc(size_t(size)));
    if (!front || !bytes) {
      std::free(front);
      std::free(bytes);
      *status = QTLERR_NOMEM;
      return nullptr;
    }
    *front = *record;
    front->data = bytes;
    front->length = size;
    std::memcpy(bytes, record->data, size_t(size));
    std::memmove(record->data, record->data + size, size_t(record->length - size));
    record->length -= size;
    front->next = record;
    (record->prev ? record->prev->next : endpoint.queueHead) = front;
    record->prev = front;
    record = front;
  }
  record->acquired = 1;
  HandOut(*record, from, status);
  return record;
}

}  // namespace

void QueueRecord(Endpoint& endpoint, uint8_t* data, int32_t length, const NetAddress* from,
                 int32_t status, int32_t kind) {
  CriticalSectionLock lock(endpoint.queueLock);
  auto* record = static_cast<QTLPacketRecord*>(std::calloc(1, sizeof(QTLPacketRecord)));
  if (!record) {
    std::free(data);
    return;
  }
  record->data = data;
  record->length = length;
  if (from) record->from = *from;
  record->status = status;
  record->kind = kind;
  record->prev = endpoint.queueTail;
  (endpoint.queueTail ? endpoint.queueTail->next : endpoint.queueHead) = record;
  endpoint.queueTail = record;
  WakeThread(endpoint.ownerThread);
}

void FreeRecords(Endpoint& endpoint) {
  CriticalSectionLock lock(endpoint.queueLock);
  while (QTLPacketRecord* record = endpoint.queueHead) {
    endpoint.queueHead = record->next;
    FreeRecord(record);
  }
  endpoint.queueTail = nullptr;
}

void OnSocketNotification(Endpoint& endpoint, LPARAM lParam) {
  const WORD event = WSAGETSELECTEVENT(lParam);
  const WORD error = WSAGETSELECTERROR(lParam);
  if (event == WS_FD_READ) {
    CriticalSectionLock lock(endpoint.receiveLock);
    FindTransportOps(endpoint.protocol)->drain(endpoint);
    return;
  }
  int32_t kind = kRecordOther;
  if (event == WS_FD_WRITE) kind = kRecordWritable;
  if (event == WS_FD_CONNECT) kind = kRecordConnected;
  if (event == WS_FD_CLOSE) kind = kRecordClosed;
  const int32_t status = kind == kRecordOther || error != 0 ? QTLERR_TRANSPORT_ERR : QTL_SUCCESS;
  QueueRecord(endpoint, nullptr, 0, nullptr, status, kind);
}

void ReceiveNow(Endpoint& endpoint) {
  const bool ownerReceives = endpoint.notifyWindow && endpoint.notifyWindow != endpoint.window;
  if (!ownerReceives || !(endpoint.transport.mode & QTL_MODE_READ)) return;
  CriticalSectionLock lock(endpoint.receiveLock);
  FindTransportOps(endpoint.protocol)->drain(endpoint);
}

void ReceiveNowOnThread() {
  for (Endpoint* endpoint = ThreadEndpoints(); endpoint; endpoint = endpoint->next) {
    ReceiveNow(*endpoint);
  }
}

void OnOwnerSocketNotification(SOCKET socket, LPARAM lParam) {
  for (Endpoint* endpoint = ThreadEndpoints(); endpoint; endpoint = endpoint->next) {
    if (endpoint->transport.socket == socket) {
      OnSocketNotification(*endpoint, lParam);
      return;
    }
  }
}

bool DeliverOneEvent() {
  for (Endpoint* endpoint = ThreadEndpoints(); endpoint; endpoint = endpoint->next) {
    int32_t kind = 0;
    int32_t status = QTL_SUCCESS;
    {
      CriticalSectionLock lock(endpoint->queueLock);
      QTLPacketRecord* event = endpoint->queueHead;
      while (event && event->reported) event = event->next;
      if (!event) continue;
      kind = event->kind;
      // A connect event carries the connect's outcome, so a connection
      // that failed is not taken for one that came up.
      if (kind == kRecordOther || kind == kRecordConnected) status = event->status;
      event->reported = 1;
      // One notification covers every queued record of the kind. Data stays
      // for the caller to take; event records are done with once told.
      if (kind != kRecordOther) {
        for (QTLPacketRecord *record = event->next, *next; record; record = next) {
          next = record->next;
          if (record->kind != kind) continue;
          record->reported = 1;
          if (kind != kRecordData) {
            Unlink(*endpoint, record);
            FreeRecord(record);
          }
        }
      }
      if (kind != kRecordData) {
        Unlink(*endpoint, event);
        FreeRecord(event);
      }
    }
    if (kind == kRecordConnected) endpoint->transport.connected = status == QTL_SUCCESS;
    if (kind == kRecordClosed) endpoint->transport.connected = 0;
    const int32_t notified = kind == kRecordClosed ? QTLEV_CONNECT : kind;
    if (endpoint->notifier) {
      const bool outer = notifying;
      notifying = true;
      endpoint->notifier(endpoint, notified, status, endpoint->notifierData);
      notifying = outer;
    }
    return true;
  }
  return false;
}

}  // namespace tessel::qtl

using tessel::CriticalSectionLock;
using namespace tessel::qtl;

QTLPacket QTLAcquirePacket(QTLEndpoint endpoint, NetAddress* from, uint8_t** data,
                           int32_t* length, int32_t* status) {
  int32_t own = CheckOwner(endpoint);
  QTLPacketRecord* record = nullptr;
  if (!data || !length) own = QTLERR_INVALID_PARAM;
  if (own == QTL_SUCCESS) {
    if (!notifying && !HasUntakenData(*endpoint)) ReceiveNow(*endpoint);
    CriticalSectionLock lock(endpoint->queueLock);
    record = OldestUntakenData(*endpoint);
    if (record) {
      record->acquired = 1;
      HandOut(*record, from, &own);
      *data = record->data;
      *length = record->length;
    } else {
      own = QTLWARN_NODATA;
    }
  }
  if (status) *status = own;
  return record;
}

int32_t QTLReleasePacket(QTLEndpoint endpoint, QTLPacket packet) {
  if (!packet) return QTLERR_INVALID_PARAM;
  if (const int32_t status = CheckOwner(endpoint)) return status;
  CriticalSectionLock lock(endpoint->queueLock);
  // Only a record still queued here is freed, so a packet released twice
  // or given to the wrong endpoint is refused instead of freed again.
  for (QTLPacketRecord* record = endpoint->queueHead; record; record = record->next) {
    if (record == packet) {
      Unlink(*endpoint, record);
      FreeRecord(record);
      return QTL_SUCCESS;
    }
  }
  return QTLERR_INVALID_PARAM;
}

int32_t QTLReceivePacket(QTLEndpoint endpoint, NetAddress* from, uint8_t* buffer, int32_t size,
                         int32_t* length) {
  if (!endpoint || !buffer || size <= 0 || !length) return QTLERR_INVALID_PARAM;
  int32_t status = QTL_SUCCESS;
  QTLPacketRecord* record;
  if (FindTransportOps(endpoint->protocol)->stream) {
    if (const int32_t owner = CheckOwner(endpoint)) return owner;
    if (!notifying && !HasUntakenData(*endpoint)) ReceiveNow(*endpoint);
    record = StreamTake(*endpoint, size, from, &status);
  } else {
    uint8_t* data;
    int32_t dataLength;
    record = QTLAcquirePacket(endpoint, from, &data, &dataLength, &status);
  }
  if (!record) return status;
  if (record->length > size) {
    QTLReleasePacket(endpoint, record);
    return QTLERR_TOO_LARGE;
  }
  if (record->length > 0) std::memcpy(buffer, record->data, size_t(record->length));
  *length = record->length;
  QTLReleasePacket(endpoint, record);
  return status;
}
