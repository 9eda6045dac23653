#include <string>
#include <vector>

#include "loopback_peer.h"
#include "notifications.h"
#include "temp_system.h"
#include "transport_fixture.h"

namespace {

NetAddress TcpLoopback(uint16_t port) {
  NetAddress address{};
  address.protocol = QTL_PROTO_TCP;
  address.u.ip.port = port;
  address.u.ip.address = 0x7F000001u;
  return address;
}

std::string Pattern(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = char('a' + i % 26);
  return bytes;
}

// A TCP endpoint of this thread and a plain loopback peer for it.
class TcpTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    ASSERT_EQ(QTLInit(QTL_PROTO_TCP), QTL_SUCCESS);
    int32_t status = -1;
    endpoint_ = QTLOpenEndpoint(QTL_PROTO_TCP, QTL_MODE_READ, &status);
    ASSERT_EQ(status, QTL_SUCCESS);
    ASSERT_EQ(QTLInstallNotifier(endpoint_, Record, reinterpret_cast<uintptr_t>(&notified_)),
              QTL_SUCCESS);
  }
  void TearDown() override {
    if (peer_ >= 0) peer_close(peer_);
    EXPECT_EQ(QTLCloseEndpoint(endpoint_), QTL_SUCCESS);
    EXPECT_EQ(QTLCleanup(QTL_PROTO_TCP), QTL_SUCCESS);
    TransportTest::TearDown();
  }
  void Connect() {
    ASSERT_EQ(QTLConnect(endpoint_, TcpLoopback(listener_.port())), QTLWARN_CONNECTING);
    ASSERT_TRUE(NextEvent(notified_));
    ASSERT_EQ(QTLGetInfo(endpoint_, QTLINFO_CONNECTED, nullptr), 1u);
    peer_ = listener_.accept_one();
    ASSERT_GE(peer_, 0);
  }
  uint32_t Queued() { return QTLGetInfo(endpoint_, QTLINFO_QUEUED_BYTES, nullptr); }
  // Lets the endpoint thread queue `bytes` bytes of the peer's data.
  void WaitForQueued(uint32_t bytes) {
    for (int round = 0; round < 400 && Queued() < bytes; ++round) Sleep(5);
    ASSERT_EQ(Queued(), bytes);
  }

  PeerListener listener_;
  int peer_ = -1;
  QTLEndpoint endpoint_ = nullptr;
  Notified notified_;
};

TEST_F(TcpTest, AConnectThatWouldBlockCompletesLaterAndTheStreamComesInPieces) {
  const std::string log = tessel_test::TempDirectory() + "/tcp.log";
  ASSERT_EQ(QRTLEnableLogging(log.c_str(), QRTL_LOG_ALL, 1), QRTL_SUCCESS);
  Connect();
  EXPECT_EQ(notified_.events, std::vector<int32_t>{QTLEV_CONNECT});
  EXPECT_EQ(notified_.statuses, std::vector<int32_t>{QTL_SUCCESS});

  const std::string sent = Pattern(3000);
  ASSERT_TRUE(peer_send(peer_, sent));
  WaitForQueued(3000);
  std::string received;
  NetAddress from{};
  uint8_t buffer[1000];
  int32_t length = 0;
  for (int piece = 0; piece < 3; ++piece) {
    ASSERT_EQ(QTLReceivePacket(endpoint_, &from, buffer, sizeof buffer, &length), QTL_SUCCESS);
    EXPECT_EQ(length, 1000);
    received.append(reinterpret_cast<char*>(buffer), size_t(length));
  }
  EXPECT_EQ(received, sent);
  EXPECT_EQ(QTLReceivePacket(endpoint_, &from, buffer, sizeof buffer, &length), QTLWARN_NODATA);
  // The peer's address comes in the IP form, tagged UDP.
  EXPECT_EQ(from.protocol, QTL_PROTO_UDP);
  EXPECT_EQ(from.u.ip.address, 0x7F000001u);
  EXPECT_NE(from.u.ip.port, 0);

  const std::string reply = Pattern(40);
  EXPECT_EQ(QTLSendPacket(endpoint_, NetAddress{}, reinterpret_cast<const uint8_t*>(reply.data()),
                          int32_t(reply.size())),
            QTL_SUCCESS);
  EXPECT_EQ(peer_receive(peer_, 200), reply);

  // The peer's close is a connection event too.
  peer_close(peer_);
  peer_ = -1;
  ASSERT_TRUE(NextEvent(notified_));
  EXPECT_EQ(notified_.events.back(), QTLEV_CONNECT);
  EXPECT_EQ(notified_.statuses.back(), QTL_SUCCESS);
  EXPECT_EQ(QTLGetInfo(endpoint_, QTLINFO_CONNECTED, nullptr), 0u);

  ASSERT_EQ(QRTLDisableLogging(), QRTL_SUCCESS);
  const std::string lines = tessel_test::ReadFile(log);
  EXPECT_NE(lines.find("TCP connect would block"), std::string::npos) << lines;
}

// A connection that fails reaches the notifier as a failure, and the
// endpoint does not read as connected.
TEST_F(TcpTest, ARefusedConnectIsReportedAndLeavesTheEndpointUnconnected) {
  ASSERT_EQ(QTLConnect(endpoint_, TcpLoopback(unused_tcp_port())), QTLWARN_CONNECTING);
  ASSERT_TRUE(NextEvent(notified_));
  EXPECT_EQ(notified_.events, std::vector<int32_t>{QTLEV_CONNECT});
  EXPECT_EQ(notified_.statuses, std::vector<int32_t>{QTLERR_TRANSPORT_ERR});
  int32_t status = -1;
  EXPECT_EQ(QTLGetInfo(endpoint_, QTLINFO_CONNECTED, &status), 0u);
  EXPECT_EQ(status, QTL_SUCCESS);
}

