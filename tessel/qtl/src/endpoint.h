// Endpoints and their queues of received records.
#pragma once

#include <cstdint>

#include "frame.h"
#include "platform/sync.h"
#include "platform/winsock.h"
#include "tessel/qtl.h"

// One queued item: data (or a receive failure), or a socket event.
struct QTLPacketRecord {
  int32_t acquired;  // handed out by QTLAcquirePacket
  uint8_t* data;     // owned by the record; null for events and failures
  int32_t length;
  NetAddress from;
  int32_t status;  // 0, or the failure this record reports
  int32_t kind;    // one of tessel::qtl::RecordKind
  int32_t reported;
  QTLPacketRecord* prev;
  QTLPacketRecord* next;
};

namespace tessel::qtl {

enum RecordKind : int32_t {
  kRecordData = 1,
  kRecordWritable = 2,
  kRecordOther = 3,
  kRecordConnected = 4,
  kRecordClosed = 6,
};

// The transport's part of an endpoint.
struct TransportState {
  SOCKET socket;
  int32_t bound;
  int32_t connected;
  int32_t mode;
  NetAddress lastDestination;
  int32_t maxPacket;  // fixed at open
  Endpoint* endpoint;
};

}  // namespace tessel::qtl

struct QTLEndpointRecord {
  uint32_t protocol;
  uint32_t ownerThread;
  QTLNotifier notifier;
  uintptr_t notifierData;
  HANDLE startEvent;
  HANDLE thread;
  HWND window;  // the endpoint thread's; set before startEvent is signalled
  // Where the socket's notifications go: the endpoint thread's window, or
  // the owner's own (see RouteNotifications). Owner thread only.
  HWND notifyWindow;
  int32_t startStatus;
  CRITICAL_SECTION queueLock;
  // Held while the socket is drained, so that two threads draining one
  // socket while its notifications move between them keep the order.
  CRITICAL_SECTION receiveLock;
  tessel::qtl::TransportState transport;
  QTLPacketRecord* queueHead;
  QTLPacketRecord* queueTail;
  QTLEndpointRecord* next;  // in the owner's ThreadEntry
};

namespace tessel::qtl {

// What each transport does for its endpoints. A protocol without a row has
// no endpoints.
struct TransportOps {
  uint32_t protocol;
  bool stream;
  // Starts the transport for the endpoint, makes its socket and fixes
  // maxPacket; leaves nothing behind on failure.
  int32_t (*open)(Endpoint& endpoint, int32_t mode);
  // Closes the socket and drops the endpoint's start of the transport.
  int32_t (*close)(Endpoint& endpoint);
  int32_t (*bind)(Endpoint& endpoint, uint16_t port);
  int32_t (*send)(Endpoint& endpoint, const NetAddress& to, const uint8_t* data, int32_t length);
  // On the thread that receives the endpoint (its owner, or the endpoint
  // thread): reads what waits on the socket into records.
  void (*drain)(Endpoint& endpoint);
  uint32_t (*getInfo)(Endpoint& endpoint, int32_t item, int32_t* status);
  // Connects a stream endpoint; null for transports that do not connect.
  int32_t (*connect)(Endpoint& endpoint, const NetAddress& to);
};

const TransportOps* FindTransportOps(uint32_t protocol);

// Appends a record under the queue lock and wakes the owner. A record that
// cannot be allocated is dropped.
void QueueRecord(Endpoint& endpoint, uint8_t* data, int32_t length, const NetAddress* from,
                 int32_t status, int32_t kind);
// Frees every record of a closed endpoint.
void FreeRecords(Endpoint& endpoint);
// Socket notification, on the thread whose window the socket is selected
// to.
void OnSocketNotification(Endpoint& endpoint, LPARAM lParam);
// A socket notification that reached the owner's own window: handled for
// the calling thread's endpoint of that socket, if it still has one.
void OnOwnerSocketNotification(SOCKET socket, LPARAM lParam);

// The window an endpoint's socket notifications go to. An endpoint whose
// owner handles its messages has them sent to the owner's own window: the
// owner then receives while it waits for messages, without a hand-off
// through the endpoint thread. In wake-function mode, where the owner may
// not handle messages, they go to the endpoint thread's window (null
// before that thread has made it). Owner thread.
HWND ReceivingWindow(const Endpoint& endpoint);
// Selects the socket to `window` for the notifications of its mode.
int32_t SelectNotifications(Endpoint& endpoint, HWND window);
// For callers that take data or run QTLProcessData without handling
// messages: an endpoint whose owner receives itself and that asked for data
// reads what waits on its socket now. Owner thread.
void ReceiveNow(Endpoint& endpoint);
// The same for every endpoint of the calling thread.
void ReceiveNowOnThread();
// Moves the calling thread's endpoints to their receiving windows, after
// the thread entered or left wake-function mode.
void RouteNotifications();
// Delivers the oldest unreported event of the calling thread's endpoints;
// false when there was none.
bool DeliverOneEvent();

}  // namespace tessel::qtl
