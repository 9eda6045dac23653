#include <atomic>
#include <thread>
#include <vector>

#include "platform/module.h"
#include "platform/thread.h"
#include "socket_library.h"
#include "transport_fixture.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 30;

struct Peer {
  std::atomic<uint16_t> port{0};
  std::atomic<int> received{0};
};

void CountData(QTLEndpoint endpoint, int32_t event, int32_t, uintptr_t data) {
  if (event != QTLEV_DATA) return;
  auto* peer = reinterpret_cast<Peer*>(data);
  uint8_t* bytes;
  int32_t length;
  int32_t status;
  while (QTLPacket packet = QTLAcquirePacket(endpoint, nullptr, &bytes, &length, &status)) {
    if (status == QTL_SUCCESS) ++peer->received;
    QTLReleasePacket(endpoint, packet);
  }
}

QTLEndpoint OpenBound(Peer& peer) {
  int32_t status;
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
  EXPECT_EQ(status, QTL_SUCCESS);
  if (!endpoint) return nullptr;
  QTLInstallNotifier(endpoint, CountData, reinterpret_cast<uintptr_t>(&peer));
  EXPECT_EQ(QTLBind(endpoint, 0), QTL_SUCCESS);
  peer.port = uint16_t(QTLGetInfo(endpoint, QTLINFO_LOCAL_PORT, nullptr));
  return endpoint;
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Each thread keeps one listening endpoint, which it closes and opens again
// every round while the others send to it, and sends to the others from a
// second endpoint.
void RunPeer(std::vector<Peer>& peers, int self, std::atomic<int>& finished) {
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  int32_t status;
  QTLEndpoint sender = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
  ASSERT_NE(sender, nullptr);
  QTLEndpoint listener = OpenBound(peers[self]);
  for (int round = 0; round < kRounds; ++round) {
    for (int other = 0; other < kThreads; ++other) {
      if (other == self) continue;
      NetAddress to{};
      to.protocol = QTL_PROTO_UDP;
      to.u.ip.port = peers[other].port;
      to.u.ip.address = 0x7F000001u;
      const uint8_t bytes[64] = {uint8_t(self)};
      for (int i = 0; i < 5; ++i) QTLSendPacket(sender, to, bytes, sizeof bytes);
    }
    Pump();
    Sleep(2);
    Pump();
    if (round % 5 == 4) {
      EXPECT_EQ(QTLCloseEndpoint(listener), QTL_SUCCESS);
      listener = OpenBound(peers[self]);
    }
  }
  ++finished;
  while (finished < kThreads) {
    Pump();
    Sleep(2);
  }
  EXPECT_EQ(QTLCloseEndpoint(listener), QTL_SUCCESS);
  EXPECT_EQ(QTLCloseEndpoint(sender), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
}

TEST_F(TransportTest, ThreadsExchangeDatagramsWhileTheirEndpointsComeAndGo) {
  std::vector<Peer> peers(kThreads);
  std::atomic<int> finished{0};
  std::vector<std::thread> threads;
  for (int self = 0; self < kThreads; ++self) {
    threads.emplace_back(RunPeer, std::ref(peers), self, std::ref(finished));
  }
  for (std::thread& thread : threads) thread.join();
  for (const Peer& peer : peers) EXPECT_GT(peer.received, 0);
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  EXPECT_EQ(GetModuleHandleA("WSOCK32.DLL"), nullptr);
}

std::atomic<int> wakeCalls;
void SignalWake(uint32_t, uintptr_t event) {
  ++wakeCalls;
  SetEvent(reinterpret_cast<HANDLE>(event));
}

TEST_F(TransportTest, AWakeFunctionThreadIsWokenFromTheEndpointThread) {
  HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(QTLInitEx(QTL_PROTO_UDP, SignalWake, reinterpret_cast<uintptr_t>(wake)), QTL_SUCCESS);
  Peer peer;
  QTLEndpoint listener = OpenBound(peer);
  int32_t status;
  QTLEndpoint sender = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
  NetAddress to{};
  to.protocol = QTL_PROTO_UDP;
  to.u.ip.port = peer.port;
  to.u.ip.address = 0x7F000001u;
  const uint8_t bytes[8] = {};
  for (int i = 0; i < 20 && peer.received < 3; ++i) {
    if (i < 3) {
      ASSERT_EQ(QTLSendPacket(sender, to, bytes, sizeof bytes), QTL_SUCCESS);
    }
    WaitForSingleObject(wake, 100);
    QTLProcessData();
  }
  EXPECT_EQ(peer.received, 3);
  EXPECT_GT(wakeCalls, 0);
  EXPECT_EQ(QTLCloseEndpoint(listener), QTL_SUCCESS);
  EXPECT_EQ(QTLCloseEndpoint(sender), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
  CloseHandle(wake);
}

TEST_F(TransportTest, EchoLibraryReferencesHoldAcrossThreads) {
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([] {
      for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(tessel::qtl::BindEchoLibrary(), QTL_SUCCESS);
        EXPECT_NE(tessel::qtl::Icmp().IcmpSendEcho, nullptr);
        tessel::qtl::ReleaseEchoLibrary();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(GetModuleHandleA("ICMP.DLL"), nullptr);
}

}  // namespace
