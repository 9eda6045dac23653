/*
 * udp-echo server: sends every datagram back to where it came from.
 *
 *   echo-server [count]
 *
 * Prints the port it listens on (127.0.0.1 and every other local address),
 * then echoes until it has sent `count` datagrams back (for ever without).
 * There is no window message loop here: the library wakes this thread
 * through a wake function, and the thread then runs QTLProcessData, which
 * calls the notifier below.
 */
#include <semaphore.h>
#include <stdio.h>
#include <stdlib.h>

#include <tessel/qtl.h>

static sem_t wakeups;
static long echoed;

/* Runs on a library thread: only pass the news on. */
static void wake(uint32_t threadId, uintptr_t userData) {
  (void)threadId;
  (void)userData;
  sem_post(&wakeups);
}

/* Runs on this thread inside QTLProcessData. */
static void on_event(QTLEndpoint endpoint, int32_t event, int32_t status, uintptr_t data) {
  (void)status;
  (void)data;
  if (event != QTLEV_DATA) return;
  NetAddress from;
  uint8_t* bytes;
  int32_t length;
  int32_t packetStatus;
  QTLPacket packet;
  /* One notification covers every datagram waiting: take them all. */
  while ((packet = QTLAcquirePacket(endpoint, &from, &bytes, &length, &packetStatus)) != NULL) {
    if (packetStatus == QTL_SUCCESS && QTLSendPacket(endpoint, from, bytes, length) == QTL_SUCCESS) {
      ++echoed;
    }
    QTLReleasePacket(endpoint, packet);
  }
}

int main(int argc, char** argv) {
  const long count = argc > 1 ? atol(argv[1]) : 0;
  sem_init(&wakeups, 0, 0);

  int32_t status = QTLInitEx(QTL_PROTO_UDP, wake, 0);
  if (status != QTL_SUCCESS) {
    fprintf(stderr, "QTLInitEx: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
    return 1;
  }
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
  if (!endpoint) {
    fprintf(stderr, "QTLOpenEndpoint: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
    QTLCleanupEx();
    return 1;
  }
  QTLInstallNotifier(endpoint, on_event, 0);
  status = QTLBind(endpoint, 0); /* 0: any free port */
  if (status != QTL_SUCCESS) {
    fprintf(stderr, "QTLBind: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
  } else {
    printf("%u\n", (unsigned)QTLGetInfo(endpoint, QTLINFO_LOCAL_PORT, NULL));
    fflush(stdout);
    while (count == 0 || echoed < count) {
      sem_wait(&wakeups);
      QTLProcessData();
    }
  }
  QTLCloseEndpoint(endpoint);
  QTLCleanupEx();
  sem_destroy(&wakeups);
  return status == QTL_SUCCESS ? 0 : 1;
}
