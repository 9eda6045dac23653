/*
 * udp-echo client: sends numbered datagrams to the echo server on
 * 127.0.0.1 and checks that each comes back unchanged.
 *
 *   echo-client [port [count]]
 *
 * Without a port argument (or with an empty one) the port is read from
 * standard input, so the server's output can be piped in. Prints "echoed N of N" and exits 0 when
 * every datagram came back.
 */
#include <semaphore.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <tessel/qtl.h>

static sem_t wakeups;

static void wake(uint32_t threadId, uintptr_t userData) {
  (void)threadId;
  (void)userData;
  sem_post(&wakeups);
}

/* Waits up to `ms` for a wake-up, then lets the library deliver. */
static void wait_and_process(long ms) {
  struct timespec until;
  clock_gettime(CLOCK_REALTIME, &until);
  until.tv_sec += ms / 1000;
  until.tv_nsec += (ms % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_sec += 1;
    until.tv_nsec -= 1000000000L;
  }
  sem_timedwait(&wakeups, &until);
  QTLProcessData();
}

int main(int argc, char** argv) {
  unsigned port = 0;
  if (argc > 1 && argv[1][0] != '\0') {
    port = (unsigned)atoi(argv[1]);
  } else if (scanf("%u", &port) != 1) {
    fprintf(stderr, "no port\n");
    return 1;
  }
  const int count = argc > 2 ? atoi(argv[2]) : 10;
  sem_init(&wakeups, 0, 0);

  int32_t status = QTLInitEx(QTL_PROTO_UDP, wake, 0);
  if (status != QTL_SUCCESS) {
    fprintf(stderr, "QTLInitEx: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
    return 1;
  }
  /* No notifier: this endpoint is read with QTLReceivePacket. */
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
  if (!endpoint) {
    fprintf(stderr, "QTLOpenEndpoint: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
    QTLCleanupEx();
    return 1;
  }

  NetAddress server;
  memset(&server, 0, sizeof server);
  server.protocol = QTL_PROTO_UDP;
  server.u.ip.port = (uint16_t)port;
  server.u.ip.address = 0x7F000001u; /* 127.0.0.1 */

  int echoed = 0;
  for (int i = 0; i < count; ++i) {
    char message[64];
    const int length = snprintf(message, sizeof message, "datagram %d", i);
    /* A datagram can be lost: try each one three times. */
    for (int attempt = 0; attempt < 3; ++attempt) {
      QTLSendPacket(endpoint, server, (const uint8_t*)message, length);
      uint8_t reply[64];
      int32_t replyLength = 0;
      int32_t received = QTLWARN_NODATA;
      for (int waits = 0; waits < 10 && received == QTLWARN_NODATA; ++waits) {
        received = QTLReceivePacket(endpoint, NULL, reply, sizeof reply, &replyLength);
        if (received == QTLWARN_NODATA) wait_and_process(50);
      }
      if (received == QTL_SUCCESS && replyLength == length && memcmp(reply, message, length) == 0) {
        ++echoed;
        break;
      }
    }
  }
  printf("echoed %d of %d\n", echoed, count);

  QTLCloseEndpoint(endpoint);
  QTLCleanupEx();
  sem_destroy(&wakeups);
  return echoed == count ? 0 : 1;
}
