#include <cstring>
#include <string>
#include <vector>

#include "name_service_double.h"
#include "transport_fixture.h"

namespace {

constexpr uint32_t kLoopback20 = 0x7F000014;  // 127.0.0.20

void SetHost(const char* table, const char* name, const char* value) {
  ASSERT_EQ(QRTLWriteProfileEntry(table, name, value, 2), QRTL_SUCCESS);
}

struct Result {
  std::string name;
  int32_t status;
  NetAddress address;
};

void Collect(NetAddress* address, int32_t status, const char* name, void* userValue) {
  static_cast<std::vector<Result>*>(userValue)->push_back({name, status, *address});
}

class ForwardLookupTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    service.addresses["print-server.test"] = kLoopback20;
    SetHost("IP Hosts", "printer-a", "127.0.0.10");
    SetHost("IP Hosts", "front-desk", "printer-a");
  }
  int32_t Resolve(const char* name, NetAddress* out) {
    return QTLGetAddrFromHostName(QTL_PROTO_UDP, name, out);
  }
  NameServiceDouble service;
};

TEST_F(ForwardLookupTest, DottedTextsAndHostTablesAnswerWithoutTheNameService) {
  NetAddress out;
  ASSERT_EQ(Resolve("192.168.1.20", &out), QTL_SUCCESS);
  EXPECT_EQ(out.protocol, QTL_PROTO_UDP);
  EXPECT_EQ(out.u.ip.address, 0xC0A80114u);
  EXPECT_EQ(out.u.ip.port, 0);
  ASSERT_EQ(Resolve("printer-a", &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, 0x7F00000Au);
  ASSERT_EQ(Resolve("front-desk", &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, 0x7F00000Au);
  EXPECT_EQ(service.forwardCalls.load(), 0);
  EXPECT_EQ(service.blockingCalls.load(), 0);
}

// Eight table entries are followed for one name; a ninth, or a cycle, is
// not found, and neither reaches the name service.
TEST_F(ForwardLookupTest, HostTableChainsAreBounded) {
  for (int i = 0; i < 9; ++i) {
    SetHost("IP Hosts", ("hop" + std::to_string(i)).c_str(),
            i == 8 ? "127.0.0.9" : ("hop" + std::to_string(i + 1)).c_str());
  }
  SetHost("IP Hosts", "loop-a", "loop-b");
  SetHost("IP Hosts", "loop-b", "loop-a");
  NetAddress out;
  ASSERT_EQ(Resolve("hop1", &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, 0x7F000009u);
  EXPECT_EQ(Resolve("hop0", &out), QTLERR_NOT_FOUND);
  EXPECT_EQ(Resolve("loop-a", &out), QTLERR_NOT_FOUND);
  EXPECT_EQ(service.forwardCalls.load(), 0);
}

TEST_F(ForwardLookupTest, NameServiceAnswersWhatTheTablesLack) {
  SetHost("IP Hosts", "retired", "X127.0.0.1");  // an 'X' value counts as absent
  NetAddress out;
  ASSERT_EQ(Resolve("print-server.test", &out), QTL_SUCCESS);
  EXPECT_EQ(out.protocol, QTL_PROTO_UDP);
  EXPECT_EQ(out.u.ip.address, kLoopback20);
  EXPECT_EQ(Resolve("retired", &out), QTLERR_NOT_FOUND);
  EXPECT_EQ(Resolve("nowhere.test", &out), QTLERR_NOT_FOUND);
  EXPECT_EQ(service.forwardCalls.load(), 3);
  EXPECT_EQ(service.cancels.load(), 0);
}

// A cancellation kept by QTLArmDelay ends the first wait before the reply
// came; the look-up waits on for its reply instead of reading a host entry
// the request has not written yet.
TEST_F(ForwardLookupTest, EarlierArmedCancelDoesNotEndTheLookUp) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ASSERT_EQ(QTLArmDelay(), QTL_SUCCESS);
  QTLCancelDelay(1);
  NetAddress out;
  EXPECT_EQ(Resolve("print-server.test", &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, kLoopback20);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

void WakeNobody(uint32_t, uintptr_t) {}

TEST_F(ForwardLookupTest, WakeFunctionModeAsksTheBlockingCall) {
  ASSERT_EQ(QTLInitEx(QTL_PROTO_UDP, WakeNobody, 0), QTL_SUCCESS);
  NetAddress out;
  EXPECT_EQ(Resolve("print-server.test", &out), QTL_SUCCESS);
  EXPECT_EQ(out.u.ip.address, kLoopback20);
  EXPECT_EQ(Resolve("nowhere.test", &out), QTLERR_NOT_FOUND);
  EXPECT_EQ(service.blockingCalls.load(), 2);
  EXPECT_EQ(service.forwardCalls.load(), 0);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
}

// Code running inside a delay (here a window procedure dispatched by it)
// cannot wait for a name request: it is refused before one is sent. Table
// names need no wait and still resolve.
struct NestedLookups {
  int32_t nameService = 1;
  int32_t table = 1;
  int32_t reverse = 1;
};

void IgnoreName(AddressNode*, int32_t, const char*, void*) {}

LRESULT LookUpInsideDelay(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_USER) return DefWindowProcA(window, message, 0, lParam);
  auto* nested = reinterpret_cast<NestedLookups*>(lParam);
  NetAddress out;
  nested->nameService = QTLGetAddrFromHostName(QTL_PROTO_UDP, "print-server.test", &out);
  nested->table = QTLGetAddrFromHostName(QTL_PROTO_UDP, "printer-a", &out);
  AddressNode* addresses = nullptr;
  QTLAddAddress(&addresses, &out, nullptr);
  nested->reverse = QTLGetManyHostNameFromAddr(&addresses, IgnoreName);
  QTLCleanupAddressList(&addresses);
  QTLCancelDelay(1);
  return 0;
}

TEST_F(ForwardLookupTest, LookUpsInsideADelayThatMustWaitAreRefused) {
  WNDCLASSA probeClass{};
  probeClass.lpfnWndProc = LookUpInsideDelay;
  probeClass.lpszClassName = "LookupProbe";
  ASSERT_TRUE(RegisterClassA(&probeClass));
  HWND probe =
      CreateWindowExA(0, "LookupProbe", nullptr, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  NestedLookups nested;
  PostMessageA(probe, WM_USER, 0, reinterpret_cast<LPARAM>(&nested));
  EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
  EXPECT_EQ(nested.nameService, QTLERR_BLOCKING);
  EXPECT_EQ(nested.table, QTL_SUCCESS);
  EXPECT_EQ(nested.reverse, QTLERR_BLOCKING);
  EXPECT_EQ(service.forwardCalls.load(), 0);
  EXPECT_EQ(service.reverseCalls.load(), 0);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);
  DestroyWindow(probe);
  UnregisterClassA("LookupProbe", nullptr);
}

// Hosts are visited newest first. A host nobody knows is reported and the
// list goes on; any other failure ends it, and the hosts it did not reach
// are left without response.
TEST_F(ForwardLookupTest, ListsGoOnPastUnknownHostsAndStopAtFailures) {
  service.failures.insert("broken.test");
  ASSERT_EQ(QTLInit(QTL_PROTO_UDP), QTL_SUCCESS);
  HostNode* hosts = nullptr;
  std::vector<Result> results;
  for (const char* name : {"last-one", "broken.test", "printer-a", "nowhere.test"}) {
    ASSERT_EQ(QTLAddHost(&hosts, name, &results), QTL_SUCCESS);
  }
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_UDP, &hosts, Collect), QTLERR_TRANSPORT_ERR);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].name, "nowhere.test");
  EXPECT_EQ(results[0].status, QTLERR_NOT_FOUND);
  EXPECT_EQ(results[1].name, "printer-a");
  EXPECT_EQ(results[1].address.u.ip.address, 0x7F00000Au);
  std::vector<int32_t> states;
  for (HostNode* node = hosts; node; node = node->next) states.push_back(node->state);
  EXPECT_EQ(states, (std::vector<int32_t>{2, 2, 3, 3}));

  HostNode* empty = nullptr;
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_UDP, &empty, Collect), QTL_SUCCESS);
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_UDP, nullptr, Collect), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_UDP, &hosts, nullptr), QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLGetManyAddrFromHostName(0x0004, &hosts, Collect), QTLERR_NOT_SUPPORTED);
  EXPECT_EQ(QTLCleanupHostList(&hosts), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(QTL_PROTO_UDP), QTL_SUCCESS);

  NetAddress out;
  EXPECT_EQ(Resolve("", &out), QTLERR_INVALID_PARAM);
  EXPECT_EQ(Resolve(nullptr, &out), QTLERR_INVALID_PARAM);
  EXPECT_EQ(Resolve("printer-a", nullptr), QTLERR_INVALID_PARAM);
}

