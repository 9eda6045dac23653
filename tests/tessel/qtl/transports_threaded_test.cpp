#include <thread>
#include <vector>

#include "ipx_addresses.h"
#include "transport_fixture.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 20;

const IpxAddress kEcho = IpxAddress::Of(IpxNetwork::kLocalNetwork, 0x0000EC400001u, 0x4000);

// One round of a thread: the stream transports with the datagram ones they
// stand on, and an IPX datagram to the echoing host and back.
void EchoRound(int thread, int round) {
  ASSERT_EQ(QTLInit(QTL_PROTO_TCP | QTL_PROTO_SPX), QTL_SUCCESS);
  int32_t status = -1;
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_IPX, QTL_MODE_READ, &status);
  ASSERT_NE(endpoint, nullptr);
  const uint8_t sent[2] = {uint8_t(thread), uint8_t(round)};
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kEcho), sent, sizeof sent), QTL_SUCCESS);
  uint8_t received[8] = {};
  int32_t length = 0;
  EXPECT_TRUE(PumpUntil([&] {
    return QTLReceivePacket(endpoint, nullptr, received, sizeof received, &length) ==
           QTL_SUCCESS;
  }));
  EXPECT_EQ(length, 2);
  EXPECT_EQ(received[0], sent[0]);
  EXPECT_EQ(received[1], sent[1]);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_TCP | QTL_PROTO_SPX), QTL_SUCCESS);
}

// Threads start and stop the transports over one another while their
// endpoints send and receive; every start and every socket is undone at
// the end.
TEST_F(TransportTest, ThreadsStartAndStopLayeredTransportsOverOneAnother) {
  IpxNetwork network;
  network.AddHost(kEcho, true);
  std::vector<std::thread> threads;
  for (int thread = 0; thread < kThreads; ++thread) {
    threads.emplace_back([thread] {
      for (int round = 0; round < kRounds && !::testing::Test::HasFailure(); ++round) {
        EchoRound(thread, round);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(network.OpenSockets(), 0u);
}

}  // namespace
