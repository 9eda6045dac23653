#include <atomic>
#include <cstring>
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

// Takes every queued datagram of the endpoint, each through `take`.
template <typename Take>
void TakeAll(QTLEndpoint endpoint, Take take) {
  uint8_t* bytes;
  int32_t length;
  int32_t status;
  while (QTLPacket packet = QTLAcquirePacket(endpoint, nullptr, &bytes, &length, &status)) {
    take(status, bytes, length);
    QTLReleasePacket(endpoint, packet);
  }
}

void CountData(QTLEndpoint endpoint, int32_t event, int32_t, uintptr_t data) {
  if (event != QTLEV_DATA) return;
  auto* peer = reinterpret_cast<Peer*>(data);
  TakeAll(endpoint, [peer](int32_t status, const uint8_t*, int32_t) {
    if (status == QTL_SUCCESS) ++peer->received;
  });
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

struct Sequence {
  std::atomic<uint32_t> count{0};
  bool ordered = true;
};

void CheckOrder(QTLEndpoint endpoint, int32_t event, int32_t, uintptr_t data) {
  if (event != QTLEV_DATA) return;
  auto* sequence = reinterpret_cast<Sequence*>(data);
  TakeAll(endpoint, [sequence](int32_t status, const uint8_t* bytes, int32_t length) {
    uint32_t number = 0;
    if (status == QTL_SUCCESS && length == sizeof number) std::memcpy(&number, bytes, length);
    sequence->ordered = sequence->ordered && number == sequence->count;
    ++sequence->count;
  });
}

// The thread receives its datagrams itself while it handles messages, and
// through the endpoint thread while it is in wake-function mode; switching
// back and forth while datagrams stream in loses and reorders none.
TEST_F(TransportTest, DatagramsKeepTheirOrderWhileReceivingMovesBetweenThreads) {
  constexpr uint32_t kDatagrams = 3000;
  constexpr uint32_t kBatch = 25;
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  int32_t status;
  QTLEndpoint listener = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
  ASSERT_NE(listener, nullptr);
  Sequence sequence;
  QTLInstallNotifier(listener, CheckOrder, reinterpret_cast<uintptr_t>(&sequence));
  ASSERT_EQ(QTLBind(listener, 0), QTL_SUCCESS);
  const auto port = uint16_t(QTLGetInfo(listener, QTLINFO_LOCAL_PORT, nullptr));

  std::thread sender([&] {
    ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
    int32_t opened;
    QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &opened);
    NetAddress to{};
    to.protocol = QTL_PROTO_UDP;
    to.u.ip.port = port;
    to.u.ip.address = 0x7F000001u;
    for (uint32_t number = 0; number < kDatagrams; ++number) {
      // Batches small enough for the socket's buffer.
      for (int i = 0; i < 2000 && number - sequence.count >= kBatch; ++i) Sleep(1);
      QTLSendPacket(endpoint, to, reinterpret_cast<const uint8_t*>(&number), sizeof number);
    }
    QTLCloseEndpoint(endpoint);
    QTLCleanup(QTL_PROTO_UDP);
  });
  HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  for (int round = 0; round < 4000 && sequence.count < kDatagrams; ++round) {
    if (round % 4 == 0) {
      ASSERT_EQ(QTLInitEx(0, SignalWake, reinterpret_cast<uintptr_t>(wake)), QTL_SUCCESS);
      WaitForSingleObject(wake, 2);
      QTLProcessData();
      ASSERT_EQ(QTLCleanupEx(), QTL_SUCCESS);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
      Pump();
    }
  }
  sender.join();
  EXPECT_EQ(sequence.count, kDatagrams);
  EXPECT_TRUE(sequence.ordered);
  EXPECT_EQ(QTLCloseEndpoint(listener), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
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
