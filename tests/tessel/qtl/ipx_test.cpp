#include <chrono>
#include <cstring>
#include <vector>

#include "ipx_addresses.h"
#include "ipx_network.h"
#include "notifications.h"
#include "platform/version.h"
#include "transport_fixture.h"
#include "winsock_api.h"

namespace {

const IpxAddress kLocal = IpxAddress::Of(IpxNetwork::kLocalNetwork, IpxNetwork::kLocalNode);
const IpxAddress kPrinter = IpxAddress::Of(IpxNetwork::kLocalNetwork, 0x0000C0FFEE01u, 0x8060);
const IpxAddress kServer = IpxAddress::Of(0x00BEEF00u, 0x0000C0FFEE02u, 0x8060);

QTLEndpoint Open(uint32_t protocol, int32_t mode, Notified* notified) {
  int32_t status = -1;
  QTLEndpoint endpoint = QTLOpenEndpoint(protocol, mode, &status);
  EXPECT_EQ(status, QTL_SUCCESS);
  if (endpoint && notified) {
    EXPECT_EQ(QTLInstallNotifier(endpoint, Record, reinterpret_cast<uintptr_t>(notified)),
              QTL_SUCCESS);
  }
  return endpoint;
}

TEST_F(TransportTest, IpxEndpointsExchangeDatagramsOnTheNetwork) {
  IpxNetwork network;
  ASSERT_EQ(QTLInit(QTL_PROTO_IPX), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_IPX);
  Notified notified;
  QTLEndpoint receiver = Open(QTL_PROTO_IPX, QTL_MODE_READ, &notified);
  QTLEndpoint sender = Open(QTL_PROTO_IPX, 0, nullptr);
  ASSERT_TRUE(receiver && sender);
  ASSERT_EQ(QTLBind(receiver, 0x4545), QTL_SUCCESS);
  EXPECT_EQ(QTLGetInfo(receiver, QTLINFO_LOCAL_PORT, nullptr), 0x4545u);
  EXPECT_EQ(QTLGetInfo(receiver, QTLINFO_MAX_PACKET, nullptr), 546u);
  EXPECT_EQ(QTLConnect(receiver, ToNetAddress(kPrinter)), QTLERR_INTERNAL);

  IpxAddress to = kLocal;
  to.socket = 0x4545;
  const uint8_t hello[] = "hello";
  ASSERT_EQ(QTLSendPacket(sender, ToNetAddress(to), hello, sizeof hello), QTL_SUCCESS);
  ASSERT_TRUE(NextEvent(notified));
  EXPECT_EQ(notified.events, std::vector<int32_t>{QTLEV_DATA});
  NetAddress from{};
  uint8_t buffer[600];
  int32_t length = 0;
  ASSERT_EQ(QTLReceivePacket(receiver, &from, buffer, sizeof buffer, &length), QTL_SUCCESS);
  EXPECT_EQ(length, int32_t(sizeof hello));
  EXPECT_EQ(from.protocol, QTL_PROTO_IPX);
  const IpxAddress source = FromNetAddress(from);
  EXPECT_TRUE(source.SameHost(kLocal));
  EXPECT_EQ(source.socket, network.Sent().at(0).from.socket);

  EXPECT_EQ(QTLCloseEndpoint(receiver), QTL_SUCCESS);
  EXPECT_EQ(QTLCloseEndpoint(sender), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_IPX), QTL_SUCCESS);
}

