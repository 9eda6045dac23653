#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "critical_section_lock.h"
#include "endpoint.h"
#include "notifications.h"
#include "platform/thread.h"
#include "socket_module.h"
#include "temp_system.h"
#include "transport_fixture.h"

namespace {

NetAddress Loopback(uint16_t port) {
  NetAddress address{};
  address.protocol = QTL_PROTO_UDP;
  address.u.ip.port = port;
  address.u.ip.address = 0x7F000001u;
  return address;
}

// A UDP endpoint bound to a free loopback port, for one test thread.
class UdpTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
    receiver_ = Open(QTL_MODE_READ);
    sender_ = Open(0);
    ASSERT_EQ(QTLInstallNotifier(receiver_, Record, reinterpret_cast<uintptr_t>(&notified_)),
              QTL_SUCCESS);
    ASSERT_EQ(QTLBind(receiver_, 0), QTL_SUCCESS);
    ASSERT_EQ(QTLBind(sender_, 0), QTL_SUCCESS);
    port_ = uint16_t(QTLGetInfo(receiver_, QTLINFO_LOCAL_PORT, nullptr));
  }
  void TearDown() override {
    EXPECT_EQ(QTLCloseEndpoint(receiver_), QTL_SUCCESS);
    EXPECT_EQ(QTLCloseEndpoint(sender_), QTL_SUCCESS);
    EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
    TransportTest::TearDown();
  }
  static QTLEndpoint Open(int32_t mode) {
    int32_t status = -1;
    QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, mode, &status);
    EXPECT_EQ(status, QTL_SUCCESS);
    return endpoint;
  }
  void Send(size_t length, uint8_t fill) {
    std::vector<uint8_t> bytes(length, fill);
    ASSERT_EQ(QTLSendPacket(sender_, Loopback(port_), bytes.data(), int32_t(length)), QTL_SUCCESS);
  }
  // Lets the thread receive what was sent, without delivering it: only the
  // socket's notifications are handled.
  void WaitForQueued(int32_t records) {
    for (int round = 0; round < 400 && Queued() < records; ++round) {
      MSG message;
      while (PeekMessageA(&message, nullptr, QTLMSG_SOCKET, QTLMSG_SOCKET, PM_REMOVE)) {
        DispatchMessageA(&message);
      }
      if (Queued() < records) Sleep(5);
    }
    ASSERT_EQ(Queued(), records);
  }
  int32_t Queued() {
    tessel::CriticalSectionLock lock(receiver_->queueLock);
    int32_t count = 0;
    for (QTLPacketRecord* record = receiver_->queueHead; record; record = record->next) ++count;
    return count;
  }
  QTLEndpoint receiver_ = nullptr;
  QTLEndpoint sender_ = nullptr;
  uint16_t port_ = 0;
  Notified notified_;
};

TEST_F(UdpTest, ABurstIsOneNotificationAndAcquiresTakeItOldestFirst) {
  Send(10, 'a');
  Send(20, 'b');
  Send(30, 'c');
  WaitForQueued(3);
  QTLProcessData();
  ASSERT_EQ(notified_.events, std::vector<int32_t>{QTLEV_DATA});
  const uint16_t senderPort = uint16_t(QTLGetInfo(sender_, QTLINFO_LOCAL_PORT, nullptr));
  for (int32_t expected : {10, 20, 30}) {
    NetAddress from{};
    uint8_t* data = nullptr;
    int32_t length = 0;
    int32_t status = -1;
    QTLPacket packet = QTLAcquirePacket(receiver_, &from, &data, &length, &status);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(status, QTL_SUCCESS);
    EXPECT_EQ(length, expected);
    EXPECT_EQ(data[0], 'a' + expected / 10 - 1);
    EXPECT_EQ(from.protocol, QTL_PROTO_UDP);
    EXPECT_EQ(from.u.ip.port, senderPort);
    EXPECT_EQ(from.u.ip.address, 0x7F000001u);
    EXPECT_EQ(QTLReleasePacket(receiver_, packet), QTL_SUCCESS);
    EXPECT_EQ(QTLReleasePacket(receiver_, packet), QTLERR_INVALID_PARAM);
  }
  uint8_t* data;
  int32_t length;
  int32_t status;
  EXPECT_EQ(QTLAcquirePacket(receiver_, nullptr, &data, &length, &status), nullptr);
  EXPECT_EQ(status, QTLWARN_NODATA);
}

