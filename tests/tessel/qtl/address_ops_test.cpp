#include <cstring>
#include <optional>
#include <string>

#include "address_text.h"
#include "ipx_network.h"
#include "local_address.h"
#include "platform/error.h"
#include "socket_module.h"
#include "transport_fixture.h"

namespace {

NetAddress FromText(const char* text, uint32_t protocol, int32_t expected = QTL_SUCCESS) {
  NetAddress address{};
  EXPECT_EQ(QTLStringToNetAddr(text, protocol, &address), expected) << text;
  return address;
}

std::string ToText(const NetAddress& address, uint32_t size, int32_t expected = QTL_SUCCESS) {
  char text[32];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(QTLNetAddrToString(address, text, size), expected);
  return std::string(text, strnlen(text, size));
}

TEST(AddressText, IpTextsAndTheirChecks) {
  const NetAddress address = FromText("192.168.1.20", QTL_PROTO_UDP);
  EXPECT_EQ(address.u.ip.address, 0xC0A80114u);
  EXPECT_EQ(address.u.ip.port, 0);
  EXPECT_EQ(FromText("192.168.1.300", QTL_PROTO_TCP).u.ip.address, 0u);
  for (const char* bad : {"1.2.3", "1.2.3.4.5", "1234.1.1.1", "1.2.3.x", ""}) {
    FromText(bad, QTL_PROTO_UDP, QTLERR_INVALID_PARAM);
  }
  EXPECT_EQ(ToText(address, 15, QTLERR_INVALID_PARAM), "");
  EXPECT_EQ(ToText(address, 16), "192.168.1.20");
}

TEST(AddressText, IpxTextsAndTheirChecks) {
  NetAddress address = FromText("0000ab12.00a0c9123456", QTL_PROTO_IPX);
  const uint8_t network[4] = {0x00, 0x00, 0xAB, 0x12};
  const uint8_t node[6] = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56};
  EXPECT_EQ(std::memcmp(address.u.ipx.network, network, 4), 0);
  EXPECT_EQ(std::memcmp(address.u.ipx.node, node, 6), 0);
  EXPECT_EQ(ToText(address, 22), "0000ab12.00a0c9123456");
  EXPECT_EQ(ToText(address, 21, QTLERR_INVALID_PARAM), "");

  address = FromText("AB12.3456", QTL_PROTO_SPX);
  const uint8_t shortNode[6] = {0, 0, 0, 0, 0x34, 0x56};
  EXPECT_EQ(std::memcmp(address.u.ipx.network, network, 4), 0);
  EXPECT_EQ(std::memcmp(address.u.ipx.node, shortNode, 6), 0);
  EXPECT_EQ(address.protocol, QTL_PROTO_SPX);
  EXPECT_EQ(FromText("1.abc", QTL_PROTO_IPX).u.ipx.node[4], 0x0A);

  // Letters count like digits on both sides, so no text can fill more than
  // the record's bytes; the dot is required.
  const std::string tooLong(21, 'a');
  for (const std::string& bad : {tooLong + ".1", std::string("abcdefab1.1"),
                                 std::string("123456789.1"), std::string("1.abcdefabcdef1"),
                                 std::string("ab123456"), std::string("1.2.3"),
                                 std::string("ab.cg")}) {
    FromText(bad.c_str(), QTL_PROTO_IPX, QTLERR_INVALID_PARAM);
  }
  EXPECT_TRUE(tessel::qtl::IsIpxText("abcdefab.abcdefabcdef"));
  EXPECT_FALSE(tessel::qtl::IsIpxText("abcdefab.abcdefabcdef0"));

  address.u.ipx.network[2] = address.u.ipx.network[3] = 0;
  EXPECT_EQ(ToText(address, 22, QTLERR_BAD_ADDRESS), "");
}

