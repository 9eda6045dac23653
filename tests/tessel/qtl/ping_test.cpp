#include <chrono>
#include <cstring>
#include <string>

#include "ipx_network.h"
#include "loopback_peer.h"
#include "platform/error.h"
#include "platform/icmp.h"
#include "platform/module.h"
#include "thread_runner.h"
#include "transport_fixture.h"

namespace {

NetAddress Target(uint32_t protocol, uint32_t host) {
  NetAddress target{};
  target.protocol = protocol;
  target.u.ip.address = host;
  return target;
}

using PingTest = TransportTest;

TEST_F(PingTest, RefusedArgumentsAndTargetsWithoutEcho) {
  const NetAddress loopback = Target(QTL_PROTO_UDP, 0x7F000001u);
  EXPECT_EQ(QTLPing(nullptr, 1), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLPing(&loopback, 0), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLPing(&loopback, -1), QTLERR_INVALID_PARAM);
  const NetAddress netbios = Target(QTL_PROTO_NETBIOS, 0);
  EXPECT_EQ(QTLPing(&netbios, 1), QTL_SUCCESS);
}

TEST_F(PingTest, LoopbackAnswersUdpAndTcpTargets) {
  for (uint32_t protocol : {QTL_PROTO_UDP, QTL_PROTO_TCP}) {
    for (uint32_t host : {0x7F000001u, 0x7F00004Du}) {
      const NetAddress target = Target(protocol, host);
      EXPECT_EQ(QTLPing(&target, 2), QTL_SUCCESS) << protocol << " " << host;
    }
  }
}

// In a network of its own whose kernel answers no echo, 127.0.0.1 stays
// silent for the whole second.
TEST_F(PingTest, AnUnansweredEchoTimesOut) {
  std::string reason;
  bool entered = false;
  int32_t status = QTL_SUCCESS;
  std::chrono::milliseconds took{};
  ThreadRunner runner([&] {
    entered = enter_private_network(true, false, reason);
    if (!entered) return;
    const NetAddress target = Target(QTL_PROTO_UDP, 0x7F000001u);
    const auto start = std::chrono::steady_clock::now();
    status = QTLPing(&target, 1);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
  });
  runner.join();
  if (!entered) GTEST_SKIP() << reason;
  EXPECT_EQ(status, QTLERR_PING_TIMEOUT);
  EXPECT_GE(took.count(), 950);
  EXPECT_LT(took.count(), 5000);
}

// An echo library that writes no reply at all: the reply buffer holds
// nothing of this echo, so only the last error may decide.
DWORD noReplyError;
DWORD replySizeGiven;

DWORD EchoWithoutReply(HANDLE, IPAddr, void*, WORD, IP_OPTION_INFORMATION*, void*,
                       DWORD replySize, DWORD) {
  replySizeGiven = replySize;
  SetLastError(noReplyError);
  return 0;
}

class SilentEchoLibrary {
 public:
  SilentEchoLibrary() {
    HMODULE real = LoadLibraryA("ICMP.DLL");
    exports_[0] = {"IcmpCreateFile", GetProcAddress(real, "IcmpCreateFile")};
    exports_[1] = {"IcmpCloseHandle", GetProcAddress(real, "IcmpCloseHandle")};
    FreeLibrary(real);
    EXPECT_TRUE(PlatformReplaceModule(&table_));
  }
  ~SilentEchoLibrary() { PlatformRestoreModule("ICMP.DLL"); }

 private:
  PlatformExport exports_[4] = {
      {}, {}, {"IcmpSendEcho", reinterpret_cast<FARPROC>(EchoWithoutReply)}, {nullptr, nullptr}};
  PlatformModuleTable table_{"ICMP.DLL", exports_};
};

TEST_F(PingTest, WithoutAReplyTheLastErrorDecides) {
  SilentEchoLibrary silent;
  const NetAddress target = Target(QTL_PROTO_UDP, 0x7F000001u);
  noReplyError = IP_REQ_TIMED_OUT;
  EXPECT_EQ(QTLPing(&target, 1), QTLERR_PING_TIMEOUT);
  EXPECT_GE(replySizeGiven, sizeof(ICMP_ECHO_REPLY) + 7 + 8);
  noReplyError = IP_GENERAL_FAILURE;
  EXPECT_EQ(QTLPing(&target, 1), QTLERR_PING_ERROR);
}

// IPX pings on a network played in memory: one host echoes, one stays
// silent, and the network 00ba0000 cannot be reached.
class IpxPingTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    network_.AddHost(IpxAddress::Of(0x00BEEF00u, 0x0000C0FFEE02u), true);
    network_.AddHost(IpxAddress::Of(0x00BEEF00u, 0x0000C0FFEE03u), false);
  }
  static NetAddress Host(const char* text, uint32_t protocol = QTL_PROTO_IPX) {
    NetAddress host{};
    EXPECT_EQ(QTLStringToNetAddr(text, protocol, &host), QTL_SUCCESS);
    EXPECT_EQ(QTLFillPortNumber(protocol, 0x8060, &host), QTL_SUCCESS);
    return host;
  }
  IpxNetwork network_;
};

TEST_F(IpxPingTest, AnEchoingHostAnswersIpxAndSpxTargets) {
  for (uint32_t protocol : {QTL_PROTO_IPX, QTL_PROTO_SPX}) {
    const NetAddress echoing = Host("00beef00.0000c0ffee02", protocol);
    EXPECT_EQ(QTLPing(&echoing, 2), QTL_SUCCESS);
  }
  const std::vector<IpxDatagram> sent = network_.Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].from.socket, 22020);
  EXPECT_EQ(sent[0].to, IpxAddress::Of(0x00BEEF00u, 0x0000C0FFEE02u, 0x8060));
  EXPECT_EQ(sent[0].data, std::vector<uint8_t>(7, 0));
  EXPECT_EQ(network_.OpenSockets(), 0u);
}

// The endpoint can send as soon as it is open; only a datagram back counts.
TEST_F(IpxPingTest, ASilentHostTimesOutAndAnUnreachableOneFails) {
  const NetAddress silent = Host("00beef00.0000c0ffee03");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QTLPing(&silent, 1), QTLWARN_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
  const NetAddress unreachable = Host("00ba0000.0000c0ffee02");
  EXPECT_EQ(QTLPing(&unreachable, 1), QTLERR_BAD_ADDRESS);
  EXPECT_EQ(network_.OpenSockets(), 0u);
}

int32_t pingInsideDelay;

void PingFromTimer(QTLTimer, uintptr_t target) {
  pingInsideDelay = QTLPing(reinterpret_cast<const NetAddress*>(target), 1);
  QTLCancelDelay(1);
}

TEST_F(IpxPingTest, APingInsideARunningDelayIsRefused) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  const NetAddress echoing = Host("00beef00.0000c0ffee02");
  int32_t status = -1;
  ASSERT_NE(QTLInitTimer(10, reinterpret_cast<uintptr_t>(&echoing), PingFromTimer, &status),
            nullptr);
  EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
  EXPECT_EQ(pingInsideDelay, QTLERR_BLOCKING);
  EXPECT_TRUE(network_.Sent().empty());
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

}  // namespace
