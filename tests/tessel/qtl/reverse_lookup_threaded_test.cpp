#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ipx_network.h"
#include "name_service_double.h"
#include "reverse_lookup.h"
#include "transport_fixture.h"

namespace {

using namespace std::chrono_literals;
using tessel::qtl::LookupPlatformCalls;

constexpr uint32_t kFirstAddress = 0x7F000100;  // 127.0.1.0

struct Result {
  uint32_t address;
  int32_t status;
  std::string name;
};

void Collect(AddressNode* node, int32_t status, const char* name, void* userValue) {
  static_cast<std::vector<Result>*>(userValue)->push_back(
      {node->address.u.ip.address, status, name});
}

NetAddress IpAddress(uint32_t address) {
  NetAddress result{};
  result.protocol = QTL_PROTO_UDP;
  result.u.ip.address = address;
  return result;
}

// Makes the first `count` reverse calls wait for each other (up to five
// seconds), so that they are seen under way at once.
class Gate {
 public:
  explicit Gate(int count) : count_(count) {}
  void Pass() {
    if (++arrived_ > count_) return;
    const auto until = std::chrono::steady_clock::now() + 5s;
    while (arrived_ < count_ && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(1ms);
    }
  }

 private:
  const int count_;
  std::atomic<int> arrived_{0};
};

class ReverseLookupTest : public TransportTest {
 protected:
  void TearDown() override {
    QTLCleanupAddressList(&addresses);
    LookupPlatformCalls() = original;
    EXPECT_EQ(service.reversesUnderWay.load(), 0);
    TransportTest::TearDown();
  }
  // count addresses from 127.0.1.0 on, each named "host-N.test"; listed
  // newest first, so the list runs from the last to the first.
  void AddAddresses(int count) {
    for (int i = 0; i < count; ++i) {
      service.names[kFirstAddress + uint32_t(i)] = "host-" + std::to_string(i) + ".test";
      const NetAddress address = IpAddress(kFirstAddress + uint32_t(i));
      ASSERT_EQ(QTLAddAddress(&addresses, &address, &results), QTL_SUCCESS);
    }
  }
  std::vector<int32_t> States() {
    std::vector<int32_t> states;
    for (AddressNode* node = addresses; node; node = node->next) states.push_back(node->state);
    return states;
  }
  int32_t LookUp() { return QTLGetManyHostNameFromAddr(&addresses, Collect); }

  NameServiceDouble service;
  AddressNode* addresses = nullptr;
  std::vector<Result> results;
  const tessel::qtl::LookupPlatform original = LookupPlatformCalls();
};

TEST_F(ReverseLookupTest, TwentyFiveAddressesAreResolvedByTenThreads) {
  AddAddresses(25);
  Gate gate(10);
  service.onReverse = [&](uint32_t) { gate.Pass(); };
  ASSERT_EQ(LookUp(), QTL_SUCCESS);
  EXPECT_EQ(service.reverseCalls.load(), 25);
  EXPECT_EQ(service.ReverseThreads().size(), 10u);
  EXPECT_EQ(service.mostReversesAtOnce.load(), 10);
  ASSERT_EQ(results.size(), 25u);
  for (int i = 0; i < 25; ++i) {
    EXPECT_EQ(results[size_t(i)].address, kFirstAddress + uint32_t(24 - i));
    EXPECT_EQ(results[size_t(i)].status, QTL_SUCCESS);
    EXPECT_EQ(results[size_t(i)].name, "host-" + std::to_string(24 - i) + ".test");
  }
  EXPECT_EQ(States(), std::vector<int32_t>(25, 2));
}

TEST_F(ReverseLookupTest, ThreeAddressesTakeThreeThreads) {
  AddAddresses(3);
  service.names.erase(kFirstAddress + 1);  // nobody knows this one
  Gate gate(3);
  service.onReverse = [&](uint32_t) { gate.Pass(); };
  ASSERT_EQ(LookUp(), QTL_SUCCESS);
  EXPECT_EQ(service.ReverseThreads().size(), 3u);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[1].status, QTLERR_NOT_FOUND);
  EXPECT_EQ(results[1].name, "");
  EXPECT_EQ(results[2].name, "host-0.test");
}

// The owner is told to abort while the first addresses are being resolved:
// those finish, nothing else is claimed, nothing is delivered, and the call
// returns only after every lookup thread has ended its work.
TEST_F(ReverseLookupTest, CancelledJobReturnsAfterItsThreadsWithoutResults) {
  AddAddresses(25);
  const uint32_t owner = QTLGetContext();
  std::atomic<bool> aborted{false};
  service.onReverse = [&](uint32_t) {
    if (!aborted.exchange(true)) {
      EXPECT_EQ(QTLCancelDelayInContext(owner, 2), QTL_SUCCESS);
    }
    std::this_thread::sleep_for(50ms);
  };
  EXPECT_EQ(LookUp(), QTLERR_CANCELLED);
  EXPECT_TRUE(results.empty());
  const std::vector<int32_t> states = States();
  const auto answered = std::count(states.begin(), states.end(), 2);
  EXPECT_EQ(answered, service.reverseCalls.load());
  EXPECT_LT(answered, 25);
  EXPECT_EQ(std::count(states.begin(), states.end(), 3), 25 - answered);
}