// A destination is probed when it differs from the last one reached; one
// that cannot be reached fails every send and is never sent to.
TEST_F(TransportTest, IpxProbesEachNewDestinationOnce) {
  IpxNetwork network;
  network.AddHost(kPrinter, false);
  network.AddHost(kServer, false);
  QTLEndpoint endpoint = Open(QTL_PROTO_IPX, 0, nullptr);
  ASSERT_NE(endpoint, nullptr);
  const uint8_t byte = 7;
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kPrinter), &byte, 1), QTL_SUCCESS);
  // The protocol field does not make another destination.
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kPrinter, QTL_PROTO_SPX), &byte, 1), QTL_SUCCESS);
  EXPECT_EQ(network.Probes(kPrinter), 1);
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kServer), &byte, 1), QTL_SUCCESS);
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kPrinter), &byte, 1), QTL_SUCCESS);
  EXPECT_EQ(network.Probes(kServer), 1);
  EXPECT_EQ(network.Probes(kPrinter), 2);
  EXPECT_EQ(network.Sent().size(), 4u);

  const IpxAddress nowhere = IpxAddress::Of(0x00DEAD00u, 0x1u, 0x8060);
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(nowhere), &byte, 1), QTLERR_BAD_ADDRESS);
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(nowhere), &byte, 1), QTLERR_BAD_ADDRESS);
  EXPECT_EQ(network.Probes(nowhere), 2);
  EXPECT_EQ(network.Sent().size(), 4u);
  // The last destination reached is still known.
  EXPECT_EQ(QTLSendPacket(endpoint, ToNetAddress(kPrinter), &byte, 1), QTL_SUCCESS);
  EXPECT_EQ(network.Probes(kPrinter), 2);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
}

TEST_F(TransportTest, SpxConnectsThroughIpxAndCarriesAStream) {
  IpxNetwork network;
  network.AddHost(kServer, false);
  network.AcceptSpx(kServer);
  ASSERT_EQ(QTLInit(QTL_PROTO_SPX), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(), QTL_PROTO_SPX | QTL_PROTO_IPX);
  Notified notified;
  QTLEndpoint endpoint = Open(QTL_PROTO_SPX, QTL_MODE_READ, &notified);
  ASSERT_NE(endpoint, nullptr);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_RPC_PORT, nullptr), 0x9019u);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_STREAM, nullptr), 1u);

  ASSERT_EQ(QTLConnect(endpoint, ToNetAddress(kServer, QTL_PROTO_SPX)), QTLWARN_CONNECTING);
  ASSERT_TRUE(NextEvent(notified));
  EXPECT_EQ(notified.statuses.back(), QTL_SUCCESS);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_CONNECTED, nullptr), 1u);
  ASSERT_EQ(network.SpxConnections(), 1u);

  const std::vector<uint8_t> request = {'P', 'J', 'L'};
  EXPECT_EQ(QTLSendPacket(endpoint, NetAddress{}, request.data(), int32_t(request.size())),
            QTL_SUCCESS);
  EXPECT_EQ(network.TakeSpxBytes(0), request);

  // 1000 bytes come as two packets; the source is an IPX address.
  std::vector<uint8_t> answer(1000);
  for (size_t i = 0; i < answer.size(); ++i) answer[i] = uint8_t(i);
  network.SendSpx(0, answer);
  ASSERT_TRUE(NextEvent(notified));
  EXPECT_EQ(notified.events.back(), QTLEV_DATA);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_QUEUED_BYTES, nullptr), 1000u);
  std::vector<uint8_t> received;
  NetAddress from{};
  uint8_t buffer[400];
  int32_t length = 0;
  while (QTLReceivePacket(endpoint, &from, buffer, sizeof buffer, &length) == QTL_SUCCESS) {
    received.insert(received.end(), buffer, buffer + length);
  }
  EXPECT_EQ(received, answer);
  EXPECT_EQ(from.protocol, QTL_PROTO_IPX);
  EXPECT_EQ(FromNetAddress(from), kServer);

  network.CloseSpx(0);
  ASSERT_TRUE(NextEvent(notified));
  EXPECT_EQ(notified.events.back(), QTLEV_CONNECT);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_CONNECTED, nullptr), 0u);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
  EXPECT_TRUE(network.SpxClosedByMachine(0));

  // Nobody accepts on another socket number.
  endpoint = Open(QTL_PROTO_SPX, 0, &notified);
  IpxAddress closed = kServer;
  closed.socket = 0x8061;
  ASSERT_EQ(QTLConnect(endpoint, ToNetAddress(closed, QTL_PROTO_SPX)), QTLWARN_CONNECTING);
  ASSERT_TRUE(NextEvent(notified));
  EXPECT_EQ(notified.statuses.back(), QTLERR_TRANSPORT_ERR);
  EXPECT_EQ(QTLGetInfo(endpoint, QTLINFO_CONNECTED, nullptr), 0u);
  EXPECT_EQ(QTLCloseEndpoint(endpoint), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_SPX), QTL_SUCCESS);
}

