// 100 000 datagrams echoed between two UDP endpoints of one process: the
// client endpoint sends a burst, the server endpoint's notifier takes the
// burst with QTLAcquirePacket and sends each datagram back, and the
// client's notifier takes the echoes the same way; the thread runs its
// message loop, whose wake-ups run QTLProcessData. Against the same echo as
// a plain epoll loop in the same run. The "ratio" counter is the transport
// layer's datagrams per second over epoll's. The thread receives both
// endpoints' datagrams itself while it handles its messages, as the epoll
// loop does, so neither exchange hands a datagram to another thread; on a
// busy machine run it as `chrt -f 10 transport_bench`. Settings come from
// the user's profile store.
//
// The round trip sends one datagram at a time from the client endpoint to
// the echoing server endpoint and the next once its echo has been taken,
// against the same ping-pong between two blocking sockets, one of them
// echoed by a thread of its own; the two take turns in legs. Its "ratio" is round trips per second over
// the blocking sockets'; the switch counters give the thread switches (of
// every thread of the process, ended ones included) per round trip of each.
//
// The stream round trip does the same over TCP: a TCP endpoint sends 64
// bytes to an echo and the next once the whole echo has been taken, against
// a blocking TCP client of the same echo.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <vector>

#include "blocking_echo.h"
#include "epoll_loop.h"
#include "stream_echo.h"
#include "platform/window.h"
#include "tessel/qtl.h"

namespace {

constexpr int kDatagrams = 100000;
constexpr int kBurst = 32;
constexpr int kSize = 64;

struct Side {
  QTLEndpoint endpoint = nullptr;
  bool echoes = false;  // the server sends back what it takes
  int taken = 0;
  int notifications = 0;
};

void OnData(QTLEndpoint endpoint, int32_t event, int32_t, uintptr_t data) {
  if (event != QTLEV_DATA) return;
  auto* side = reinterpret_cast<Side*>(data);
  ++side->notifications;
  NetAddress from;
  uint8_t* bytes;
  int32_t length;
  int32_t status;
  while (QTLPacket packet = QTLAcquirePacket(endpoint, &from, &bytes, &length, &status)) {
    if (status == QTL_SUCCESS) {
      ++side->taken;
      if (side->echoes) QTLSendPacket(endpoint, from, bytes, length);
    }
    QTLReleasePacket(endpoint, packet);
  }
}

bool OpenSide(Side& side, bool echoes) {
  int32_t status;
  side.echoes = echoes;
  side.endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
  return side.endpoint && QTLInstallNotifier(side.endpoint, OnData, uintptr_t(&side)) == 0 &&
         QTLBind(side.endpoint, 0) == QTL_SUCCESS;
}

// Dispatches the thread's messages for at most a second or until `done`.
template <typename Done>
void PumpUntil(Done done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!done() && std::chrono::steady_clock::now() < limit) {
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
  }
}

double notifications_per_burst = 0;

ExchangeResult transport_echo(Side& client, Side& server) {
  NetAddress to{};
  to.protocol = QTL_PROTO_UDP;
  to.u.ip.port = uint16_t(QTLGetInfo(server.endpoint, QTLINFO_LOCAL_PORT, nullptr));
  to.u.ip.address = 0x7F000001u;
  std::vector<uint8_t> payload(kSize, 'd');

  ExchangeResult result;
  int bursts = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < kDatagrams; ++bursts) {
    const int before = client.taken;
    int expected = 0;
    for (; expected < kBurst && sent < kDatagrams; ++expected, ++sent) {
      QTLSendPacket(client.endpoint, to, payload.data(), kSize);
    }
    PumpUntil([&] { return client.taken - before >= expected; });
    result.lost += expected - (client.taken - before);
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.received = client.taken;
  notifications_per_burst = double(client.notifications + server.notifications) / bursts;
  return result;
}

void BM_TransportEchoAgainstEpoll(benchmark::State& state) {
  Side client, server;
  if (QTLInit(QTL_PROTO_UDP) != QTL_SUCCESS || !OpenSide(client, false) ||
      !OpenSide(server, true)) {
    state.SkipWithError("the UDP transport does not start");
    return;
  }
  ExchangeResult transport, epoll;
  for (auto _ : state) {
    transport = transport_echo(client, server);
    epoll = epoll_echo(kDatagrams, kBurst, kSize);
    state.SetIterationTime(transport.seconds);
  }
  const double transportRate = transport.received / transport.seconds;
  const double epollRate = epoll.received / epoll.seconds;
  state.counters["qtl_dgrams_per_s"] = transportRate;
  state.counters["epoll_dgrams_per_s"] = epollRate;
  state.counters["ratio"] = transportRate / epollRate;
  state.counters["qtl_lost"] = transport.lost;
  state.counters["epoll_lost"] = epoll.lost;
  state.counters["notifications_per_burst"] = notifications_per_burst;

  QTLCloseEndpoint(client.endpoint);
  QTLCloseEndpoint(server.endpoint);
  QTLCleanup(QTL_PROTO_UDP);
}

BENCHMARK(BM_TransportEchoAgainstEpoll)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr int kRoundTrips = 20000;
// The two exchanges take turns in legs of this many round trips, so that a
// change of load on a shared machine weighs on both alike.
constexpr int kLeg = 1000;

// Voluntary and forced thread switches of the whole process so far.
long ProcessSwitches() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nvcsw + usage.ru_nivcsw;
}

// The legs of one exchange added up, with their thread switches.
struct Tally {
  ExchangeResult total;
  long switches = 0;

