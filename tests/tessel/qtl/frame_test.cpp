#include <atomic>
#include <future>
#include <thread>

#include "critical_section_lock.h"
#include "platform/thread.h"
#include "socket_module.h"
#include "transport_fixture.h"

namespace {

using tessel::CriticalSectionLock;

bool HasRegistryEntry() {
  CriticalSectionLock lock(tessel::qtl::RegistryLock());
  return tessel::qtl::FindEntryLocked(GetCurrentThreadId()) != nullptr;
}

int CountQueued(UINT message) {
  int count = 0;
  MSG queued;
  while (PeekMessageA(&queued, nullptr, message, message, PM_REMOVE)) ++count;
  return count;
}

TEST_F(TransportTest, ContextAloneMakesWindowAndEntryAndStartsNothing) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  EXPECT_EQ(QTLValidateContextCleanup(), 0);
  EXPECT_TRUE(HasRegistryEntry());
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
  EXPECT_FALSE(HasRegistryEntry());
  EXPECT_EQ(QTLCleanup(0), QTLERR_NO_INIT);
}

TEST_F(TransportTest, SupportedTransportsDefaultIsWrittenBack) {
  EXPECT_EQ(QTLGetSupportedTransports(), 787u);
  EXPECT_EQ(QRTLGetProfileInt("QTL", "Enabled Transports", 0, 2), 787);
  SetTransportSetting("QTL", "Enabled Transports", 1);
  EXPECT_EQ(QTLGetSupportedTransports(), 1u);
  EXPECT_EQ(QTLGetContext(), GetCurrentThreadId());
}

TEST_F(TransportTest, TransportNotEnabledLeavesNoContext) {
  SetTransportSetting("QTL", "Enabled Transports", 1);
  EXPECT_EQ(QTLInit(QTL_PROTO_TCP), QTLERR_NOT_ENABLED);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  EXPECT_EQ(QTLInit(0x0004), QTLERR_NOT_ENABLED);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
}

TEST_F(TransportTest, AllTransportsRequestsNestAndHoldTheirOwnStarts) {
  // Without IPX on this system the set is UDP and TCP.
  constexpr uint32_t kIp = QTL_PROTO_UDP | QTL_PROTO_TCP;
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), kIp);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), kIp);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);

  // A single transport asked for while the set is in force: each request
  // stops its own start.
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), kIp);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);

  // Deferred transports are left out of the set, unless another one needs
  // them: TCP brings UDP along.
  SetTransportSetting("QTL", "Deferred Transports", QTL_PROTO_TCP);
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_UDP);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
  SetTransportSetting("QTL", "Deferred Transports", QTL_PROTO_UDP);
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), kIp);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
}

int RefuseVersion(WORD, WSADATA* data) {
  data->wVersion = 0x0202;
  return 0;
}

std::atomic<int> cleanups;
LPFN_WSACLEANUP realCleanup;
int CountingCleanup() {
  ++cleanups;
  return realCleanup();
}

TEST_F(TransportTest, TolerantStartStopsOnlyWhatItStarted) {
  realCleanup = reinterpret_cast<LPFN_WSACLEANUP>(ReplacedSocketModule::Original("WSACleanup"));
  {
    ReplacedSocketModule refusing({{"WSAStartup", AsProc(RefuseVersion)}});
    ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
    EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  }
  // Another thread starts UDP; this thread's set never held it.
  std::promise<void> started, release;
  std::thread other([&] {
    EXPECT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
    started.set_value();
    release.get_future().wait();
    EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  });
  started.get_future().wait();
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_UDP);
  release.set_value();
  other.join();
}

TEST_F(TransportTest, RefusedVersionAndMissingEntryPointFailTheStart) {
  realCleanup = reinterpret_cast<LPFN_WSACLEANUP>(ReplacedSocketModule::Original("WSACleanup"));
  cleanups = 0;
  {
    ReplacedSocketModule refusing(
        {{"WSAStartup", AsProc(RefuseVersion)}, {"WSACleanup", AsProc(CountingCleanup)}});
    EXPECT_EQ(QTLInit(QTL_PROTO_UDP), QTLERR_UDP_INIT);
    EXPECT_EQ(cleanups, 1);
  }
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  {
    ReplacedSocketModule lacking({{"WSACancelAsyncRequest", nullptr}});
    EXPECT_EQ(QTLInit(QTL_PROTO_UDP), QTLERR_UDP_INIT);
  }
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  EXPECT_EQ(GetModuleHandleA("WSOCK32.DLL"), nullptr);
}

std::atomic<int> startups, sockets;
LPFN_WSASTARTUP realStartup;
LPFN_SOCKET realSocket;
int CountingStartup(WORD version, WSADATA* data) {
  ++startups;
  return realStartup(version, data);
}
SOCKET CountingSocket(int af, int type, int protocol) {
  ++sockets;
  return realSocket(af, type, protocol);
}

TEST_F(TransportTest, EveryStartCallsStartupAndOnlyTheFirstProbesASocket) {
  realStartup = reinterpret_cast<LPFN_WSASTARTUP>(ReplacedSocketModule::Original("WSAStartup"));
  realSocket = reinterpret_cast<LPFN_SOCKET>(ReplacedSocketModule::Original("socket"));
  realCleanup = reinterpret_cast<LPFN_WSACLEANUP>(ReplacedSocketModule::Original("WSACleanup"));
  startups = sockets = cleanups = 0;
  ReplacedSocketModule counting({{"WSAStartup", AsProc(CountingStartup)},
                                 {"socket", AsProc(CountingSocket)},
                                 {"WSACleanup", AsProc(CountingCleanup)}});
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(startups, 2);
  EXPECT_EQ(sockets, 1);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(cleanups, 1);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(cleanups, 2);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTLERR_NO_INIT);
  EXPECT_EQ(cleanups, 2);
}

std::atomic<int> wakeCalls;
void CountWake(uint32_t threadId, uintptr_t userData) {
  EXPECT_EQ(threadId, GetCurrentThreadId());
  EXPECT_EQ(userData, 77u);
  ++wakeCalls;
}

TEST_F(TransportTest, WakeFunctionModeIsOneAtATimeAndItsCleanupStopsItsTransports) {
  ASSERT_EQ(QTLInitEx(QTL_PROTO_UDP, CountWake, 77), QTL_SUCCESS);
  EXPECT_EQ(QTLInitEx(0, CountWake, 77), QTLERR_BLOCK_MODE_SET);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_UDP);
  wakeCalls = 0;
  for (int i = 0; i < 6; ++i) tessel::qtl::WakeThread(GetCurrentThreadId());
  EXPECT_EQ(wakeCalls, 5);
  EXPECT_EQ(CountQueued(QTLMSG_WAKE), 0);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  EXPECT_EQ(QTLCleanupEx(), QTLERR_NO_INIT);
}

TEST_F(TransportTest, WakeUpsAreBoundedUntilTheThreadProcessesData) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  for (int i = 0; i < 6; ++i) tessel::qtl::WakeThread(GetCurrentThreadId());
  EXPECT_EQ(CountQueued(QTLMSG_WAKE), 5);
  QTLProcessData();
  tessel::qtl::WakeThread(GetCurrentThreadId());
  EXPECT_EQ(CountQueued(QTLMSG_WAKE), 1);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

TEST_F(TransportTest, QueriesWorkWithoutAContext) {
  EXPECT_EQ(QTLValidateCleanup(), 1);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  EXPECT_STREQ(QTLErrToString(QTLERR_NOT_ENABLED, 1), "QTLERR_NOT_ENABLED");
  QTLProcessData();
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
}

}  // namespace