TEST_F(UdpTest, ADatagramLargerThanTheBufferIsLost) {
  Send(600, 'x');
  Send(5, 'y');
  WaitForQueued(2);
  uint8_t buffer[512];
  int32_t length = 0;
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, sizeof buffer, &length),
            QTLERR_TOO_LARGE);
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(buffer[0], 'y');
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, sizeof buffer, &length), QTLWARN_NODATA);
  // Sizes and outputs that cannot be used are refused.
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, 0, &length), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, -1, &length), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLReceivePacket(receiver_, nullptr, buffer, 512, nullptr), QTLERR_INVALID_PARAM);
}

TEST_F(UdpTest, BindingTwiceAndThePortBeforeBinding) {
  EXPECT_EQ(QTLBind(receiver_, 0), QTLERR_ALREADY_BOUND);
  EXPECT_NE(port_, 0);
  QTLEndpoint unbound = Open(0);
  int32_t status = 0;
  EXPECT_EQ(QTLGetInfo(unbound, QTLINFO_LOCAL_PORT, &status), 0u);
  EXPECT_EQ(status, QTLERR_NOT_BOUND);
  EXPECT_EQ(QTLGetInfo(unbound, QTLINFO_CONNECTED, &status), 0u);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetInfo(unbound, QTLINFO_ORDINAL, &status), 2u);
  EXPECT_EQ(QTLGetInfo(unbound, QTLINFO_MAX_PACKET, &status), 1400u);
  EXPECT_EQ(QTLCloseEndpoint(unbound), QTL_SUCCESS);
}

TEST_F(UdpTest, EventRecordsOfOneKindAreFreedWithTheOneDelivered) {
  for (int i = 0; i < 3; ++i) {
    tessel::qtl::QueueRecord(*receiver_, nullptr, 0, nullptr, QTL_SUCCESS,
                             tessel::qtl::kRecordWritable);
  }
  tessel::qtl::QueueRecord(*receiver_, nullptr, 0, nullptr, QTLERR_TRANSPORT_ERR,
                           tessel::qtl::kRecordOther);
  QTLProcessData();
  EXPECT_EQ(notified_.events, (std::vector<int32_t>{QTLEV_WRITE, QTLEV_ERROR}));
  EXPECT_EQ(notified_.statuses, (std::vector<int32_t>{QTL_SUCCESS, QTLERR_TRANSPORT_ERR}));
  EXPECT_EQ(Queued(), 0);
}

TEST_F(UdpTest, OnlyTheOwnerThreadTakesOrClosesAnEndpoint) {
  std::thread other([&] {
    EXPECT_EQ(QTLCloseEndpoint(receiver_), QTLERR_BAD_CONTEXT);
    uint8_t* data;
    int32_t length;
    int32_t status;
    EXPECT_EQ(QTLAcquirePacket(receiver_, nullptr, &data, &length, &status), nullptr);
    EXPECT_EQ(status, QTLERR_BAD_CONTEXT);
  });
  other.join();
  Send(4, 'z');
  WaitForQueued(1);
}

TEST_F(TransportTest, NullEndpointsAndBadOpensAreRefused) {
  int32_t status = 0;
  EXPECT_EQ(QTLOpenEndpoint(QTL_PROTO_UDP, 4, &status), nullptr);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLOpenEndpoint(QTL_PROTO_NETBIOS, 1, &status), nullptr);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetInfo(nullptr, QTLINFO_MAX_PACKET, &status), 0u);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLInstallNotifier(nullptr, Record, 0), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLSendPacket(nullptr, Loopback(9), nullptr, 0), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLConnect(nullptr, Loopback(9)), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLCloseEndpoint(nullptr), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLBind(nullptr, 0), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLDisconnect(), QTLERR_NOT_SUPPORTED);
  // Opening without any QTLInit takes its own context and start.
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
  ASSERT_NE(endpoint, nullptr);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_UDP);
  EXPECT_EQ(QTLInstallNotifier(endpoint, nullptr, 0), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLConnect(endpoint, Loopback(9)), QTLERR_INTERNAL);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
}