TEST_F(TransportTest, AllTransportsWithIpxDeferredStartItForSpxOnly) {
  IpxNetwork network;
  SetTransportSetting("QTL", "Deferred Transports", QTL_PROTO_IPX);
  ASSERT_EQ(QTLInit(QTL_PROTO_ALL), QTL_SUCCESS);
  EXPECT_EQ(QTLGetLoadedTransports(),
            QTL_PROTO_UDP | QTL_PROTO_TCP | QTL_PROTO_SPX | QTL_PROTO_IPX);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_ALL), QTL_SUCCESS);
}

// The version the platform reports, for as long as the object lives.
class ReportedVersion {
 public:
  ReportedVersion(DWORD major, DWORD minor) {
    OSVERSIONINFOA version{sizeof(OSVERSIONINFOA), major, minor, 1057, VER_PLATFORM_WIN32_NT, ""};
    PlatformReplaceVersion(&version);
  }
  ~ReportedVersion() { PlatformReplaceVersion(nullptr); }
};

// Milliseconds a start and stop of IPX take.
int64_t StartAndStopIpx() {
  EXPECT_EQ(QTLInit(QTL_PROTO_IPX), QTL_SUCCESS);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QTLCleanup(QTL_PROTO_IPX), QTL_SUCCESS);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

int32_t CleanupTimer() { return QRTLGetProfileInt("QTL", "Cleanup Timer", -1, 2); }

TEST_F(TransportTest, TheLastIpxStopPausesOnNt351Only) {
  IpxNetwork network;
  EXPECT_LT(StartAndStopIpx(), 100);
  EXPECT_EQ(CleanupTimer(), -1);
  {
    ReportedVersion nt351(3, 51);
    EXPECT_GE(StartAndStopIpx(), 250);
    EXPECT_EQ(CleanupTimer(), 250);
    // Only the last stop pauses, as long as the setting says.
    SetTransportSetting("QTL", "Cleanup Timer", 150);
    ASSERT_EQ(QTLInit(QTL_PROTO_IPX), QTL_SUCCESS);
    EXPECT_LT(StartAndStopIpx(), 100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QTLCleanup(QTL_PROTO_IPX), QTL_SUCCESS);
    const auto paused = std::chrono::steady_clock::now() - start;
    EXPECT_GE(paused, std::chrono::milliseconds(150));
    EXPECT_LT(paused, std::chrono::milliseconds(250));
  }
  ReportedVersion nt4(4, 0);
  EXPECT_LT(StartAndStopIpx(), 100);
}

// What QTLLocalAddress reads of the machine's IPX adapters.
TEST(IpxNetworkModule, AnswersTheAdapterOptions) {
  IpxNetwork network;
  const IpxAddress second = IpxAddress::Of(0x00001234u, 0x0000AABBCCDDu);
  network.SetLocalAdapters({kLocal, second});
  WinsockApi api;
  ASSERT_TRUE(api.load());
  const SOCKET probe = api.socket(WS_AF_IPX, WS_SOCK_DGRAM, WS_NSPROTO_IPX_TYPE4);
  ASSERT_NE(probe, WS_INVALID_SOCKET);
  int32_t count = 0;
  int length = sizeof count;
  ASSERT_EQ(api.getsockopt(probe, WS_NSPROTO_IPX, WS_IPX_MAX_ADAPTER_NUM,
                           reinterpret_cast<char*>(&count), &length),
            0);
  EXPECT_EQ(count, 2);
  IPX_ADDRESS_DATA data{};
  data.adapternum = 1;
  length = sizeof data;
  ASSERT_EQ(api.getsockopt(probe, WS_NSPROTO_IPX, WS_IPX_ADDRESS, reinterpret_cast<char*>(&data),
                           &length),
            0);
  EXPECT_EQ(std::memcmp(data.netnum, second.network.data(), 4), 0);
  EXPECT_EQ(std::memcmp(data.nodenum, second.node.data(), 6), 0);
  data.adapternum = 2;
  EXPECT_EQ(api.getsockopt(probe, WS_NSPROTO_IPX, WS_IPX_ADDRESS, reinterpret_cast<char*>(&data),
                           &length),
            WS_SOCKET_ERROR);
  EXPECT_EQ(api.closesocket(probe), 0);
  api.unload();
}

}  // namespace