  template <typename Exchange>
  void Run(Exchange exchange) {
    const long before = ProcessSwitches();
    const ExchangeResult leg = exchange();
    switches += ProcessSwitches() - before;
    total.seconds += leg.seconds;
    total.received += leg.received;
    total.lost += leg.lost;
  }
  double SwitchesPerRoundTrip() const { return double(switches) / (total.received + total.lost); }
};

// Runs the two exchanges in alternating legs and reports their rates, the
// ratio and the thread switches per round trip of each.
template <typename Transport, typename Blocking>
void RunRoundTrips(benchmark::State& state, Transport transportLeg, Blocking blockingLeg) {
  Tally transport, blocking;
  for (auto _ : state) {
    for (int done = 0; done < kRoundTrips; done += kLeg) {
      transport.Run(transportLeg);
      blocking.Run(blockingLeg);
    }
    state.SetIterationTime(transport.total.seconds);
  }
  const double transportRate = transport.total.received / transport.total.seconds;
  const double blockingRate = blocking.total.received / blocking.total.seconds;
  state.counters["qtl_round_trips_per_s"] = transportRate;
  state.counters["blocking_round_trips_per_s"] = blockingRate;
  state.counters["ratio"] = transportRate / blockingRate;
  state.counters["qtl_lost"] = transport.total.lost;
  state.counters["blocking_lost"] = blocking.total.lost;
  state.counters["qtl_switches_per_round_trip"] = transport.SwitchesPerRoundTrip();
  state.counters["blocking_switches_per_round_trip"] = blocking.SwitchesPerRoundTrip();
}

ExchangeResult transport_round_trips(Side& client, Side& server, int count) {
  NetAddress to{};
  to.protocol = QTL_PROTO_UDP;
  to.u.ip.port = uint16_t(QTLGetInfo(server.endpoint, QTLINFO_LOCAL_PORT, nullptr));
  to.u.ip.address = 0x7F000001u;
  std::vector<uint8_t> payload(kSize, 'p');

  ExchangeResult result;
  const int before = client.taken;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 1; sent <= count; ++sent) {
    QTLSendPacket(client.endpoint, to, payload.data(), kSize);
    PumpUntil([&] { return client.taken - before >= sent - result.lost; });
    if (client.taken - before < sent - result.lost) ++result.lost;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.received = client.taken - before;
  return result;
}

void BM_TransportRoundTripAgainstBlockingSockets(benchmark::State& state) {
  Side client, server;
  if (QTLInit(QTL_PROTO_UDP) != QTL_SUCCESS || !OpenSide(client, false) ||
      !OpenSide(server, true)) {
    state.SkipWithError("the UDP transport does not start");
    return;
  }
  RunRoundTrips(state, [&] { return transport_round_trips(client, server, kLeg); },
                [] { return blocking_echo(kLeg, kSize); });

  QTLCloseEndpoint(client.endpoint);
  QTLCloseEndpoint(server.endpoint);
  QTLCleanup(QTL_PROTO_UDP);
}

BENCHMARK(BM_TransportRoundTripAgainstBlockingSockets)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

struct StreamSide {
  QTLEndpoint endpoint = nullptr;
  bool connected = false;
  long bytes = 0;  // echoed bytes taken
};

void OnStream(QTLEndpoint endpoint, int32_t event, int32_t status, uintptr_t data) {
  auto* side = reinterpret_cast<StreamSide*>(data);
  if (event == QTLEV_CONNECT) side->connected = status == QTL_SUCCESS;
  if (event != QTLEV_DATA) return;
  uint8_t* bytes;
  int32_t length;
  int32_t taken;
  while (QTLPacket packet = QTLAcquirePacket(endpoint, nullptr, &bytes, &length, &taken)) {
    if (taken == QTL_SUCCESS) side->bytes += length;
    QTLReleasePacket(endpoint, packet);
  }
}

bool OpenConnected(StreamSide& side, uint16_t port) {
  int32_t status;
  side.endpoint = QTLOpenEndpoint(QTL_PROTO_TCP, QTL_MODE_READ, &status);
  if (!side.endpoint || QTLInstallNotifier(side.endpoint, OnStream, uintptr_t(&side)) != 0) {
    return false;
  }
  NetAddress to{};
  to.protocol = QTL_PROTO_TCP;
  to.u.ip.port = port;
  to.u.ip.address = 0x7F000001u;
  if (QTLConnect(side.endpoint, to) < 0) return false;
  PumpUntil([&] { return side.connected; });
  return side.connected;
}

ExchangeResult transport_stream_round_trips(StreamSide& side, int count) {
  std::vector<uint8_t> payload(kSize, 's');
  ExchangeResult result;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < count; ++sent) {
    const long before = side.bytes;
    QTLSendPacket(side.endpoint, NetAddress{}, payload.data(), kSize);
    PumpUntil([&] { return side.bytes - before >= kSize; });
    if (side.bytes - before < kSize) {
      result.lost = count - sent;
      break;
    }
    ++result.received;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return result;
}

void BM_TransportStreamRoundTripAgainstBlockingSockets(benchmark::State& state) {
  StreamEcho echo;
  StreamSide side;
  if (QTLInit(QTL_PROTO_TCP) != QTL_SUCCESS || !OpenConnected(side, echo.port())) {
    state.SkipWithError("the TCP transport does not connect");
    if (side.endpoint) QTLCloseEndpoint(side.endpoint);
    QTLCleanup(QTL_PROTO_TCP);
    return;
  }
  RunRoundTrips(state, [&] { return transport_stream_round_trips(side, kLeg); },
                [&] { return blocking_stream_round_trips(echo, kLeg, kSize); });

  QTLCloseEndpoint(side.endpoint);
  QTLCleanup(QTL_PROTO_TCP);
}

BENCHMARK(BM_TransportStreamRoundTripAgainstBlockingSockets)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
