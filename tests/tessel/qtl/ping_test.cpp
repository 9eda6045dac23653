#include <chrono>
#include <cstring>
#include <string>

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
  PlatformExport exports_[4] = {{}, {}, {"IcmpSendEcho", reinterpret_cast<FARPROC>(EchoWithoutReply)},
                                {nullptr, nullptr}};
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

}  // namespace