TEST_F(ReverseLookupTest, NameTooLongForItsSlotEndsTheDelivery) {
  AddAddresses(3);
  service.names[kFirstAddress + 1] = std::string(150, 'n');
  EXPECT_EQ(LookUp(), QTLERR_NOMEM);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].name, "host-2.test");
}

TEST_F(ReverseLookupTest, SingleNameMustFitTheBuffer) {
  service.names[0x7F000001] = "printer-a.test";  // 14 characters
  const NetAddress address = IpAddress(0x7F000001);
  char name[15];
  EXPECT_EQ(QTLGetHostNameFromAddr(&address, name, 10), QTLERR_TOO_LARGE);
  EXPECT_EQ(QTLGetHostNameFromAddr(&address, name, 14), QTLERR_TOO_LARGE);
  ASSERT_EQ(QTLGetHostNameFromAddr(&address, name, 15), QTL_SUCCESS);
  EXPECT_STREQ(name, "printer-a.test");
  const NetAddress unknown = IpAddress(0x7F000002);
  EXPECT_EQ(QTLGetHostNameFromAddr(&unknown, name, 15), QTLERR_NOT_FOUND);
  EXPECT_EQ(QTLGetHostNameFromAddr(nullptr, name, 15), QTLERR_INVALID_PARAM);
}

TEST_F(ReverseLookupTest, OnlyIpListsAreLookedUpButEveryTransportMustStart) {
  EXPECT_EQ(LookUp(), QTL_SUCCESS);  // empty: returns at once
  EXPECT_EQ(QTLGetManyHostNameFromAddr(nullptr, Collect), QTLERR_INVALID_PARAM);

  NetAddress ipx{};
  ipx.protocol = QTL_PROTO_IPX;
  ipx.u.ipx.network[3] = 1;
  ipx.u.ipx.node[5] = 1;
  ASSERT_EQ(QTLAddAddress(&addresses, &ipx, &results), QTL_SUCCESS);
  // IPX has no names to look up, but its transport must start.
  char name[16] = "untouched";
  EXPECT_EQ(LookUp(), QTLERR_IPX_INIT);
  EXPECT_EQ(QTLGetHostNameFromAddr(&ipx, name, sizeof name), QTLERR_IPX_INIT);
  {
    IpxNetwork network;
    EXPECT_EQ(LookUp(), QTL_SUCCESS);
    EXPECT_EQ(QTLGetHostNameFromAddr(&ipx, name, sizeof name), QTL_SUCCESS);
    EXPECT_STREQ(name, "");
  }
  EXPECT_EQ(QTLGetLoadedTransports(), 0u);
  NetAddress netbios{};
  netbios.protocol = QTL_PROTO_NETBIOS;
  AddressNode* netbiosList = nullptr;
  ASSERT_EQ(QTLAddAddress(&netbiosList, &netbios, nullptr), QTL_SUCCESS);
  EXPECT_EQ(QTLGetManyHostNameFromAddr(&netbiosList, Collect), QTLERR_NB_INIT);
  QTLCleanupAddressList(&netbiosList);

  const NetAddress ip = IpAddress(0x7F000001);
  EXPECT_EQ(QTLAddAddress(&addresses, &ip, &results), QTLERR_BAD_ADDRESS);

  // A list mixed by hand is refused as a whole.
  AddressNode mixed{};
  mixed.address = ip;
  mixed.next = addresses;
  AddressNode* mixedList = &mixed;
  EXPECT_EQ(QTLGetManyHostNameFromAddr(&mixedList, Collect), QTLERR_BAD_ADDRESS);
  EXPECT_EQ(service.reverseCalls.load(), 0);
  EXPECT_TRUE(results.empty());
}

HWND NoWindow() { return nullptr; }

TEST_F(ReverseLookupTest, JobWithoutItsWindowFailsBeforeAnyThreadStarts) {
  AddAddresses(3);
  LookupPlatformCalls().createWindow = NoWindow;
  EXPECT_EQ(LookUp(), QTLERR_INTERNAL);
  EXPECT_EQ(service.reverseCalls.load(), 0);
  EXPECT_EQ(States(), std::vector<int32_t>(3, 3));
}

std::atomic<int> threadStarts;

HANDLE StartTwoThreadsOnly(LPTHREAD_START_ROUTINE start, void* parameter) {
  if (++threadStarts > 2) return nullptr;
  return CreateThread(nullptr, 0, start, parameter, 0, nullptr);
}