TEST_F(TcpTest, AStreamIsTakenInTheCallersSizesAndAcquiredDataIsSkipped) {
  Connect();
  ASSERT_TRUE(peer_send(peer_, Pattern(600)));
  WaitForQueued(600);
  uint8_t buffer[512];
  int32_t length = 0;
  ASSERT_EQ(QTLReceivePacket(endpoint_, nullptr, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(length, 512);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 512), Pattern(512));
  EXPECT_EQ(Queued(), 88u);
  ASSERT_EQ(QTLReceivePacket(endpoint_, nullptr, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(length, 88);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 88), Pattern(600).substr(512));

  // Two arrivals, two records: the first is acquired, a receive then takes
  // the second.
  ASSERT_TRUE(peer_send(peer_, std::string(100, 'x')));
  WaitForQueued(100);
  ASSERT_TRUE(peer_send(peer_, std::string(200, 'y')));
  WaitForQueued(300);
  uint8_t* data = nullptr;
  int32_t status = -1;
  QTLPacket first = QTLAcquirePacket(endpoint_, nullptr, &data, &length, &status);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(length, 100);
  EXPECT_EQ(data[0], 'x');
  ASSERT_EQ(QTLReceivePacket(endpoint_, nullptr, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(length, 200);
  EXPECT_EQ(buffer[0], 'y');
  EXPECT_EQ(QTLReceivePacket(endpoint_, nullptr, buffer, sizeof buffer, &length), QTLWARN_NODATA);
  EXPECT_EQ(QTLReleasePacket(endpoint_, first), QTL_SUCCESS);
  EXPECT_EQ(Queued(), 0u);
}

void NoWake(uint32_t, uintptr_t) {}

// In wake-function mode the endpoint thread receives the stream: the
// connection, its data and the peer's close reach the owner all the same.
TEST_F(TransportTest, AWakeFunctionThreadGetsItsStreamThroughTheEndpointThread) {
  ASSERT_EQ(QTLInitEx(QTL_PROTO_TCP, NoWake, 0), QTL_SUCCESS);
  int32_t status = -1;
  QTLEndpoint tcp = QTLOpenEndpoint(QTL_PROTO_TCP, QTL_MODE_READ, &status);
  ASSERT_NE(tcp, nullptr);
  Notified notified;
  QTLInstallNotifier(tcp, Record, reinterpret_cast<uintptr_t>(&notified));
  PeerListener listener;
  ASSERT_EQ(QTLConnect(tcp, TcpLoopback(listener.port())), QTLWARN_CONNECTING);
  const int peer = listener.accept_one();
  ASSERT_GE(peer, 0);
  ASSERT_TRUE(peer_send(peer, Pattern(300)));
  peer_close(peer);
  auto until = [&](size_t events) {
    for (int round = 0; round < 400 && notified.events.size() < events; ++round) {
      Sleep(5);
      QTLProcessData();
    }
  };
  until(3);
  EXPECT_EQ(notified.events, (std::vector<int32_t>{QTLEV_CONNECT, QTLEV_DATA, QTLEV_CONNECT}));
  uint8_t buffer[512];
  int32_t length = 0;
  ASSERT_EQ(QTLReceivePacket(tcp, nullptr, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size_t(length)), Pattern(300));
  EXPECT_EQ(QTLCloseEndpoint(tcp), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
}

TEST_F(TransportTest, TcpBringsUdpAlongAndNetbiosNeverStarts) {
  ASSERT_EQ(QTLInit(QTL_PROTO_TCP), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_TCP | QTL_PROTO_UDP);
  int32_t status = -1;
  QTLEndpoint udp = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
  ASSERT_NE(udp, nullptr);
  EXPECT_EQ(QTLConnect(udp, TcpLoopback(9)), QTLERR_INTERNAL);
  EXPECT_EQ(QTLCloseEndpoint(udp), QTL_SUCCESS);
  QTLEndpoint tcp = QTLOpenEndpoint(QTL_PROTO_TCP, 0, &status);
  ASSERT_NE(tcp, nullptr);
  // Items a TCP endpoint does not answer itself are UDP's.
  EXPECT_EQ(QTLGetInfo(tcp, QTLINFO_STREAM, nullptr), 1u);
  EXPECT_EQ(QTLGetInfo(tcp, QTLINFO_ORDINAL, nullptr), 2u);
  EXPECT_EQ(QTLGetInfo(tcp, QTLINFO_CONNECTED, &status), 0u);
  EXPECT_EQ(status, QTL_SUCCESS);
  EXPECT_EQ(QTLCloseEndpoint(tcp), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_TCP), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);

  // Transports that cannot start here leave no context behind.
  for (const auto& [protocol, failure] :
       {std::pair{QTL_PROTO_NETBIOS, QTLERR_NB_INIT}, std::pair{QTL_PROTO_IPX, QTLERR_IPX_INIT},
        std::pair{QTL_PROTO_SPX, QTLERR_SPX_INIT}}) {
    EXPECT_EQ(QTLInit(protocol), failure);
    EXPECT_EQ(QTLValidateContextCleanup(), 1);
    EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  }
}

}  // namespace