TEST(AddressText, NetbiosTextsAndOtherProtocols) {
  const NetAddress address = FromText("00a0c9123456", QTL_PROTO_NETBIOS);
  EXPECT_EQ(std::string(address.u.netbios.name, 12), "00A0C9123456");
  FromText("PRINTER", QTL_PROTO_NETBIOS, QTLERR_INVALID_PARAM);
  FromText("1.2.3.4", QTL_PROTO_NETBIOS, QTLERR_INVALID_PARAM);
  EXPECT_EQ(ToText(address, 12), "00A0C9123456");
  EXPECT_EQ(ToText(address, 11, QTLERR_INVALID_PARAM), "");

  FromText("1.2.3.4", 0x0004, QTLERR_NOT_SUPPORTED);
  NetAddress unknown{};
  unknown.protocol = 0x0004;
  EXPECT_EQ(ToText(unknown, 32, QTLERR_NOT_SUPPORTED), "");
  EXPECT_EQ(QTLStringToNetAddr(nullptr, QTL_PROTO_UDP, &unknown), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLStringToNetAddr("1.2.3.4", QTL_PROTO_UDP, nullptr), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLNetAddrToString(unknown, nullptr, 32), QTLERR_INVALID_PARAM);
}

TEST(AddressOps, ComparisonPortsAndBroadcasts) {
  NetAddress a = FromText("10.0.0.1", QTL_PROTO_UDP);
  NetAddress b = a;
  b.u.ip.port = 161;
  EXPECT_EQ(QTLAddressesEqual(QTL_COMPARE_HOSTS, &a, &b), 1);
  EXPECT_EQ(QTLAddressesEqual(0, &a, &b), 0);
  b = a;
  b.protocol = QTL_PROTO_TCP;
  EXPECT_EQ(QTLAddressesEqual(QTL_COMPARE_HOSTS, &a, &b), 0);
  EXPECT_EQ(QTLAddressesEqual(0, &a, nullptr), 0);
  NetAddress ipx = FromText("1.2", QTL_PROTO_IPX);
  NetAddress otherSocket = ipx;
  otherSocket.u.ipx.socket[1] = 1;
  EXPECT_EQ(QTLAddressesEqual(QTL_COMPARE_HOSTS, &ipx, &otherSocket), 1);
  EXPECT_EQ(QTLAddressesEqual(0, &ipx, &otherSocket), 0);

  NetAddress filled;
  std::memset(&filled, 0x55, sizeof filled);
  ASSERT_EQ(QTLFillPortNumber(QTL_PROTO_SPX, 515, &filled), QTL_SUCCESS);
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&filled);
  EXPECT_EQ(filled.protocol, QTL_PROTO_SPX);
  EXPECT_EQ(bytes[14], 0x02);
  EXPECT_EQ(bytes[15], 0x03);
  EXPECT_EQ(bytes[13], 0x55);  // the rest stays
  EXPECT_EQ(QTLFillPortNumber(0x0004, 1, &filled), QTLERR_INTERNAL);
  EXPECT_EQ(filled.protocol, 0x0004u);

  ASSERT_EQ(QTLBroadcastAddress(QTL_PROTO_UDP, 161, &filled), QTL_SUCCESS);
  EXPECT_EQ(filled.u.ip.port, 161);
  EXPECT_EQ(filled.u.ip.address, 0xFFFFFFFFu);
  ASSERT_EQ(QTLBroadcastAddress(QTL_PROTO_NETBIOS, 7, &filled), QTL_SUCCESS);
  EXPECT_EQ(std::string(filled.u.netbios.name, 14), "FFFFFFFFFFFF00");
  EXPECT_EQ(filled.u.netbios.port, 7);
  EXPECT_EQ(QTLBroadcastAddress(0x0004, 7, &filled), QTLERR_INTERNAL);
}

// The local IP address through a socket library whose answers the test
// chooses; nothing leaves the machine.
int socketCalls;
LPFN_SOCKET realSocket;
uint32_t routeAnswer;  // what getsockname reports, host order
const HOSTENT* hostAnswer;

SOCKET CountingSocket(int af, int type, int protocol) {
  ++socketCalls;
  return realSocket(af, type, protocol);
}
int AcceptConnect(SOCKET, const SOCKADDR*, int) { return 0; }
int ReportRoute(SOCKET, SOCKADDR* name, int* length) {
  SOCKADDR_IN local{};
  local.sin_family = WS_AF_INET;
  local.sin_addr.s_addr = __builtin_bswap32(routeAnswer);
  std::memcpy(name, &local, sizeof local);
  *length = sizeof local;
  return 0;
}
HOSTENT* AnswerHost(const char*) {
  if (!hostAnswer) SetLastError(WSAHOST_NOT_FOUND);
  return const_cast<HOSTENT*>(hostAnswer);
}

class LocalAddressTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    realSocket = reinterpret_cast<LPFN_SOCKET>(ReplacedSocketModule::Original("socket"));
    module_.emplace(std::map<std::string, FARPROC>{{"socket", AsProc(CountingSocket)},
                                                   {"connect", AsProc(AcceptConnect)},
                                                   {"getsockname", AsProc(ReportRoute)},
                                                   {"gethostbyname", AsProc(AnswerHost)}});
    tessel::qtl::ForgetLocalAddress();
    ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
    socketCalls = 0;  // the transport's own test socket is not counted
  }
  void TearDown() override {
    EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
    tessel::qtl::ForgetLocalAddress();
    module_.reset();
    TransportTest::TearDown();
  }
  std::optional<ReplacedSocketModule> module_;
};

TEST_F(LocalAddressTest, FoundOnceThenKept) {
  routeAnswer = 0xC0000207u;  // 192.0.2.7
  NetAddress out;
  ASSERT_EQ(QTLLocalAddress(QTL_PROTO_TCP, &out), QTL_SUCCESS);
  EXPECT_EQ(out.protocol, QTL_PROTO_TCP);
  EXPECT_EQ(out.u.ip.address, 0xC0000207u);
  EXPECT_EQ(out.u.ip.port, 0);
  routeAnswer = 0xC0000208u;
  ASSERT_EQ(QTLLocalAddress(QTL_PROTO_UDP, &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, 0xC0000207u);
  EXPECT_EQ(socketCalls, 1);
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_NETBIOS, &out), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_UDP, nullptr), QTLERR_INVALID_PARAM);
}

TEST_F(LocalAddressTest, ARejectedCandidateIsNeverKept) {
  routeAnswer = WS_INADDR_LOOPBACK;
  hostAnswer = nullptr;
  NetAddress out;
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_UDP, &out), QTLERR_TRANSPORT_ERR);
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_UDP, &out), QTLERR_TRANSPORT_ERR);
  EXPECT_EQ(out.u.ip.address, 0u);
  EXPECT_EQ(socketCalls, 2);

  char address[4] = {'\xC0', 0, 2, 9};
  char* addresses[2] = {address, nullptr};
  char name[] = "here";
  const HOSTENT host{name, nullptr, WS_AF_INET, 4, addresses};
  hostAnswer = &host;
  routeAnswer = WS_INADDR_BROADCAST;
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_UDP, &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, 0xC0000209u);
  hostAnswer = nullptr;
}

// IPX is asked anew each time; the host found last stays when a search
// fails (here, once the machine has no IPX).
TEST_F(TransportTest, LocalIpxAddressIsTheFirstAdaptersAndTheLastFoundStays) {
  tessel::qtl::ForgetLocalAddress();
  NetAddress out;
  {
    IpxNetwork network;
    network.SetLocalAdapters({IpxAddress::Of(0x00001234u, 0x0000AABBCCDDu),
                              IpxAddress::Of(IpxNetwork::kLocalNetwork, IpxNetwork::kLocalNode)});
    ASSERT_EQ(QTLInit(QTL_PROTO_SPX), QTL_SUCCESS);
    ASSERT_EQ(QTLLocalAddress(QTL_PROTO_SPX, &out), QTL_SUCCESS);
    EXPECT_EQ(network.OpenSockets(), 0u);
    EXPECT_EQ(QTLCleanup(QTL_PROTO_SPX), QTL_SUCCESS);
  }
  EXPECT_EQ(out.protocol, QTL_PROTO_SPX);
  EXPECT_EQ(ToText(out, 22), "00001234.0000aabbccdd");
  EXPECT_EQ(out.u.ipx.socket[0] | out.u.ipx.socket[1], 0);
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  EXPECT_EQ(QTLLocalAddress(QTL_PROTO_IPX, &out), QTLERR_SOCKET_CREATE);
  EXPECT_EQ(ToText(out, 22), "00001234.0000aabbccdd");
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  tessel::qtl::ForgetLocalAddress();
}

}  // namespace