TEST_F(TransportTest, ProtocolInfoAndStrings) {
  int32_t status = 0;
  EXPECT_EQ(QTLGetProtocolInfo(QTL_PROTO_NETBIOS, QTLINFO_ORDINAL, &status), 0u);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetProtocolInfo(QTL_PROTO_SPX, QTLINFO_RPC_PORT, &status), 0x901Au);
  EXPECT_EQ(status, QTL_SUCCESS);
  EXPECT_EQ(QTLGetProtocolInfo(QTL_PROTO_IPX, QTLINFO_RPC_PORT, nullptr), 0x9019u);
  EXPECT_EQ(QTLGetProtocolInfo(QTL_PROTO_TCP, QTLINFO_STREAM, nullptr), 1u);
  EXPECT_EQ(QTLGetProtocolInfo(QTL_PROTO_UDP, QTLINFO_MAX_PACKET, &status), 0u);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetProtocolInfo(0x0004, QTLINFO_STREAM, &status), 0u);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);

  char text[32] = "untouched";
  EXPECT_EQ(QTLGetProtocolString(QTL_PROTO_TCP, 2, text), 0);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(QTLGetProtocolString(QTL_PROTO_UDP, 1, nullptr), 4);
  EXPECT_EQ(QTLGetProtocolString(QTL_PROTO_IPX, 2, text), 14);
  EXPECT_STREQ(text, "1.3.6.1.6.1.5");
  EXPECT_GT(QTLGetProtocolString(QTL_PROTO_NETBIOS, 2, text), 0);
  EXPECT_EQ(std::strncmp(text, "1.3.6.1.4.1.32473.", 18), 0);
  EXPECT_EQ(QTLGetProtocolString(QTL_PROTO_UDP, 3, text), 0);
}

// What the replaced socket module answers for buffer sizes and the
// datagram limit.
std::atomic<int32_t> receiveBuffer, sendBuffer;
std::atomic<uint16_t> datagramLimit;
LPFN_WSASTARTUP realStartup;

int SizedStartup(WORD version, WSADATA* data) {
  const int result = realStartup(version, data);
  data->iMaxUdpDg = datagramLimit;
  return result;
}

int SizedGetsockopt(SOCKET, int level, int name, char* value, int* length) {
  EXPECT_EQ(level, WS_SOL_SOCKET);
  const int32_t size = name == WS_SO_RCVBUF ? receiveBuffer.load() : sendBuffer.load();
  std::memcpy(value, &size, sizeof size);
  *length = sizeof size;
  return 0;
}

uint32_t MaxPacketWith(int32_t receive, int32_t send, uint16_t limit) {
  receiveBuffer = receive;
  sendBuffer = send;
  datagramLimit = limit;
  int32_t status = -1;
  QTLEndpoint endpoint = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
  EXPECT_EQ(status, QTL_SUCCESS);
  if (!endpoint) return 0;
  const uint32_t value = QTLGetInfo(endpoint, QTLINFO_MAX_PACKET, nullptr);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
  return value;
}

TEST_F(TransportTest, LargestDatagramFollowsMtuOrTheSocketsBuffers) {
  realStartup = reinterpret_cast<LPFN_WSASTARTUP>(ReplacedSocketModule::Original("WSAStartup"));
  ReplacedSocketModule sized(
      {{"WSAStartup", AsProc(SizedStartup)}, {"getsockopt", AsProc(SizedGetsockopt)}});
  EXPECT_EQ(MaxPacketWith(8192, 8192, 9000), 1400u);
  EXPECT_EQ(MaxPacketWith(8192, 8192, 0), 512u);
  EXPECT_EQ(MaxPacketWith(256, 8192, 9000), 512u);
  EXPECT_EQ(MaxPacketWith(8192, 900, 9000), 900u);
  SetTransportSetting("UDP", "MTU", 1400);
  EXPECT_EQ(MaxPacketWith(8192, 900, 9000), 1400u);
  SetTransportSetting("UDP", "MTU", 1401);
  EXPECT_EQ(MaxPacketWith(8192, 900, 9000), 900u);
  SetTransportSetting("UDP", "MTU", 511);
  EXPECT_EQ(MaxPacketWith(8192, 8192, 700), 700u);
}

