/*
 * qtl-ping: resolves a host name and pings it through tessel, printing the
 * round-trip times the way ping does.
 *
 *   qtl-ping [-c count] [-i seconds] [-W seconds] host
 *
 * The name is looked up in tessel's "IP Hosts" table first and then in the
 * name service; a dotted address is taken as it is. Each echo is one
 * QTLPing; its round trip is the time that call took. Between echoes the
 * program waits in QTLDelay. Exits 0 when any echo came back, 1 when none
 * did, 2 when the name could not be resolved or tessel failed.
 */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <tessel/qtl.h>

/* What the IP echo sends: 7 bytes of data. */
#define ECHO_DATA_BYTES 7

struct options {
  int count;
  int interval;  /* seconds between echoes */
  int timeout;   /* seconds to wait for each reply */
  const char* host;
};

struct statistics {
  int sent;
  int received;
  double min, max, sum, sumOfSquares; /* milliseconds */
};

static void usage(void) {
  fprintf(stderr, "usage: qtl-ping [-c count] [-i seconds] [-W seconds] host\n");
}

static int parse_options(int argc, char** argv, struct options* options) {
  options->count = 4;
  options->interval = 1;
  options->timeout = 2;
  int option;
  while ((option = getopt(argc, argv, "c:i:W:")) != -1) {
    switch (option) {
      case 'c':
        options->count = atoi(optarg);
        break;
      case 'i':
        options->interval = atoi(optarg);
        break;
      case 'W':
        options->timeout = atoi(optarg);
        break;
      default:
        return 0;
    }
  }
  if (optind != argc - 1 || options->count < 1 || options->interval < 0 || options->timeout < 1) {
    return 0;
  }
  options->host = argv[optind];
  return 1;
}

static double milliseconds_since(const struct timespec* start) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)(now.tv_sec - start->tv_sec) * 1000.0 +
         (double)(now.tv_nsec - start->tv_nsec) / 1000000.0;
}

static void record(struct statistics* statistics, double milliseconds) {
  if (statistics->received == 0 || milliseconds < statistics->min) statistics->min = milliseconds;
  if (statistics->received == 0 || milliseconds > statistics->max) statistics->max = milliseconds;
  statistics->sum += milliseconds;
  statistics->sumOfSquares += milliseconds * milliseconds;
  ++statistics->received;
}

static void print_summary(const char* host, const struct statistics* statistics) {
  printf("\n--- %s ping statistics ---\n", host);
  printf("%d packets transmitted, %d received, %d%% packet loss\n", statistics->sent,
         statistics->received,
         (statistics->sent - statistics->received) * 100 / statistics->sent);
  if (statistics->received == 0) return;
  const double average = statistics->sum / statistics->received;
  const double variance = statistics->sumOfSquares / statistics->received - average * average;
  printf("rtt min/avg/max/mdev = %.3f/%.3f/%.3f/%.3f ms\n", statistics->min, average,
         statistics->max, sqrt(variance > 0 ? variance : 0));
}

static int ping_host(const struct options* options, NetAddress target, const char* text) {
  struct statistics statistics;
  memset(&statistics, 0, sizeof statistics);
  printf("PING %s (%s) %d bytes of data.\n", options->host, text, ECHO_DATA_BYTES);
  for (int sequence = 1; sequence <= options->count; ++sequence) {
    if (sequence > 1 && options->interval > 0) QTLDelay(options->interval);
    struct timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    const int32_t status = QTLPing(&target, options->timeout);
    const double elapsed = milliseconds_since(&start);
    ++statistics.sent;
    if (status == QTL_SUCCESS) {
      record(&statistics, elapsed);
      printf("%d bytes from %s: icmp_seq=%d time=%.3f ms\n", ECHO_DATA_BYTES, text, sequence,
             elapsed);
    } else if (status == QTLERR_PING_TIMEOUT) {
      printf("no answer from %s: icmp_seq=%d\n", text, sequence);
    } else {
      printf("From %s icmp_seq=%d %s\n", text, sequence, QTLErrToString(status, QTL_TEXT_MESSAGE));
    }
    fflush(stdout);
  }
  print_summary(options->host, &statistics);
  return statistics.received > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  struct options options;
  if (!parse_options(argc, argv, &options)) {
    usage();
    return 2;
  }
  int32_t status = QTLInit(QTL_PROTO_UDP);
  if (status != QTL_SUCCESS) {
    fprintf(stderr, "qtl-ping: QTLInit: %s\n", QTLErrToString(status, QTL_TEXT_MESSAGE));
    return 2;
  }
  int result = 2;
  NetAddress target;
  char text[16];
  status = QTLGetAddrFromHostName(QTL_PROTO_UDP, options.host, &target);
  if (status == QTL_SUCCESS) status = QTLNetAddrToString(target, text, sizeof text);
  if (status == QTL_SUCCESS) {
    result = ping_host(&options, target, text);
  } else {
    fprintf(stderr, "qtl-ping: %s: %s\n", options.host, QTLErrToString(status, QTL_TEXT_MESSAGE));
  }
  QTLCleanup(QTL_PROTO_UDP);
  return result;
}
