// 100 000 datagrams between two loopback sockets, received through
// WSAAsyncSelect notifications (FD_READ posted by the window's own thread,
// taken from the window's queue, the socket drained until it would
// block), against the same exchange as a plain epoll loop in the same run.
// The "ratio" counter is Winsock's datagrams per second over epoll's; the
// goal is at least 0.5. Each burst costs the Winsock path two thread
// hand-offs (to the notifier and back) that the single-threaded loop does
// not have; on a machine busy with other work the scheduler delays them, so
// run it there as `chrt -f 10 wsock32_bench` to measure the code itself.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "epoll_loop.h"
#include "platform/module.h"
#include "platform/window.h"
#include "platform/winsock.h"

namespace {

constexpr int kDatagrams = 100000;
constexpr int kBurst = 32;
constexpr int kSize = 64;
constexpr UINT kSocketMessage = WM_USER + 1;

struct Winsock {
  LPFN_WSASTARTUP startup;
  LPFN_WSACLEANUP cleanup;
  LPFN_SOCKET socket;
  LPFN_CLOSESOCKET closesocket;
  LPFN_BIND bind;
  LPFN_GETSOCKNAME getsockname;
  LPFN_SENDTO sendto;
  LPFN_RECVFROM recvfrom;
  LPFN_WSAASYNCSELECT asyncSelect;

  template <typename T>
  static void resolve(HMODULE module, T& slot, const char* name) {
    slot = reinterpret_cast<T>(GetProcAddress(module, name));
  }
  bool load(HMODULE module) {
    resolve(module, startup, "WSAStartup");
    resolve(module, cleanup, "WSACleanup");
    resolve(module, socket, "socket");
    resolve(module, closesocket, "closesocket");
    resolve(module, bind, "bind");
    resolve(module, getsockname, "getsockname");
    resolve(module, sendto, "sendto");
    resolve(module, recvfrom, "recvfrom");
    resolve(module, asyncSelect, "WSAAsyncSelect");
    return startup && cleanup && socket && closesocket && bind && getsockname && sendto &&
           recvfrom && asyncSelect;
  }
  SOCKET bound(SOCKADDR_IN& name) const {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    name = SOCKADDR_IN{};
    name.sin_family = AF_INET;
    name.sin_addr.s_addr = __builtin_bswap32(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<SOCKADDR*>(&name), sizeof(name));
    int length = sizeof(name);
    getsockname(s, reinterpret_cast<SOCKADDR*>(&name), &length);
    return s;
  }
};

// Waits at most a second for the next message of the calling thread.
bool next_message(MSG& msg) {
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
  return PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
}

// FD_READ messages handled per burst of datagrams (the drain after each
// takes everything that waits, so the ideal is 1).
double notifications_per_burst = 0;

ExchangeResult winsock_exchange(const Winsock& ws, HWND window) {
  SOCKADDR_IN receiverName, senderName;
  SOCKET receiver = ws.bound(receiverName);
  SOCKET sender = ws.bound(senderName);
  ws.asyncSelect(receiver, window, kSocketMessage, FD_READ);
  std::vector<char> payload(kSize, 'd'), buffer(65536);

  ExchangeResult result;
  int notifications = 0, bursts = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int sent = 0; sent < kDatagrams; ++bursts) {
    int expected = 0;
    for (; expected < kBurst && sent < kDatagrams; ++expected, ++sent) {
      ws.sendto(sender, payload.data(), kSize, 0, reinterpret_cast<SOCKADDR*>(&receiverName),
                sizeof(receiverName));
    }
    MSG msg;
    while (expected > 0 && next_message(msg)) {
      if (msg.message != kSocketMessage || WSAGETSELECTEVENT(msg.lParam) != FD_READ) continue;
      ++notifications;
      while (ws.recvfrom(receiver, buffer.data(), static_cast<int>(buffer.size()), 0, nullptr,
                         nullptr) >= 0) {
        --expected;
        ++result.received;
      }
    }
    result.lost += expected;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  notifications_per_burst = static_cast<double>(notifications) / bursts;
  ws.closesocket(sender);
  ws.closesocket(receiver);
  return result;
}

void BM_AsyncSelectAgainstEpoll(benchmark::State& state) {
  HMODULE module = LoadLibraryA("WSOCK32.DLL");
  Winsock ws;
  WSADATA data;
  if (!module || !ws.load(module) || ws.startup(0x0101, &data) != 0) {
    state.SkipWithError("the Winsock module does not start");
    return;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "Wsock32Bench";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "Wsock32Bench", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                                nullptr);

  ExchangeResult winsock, epoll;
  for (auto _ : state) {
    winsock = winsock_exchange(ws, window);
    epoll = epoll_exchange(kDatagrams, kBurst, kSize);
    state.SetIterationTime(winsock.seconds);
  }
  const double winsockRate = winsock.received / winsock.seconds;
  const double epollRate = epoll.received / epoll.seconds;
  state.counters["winsock_dgrams_per_s"] = winsockRate;
  state.counters["epoll_dgrams_per_s"] = epollRate;
  state.counters["ratio"] = winsockRate / epollRate;
  state.counters["winsock_lost"] = winsock.lost;
  state.counters["fd_read_per_burst"] = notifications_per_burst;
  state.counters["epoll_lost"] = epoll.lost;

  DestroyWindow(window);
  UnregisterClassA("Wsock32Bench", nullptr);
  ws.cleanup();
  FreeLibrary(module);
}

BENCHMARK(BM_AsyncSelectAgainstEpoll)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