// A receive that fails on the endpoint thread (which receives for a thread
// in wake-function mode) holds no context; it is logged and reaches the
// owner as a record.
LPFN_WSAGETLASTERROR realLastError;
thread_local int failedReceive;
int FailingRecvfrom(SOCKET, char*, int, int, SOCKADDR*, int*) {
  failedReceive = WSAECONNRESET;
  return WS_SOCKET_ERROR;
}
int LastError() { return failedReceive ? failedReceive : realLastError(); }

int BusySendto(SOCKET, const char*, int, int, const SOCKADDR*, int) { return WS_SOCKET_ERROR; }
int WouldBlock() { return WSAEWOULDBLOCK; }

TEST_F(TransportTest, FailuresOnTheEndpointThreadAreLoggedAndQueued) {
  const std::string log = tessel_test::TempDirectory() + "/receive-failure.log";
  ASSERT_EQ(QRTLEnableLogging(log.c_str(), QRTL_LOG_ALL, 1), QRTL_SUCCESS);
  realLastError =
      reinterpret_cast<LPFN_WSAGETLASTERROR>(ReplacedSocketModule::Original("WSAGetLastError"));
  {
    ReplacedSocketModule failing(
        {{"recvfrom", AsProc(FailingRecvfrom)}, {"WSAGetLastError", AsProc(LastError)}});
    ASSERT_EQ(QTLInitEx(0, [](uint32_t, uintptr_t) {}, 0), QTL_SUCCESS);
    int32_t status;
    QTLEndpoint receiver = QTLOpenEndpoint(QTL_PROTO_UDP, QTL_MODE_READ, &status);
    QTLEndpoint sender = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
    ASSERT_TRUE(receiver && sender);
    ASSERT_EQ(QTLBind(receiver, 0), QTL_SUCCESS);
    const uint8_t byte = 1;
    const NetAddress to = Loopback(uint16_t(QTLGetInfo(receiver, QTLINFO_LOCAL_PORT, nullptr)));
    ASSERT_EQ(QTLSendPacket(sender, to, &byte, 1), QTL_SUCCESS);
    uint8_t buffer[8];
    int32_t length = 0;
    EXPECT_TRUE(PumpUntil([&] {
      status = QTLReceivePacket(receiver, nullptr, buffer, sizeof buffer, &length);
      return status != QTLWARN_NODATA;
    }));
    EXPECT_EQ(status, QTLERR_TRANSPORT_ERR);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(QTLCloseEndpoint(receiver), QTL_SUCCESS);
    EXPECT_EQ(QTLCloseEndpoint(sender), QTL_SUCCESS);
    EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
  }
  {
    ReplacedSocketModule busy(
        {{"sendto", AsProc(BusySendto)}, {"WSAGetLastError", AsProc(WouldBlock)}});
    int32_t status;
    QTLEndpoint sender = QTLOpenEndpoint(QTL_PROTO_UDP, 0, &status);
    const uint8_t byte = 1;
    EXPECT_EQ(QTLSendPacket(sender, Loopback(9), &byte, 1), QTLERR_SOCKET_BUSY);
    EXPECT_EQ(QTLCloseEndpoint(sender), QTL_SUCCESS);
  }
  ASSERT_EQ(QRTLDisableLogging(), QRTL_SUCCESS);
  const std::string lines = tessel_test::ReadFile(log);
  EXPECT_NE(lines.find("Call to recvfrom failed.  Error = 10054"), std::string::npos) << lines;
  EXPECT_NE(lines.find("sendto function would block or no buffers"), std::string::npos);
  EXPECT_NE(lines.find("UDP transport loaded"), std::string::npos);
  EXPECT_NE(lines.find("QTLCloseEndpoint destroyed "), std::string::npos);
}

}  // namespace