// IPX and NetBIOS names come from their tables alone. An "IPX Hosts" value
// must be a well-formed IPX text: one whose network part is too long would
// otherwise be converted past its field.
TEST_F(ForwardLookupTest, IpxAndNetbiosNamesComeFromTheirTables) {
  SetHost("IPX Hosts", "spooler", "0000ab12.00a0c9123456");
  SetHost("IPX Hosts", "too-long", "0000000000000000000000000000ab12.3456");
  SetHost("IPX Hosts", "no-dot", "0000ab1200a0c9123456");
  SetHost("IPX Hosts", "retired", "X");
  SetHost("NBDG Hosts", "lab", "printer7");
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  HostNode* hosts = nullptr;
  std::vector<Result> results;
  for (const char* name : {"unknown", "retired", "no-dot", "too-long", "spooler"}) {
    ASSERT_EQ(QTLAddHost(&hosts, name, &results), QTL_SUCCESS);
  }
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_SPX, &hosts, Collect), QTLERR_NOT_FOUND);
  ASSERT_EQ(results.size(), 5u);
  EXPECT_EQ(results[0].status, QTL_SUCCESS);
  EXPECT_EQ(results[0].address.protocol, QTL_PROTO_IPX);
  const uint8_t network[4] = {0x00, 0x00, 0xAB, 0x12};
  const uint8_t node[6] = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56};
  EXPECT_EQ(std::memcmp(results[0].address.u.ipx.network, network, 4), 0);
  EXPECT_EQ(std::memcmp(results[0].address.u.ipx.node, node, 6), 0);
  EXPECT_EQ(results[1].status, QTLERR_BAD_ADDRESS);
  EXPECT_EQ(results[2].status, QTLERR_BAD_ADDRESS);
  EXPECT_EQ(results[3].status, QTLERR_NOT_FOUND);
  EXPECT_EQ(results[4].status, QTLERR_NOT_FOUND);
  EXPECT_EQ(QTLCleanupHostList(&hosts), QTL_SUCCESS);

  ASSERT_EQ(QTLAddHost(&hosts, "lab", &results), QTL_SUCCESS);
  EXPECT_EQ(QTLGetManyAddrFromHostName(QTL_PROTO_NETBIOS, &hosts, Collect), QTL_SUCCESS);
  ASSERT_EQ(results.size(), 6u);
  EXPECT_EQ(results[5].address.protocol, QTL_PROTO_NETBIOS);
  EXPECT_EQ(std::string(results[5].address.u.netbios.name, 12),
            std::string("PRINTER7\0\0\0\0", 12));
  EXPECT_EQ(QTLCleanupHostList(&hosts), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
  EXPECT_EQ(service.forwardCalls + service.blockingCalls.load(), 0);
}

}  // namespace