// The third thread cannot be started: the job fails, but only after the two
// that did start are done with it.
TEST_F(ReverseLookupTest, FailedThreadStartWaitsForTheStartedThreads) {
  AddAddresses(25);
  threadStarts = 0;
  LookupPlatformCalls().startThread = StartTwoThreadsOnly;
  service.onReverse = [](uint32_t) { std::this_thread::sleep_for(5ms); };
  EXPECT_EQ(LookUp(), QTLERR_INTERNAL);
  EXPECT_EQ(service.reverseCalls.load(), 25);
  EXPECT_LE(service.ReverseThreads().size(), 2u);
  EXPECT_TRUE(results.empty());
}

uint32_t ownerThread;

HWND WindowOnOwnerOnly() {
  return GetCurrentThreadId() == ownerThread ? tessel::qtl::CreateLayerWindow() : nullptr;
}

// Lookup threads without a window resolve nothing (and still give their
// transport start back); the addresses nobody claimed are reported as not
// found.
TEST_F(ReverseLookupTest, UnclaimedAddressesAreReportedNotFound) {
  AddAddresses(3);
  ownerThread = GetCurrentThreadId();
  LookupPlatformCalls().createWindow = WindowOnOwnerOnly;
  EXPECT_EQ(LookUp(), QTL_SUCCESS);
  EXPECT_EQ(service.reverseCalls.load(), 0);
  ASSERT_EQ(results.size(), 3u);
  for (const Result& result : results) EXPECT_EQ(result.status, QTLERR_NOT_FOUND);
  EXPECT_EQ(States(), std::vector<int32_t>(3, 3));
}

// Thread indexes. Lookup thread 1 begins first and resolves two addresses
// while thread 2 works on the third; thread 1 ends and is collected. The
// owner is then held while a late thread 3 begins and ends, and thread 2
// ends too. Had thread 3 been given the index of thread 2, the two would
// share one finished flag, one of them would never be collected and the
// owner would wait until the watchdog aborts it.
struct Orchestra {
  std::atomic<int> launched{0};
  std::atomic<int> ended{0};
  std::atomic<bool> releaseLate{false};
  std::atomic<bool> releaseSecond{false};
  NameServiceDouble* service;
};
Orchestra* orchestra;
std::atomic<bool> holdOwner;
thread_local int launchNumber;

void WaitUntil(const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + 5s;
  while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
}

struct Launch {
  LPTHREAD_START_ROUTINE start;
  void* parameter;
  int number;
};

DWORD RunLaunch(void* parameter) {
  auto* launch = static_cast<Launch*>(parameter);
  launchNumber = launch->number;
  if (launchNumber == 2) WaitUntil([] { return orchestra->service->reverseCalls >= 1; });
  if (launchNumber == 3) WaitUntil([] { return orchestra->releaseLate.load(); });
  launch->start(launch->parameter);
  delete launch;
  ++orchestra->ended;
  return 0;
}

HANDLE StartInTurn(LPTHREAD_START_ROUTINE start, void* parameter) {
  auto* launch = new Launch{start, parameter, ++orchestra->launched};
  return CreateThread(nullptr, 0, RunLaunch, launch, 0, nullptr);
}

int32_t HoldableHook() {
  MSG message;
  if (holdOwner || !PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
  DispatchMessageA(&message);
  return 1;
}

TEST_F(ReverseLookupTest, LateThreadNeverSharesTheIndexOfOneStillRunning) {
  AddAddresses(3);
  Orchestra parts;
  parts.service = &service;
  orchestra = &parts;
  holdOwner = false;
  LookupPlatformCalls().startThread = StartInTurn;
  service.onReverse = [&](uint32_t) {
    if (launchNumber == 1) WaitUntil([&] { return service.reverseCalls >= 2; });
    if (launchNumber == 2) WaitUntil([&] { return parts.releaseSecond.load(); });
  };
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ASSERT_NE(QTLSetBlockingHook(HoldableHook, nullptr), nullptr);
  const uint32_t owner = QTLGetContext();
  std::thread conductor([&] {
    WaitUntil([&] { return parts.ended == 1; });  // thread 1 is done
    std::this_thread::sleep_for(100ms);           // and collected
    holdOwner = true;
    std::this_thread::sleep_for(20ms);
    parts.releaseLate = true;
    WaitUntil([&] { return parts.ended == 2; });  // thread 3 is done
    parts.releaseSecond = true;
    WaitUntil([&] { return parts.ended == 3; });  // thread 2 is done
    holdOwner = false;
  });
  std::atomic<bool> returned{false};
  std::thread watchdog([&] {
    WaitUntil([&] { return returned.load(); });
    if (!returned) QTLCancelDelayInContext(owner, 2);
  });
  EXPECT_EQ(LookUp(), QTL_SUCCESS);
  returned = true;
  EXPECT_EQ(results.size(), 3u);
  EXPECT_EQ(service.ReverseThreads().size(), 2u);
  conductor.join();
  watchdog.join();
  EXPECT_EQ(QTLSetDefaultBlockingHook(), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

}  // namespace
