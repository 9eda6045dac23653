#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "platform/error.h"
#include "platform/sync.h"
#include "thread_runner.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(Events, ManualResetStaysSetAndAutoResetIsConsumedByOneWait) {
  ScopedEvent manual(true, true);
  EXPECT_EQ(WaitForSingleObject(manual.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual.get(), 0), WAIT_OBJECT_0);
  ASSERT_TRUE(ResetEvent(manual.get()));
  EXPECT_EQ(WaitForSingleObject(manual.get(), 0), WAIT_TIMEOUT);

  ScopedEvent automatic(false);
  ASSERT_TRUE(SetEvent(automatic.get()));
  ASSERT_TRUE(SetEvent(automatic.get()));  // setting twice still releases one wait
  EXPECT_EQ(WaitForSingleObject(automatic.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic.get(), 0), WAIT_TIMEOUT);
}

TEST(Events, TimedWaitReturnsTimeoutAfterTheLimit) {
  ScopedEvent event(true);
  auto start = steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(event.get(), 50), WAIT_TIMEOUT);
  EXPECT_GE(steady_clock::now() - start, milliseconds(50));

  ScopedEvent other(false);
  HANDLE both[] = {event.get(), other.get()};
  start = steady_clock::now();
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 30), WAIT_TIMEOUT);
  EXPECT_GE(steady_clock::now() - start, milliseconds(30));
}

TEST(Events, ManualResetReleasesEveryWaiter) {
  ScopedEvent go(true);
  std::atomic<int> released{0};
  std::vector<std::unique_ptr<ThreadRunner>> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.push_back(std::make_unique<ThreadRunner>([&] {
      if (WaitForSingleObject(go.get(), kPromptly) == WAIT_OBJECT_0) ++released;
    }));
  }
  SetEvent(go.get());
  for (auto& waiter : waiters) waiter->join();
  EXPECT_EQ(released.load(), 4);
}

TEST(Events, EachSetOfAnAutoResetEventReleasesExactlyOneWaiter) {
  ScopedEvent gate(false);
  ScopedEvent passed(false);
  std::atomic<int> through{0};
  std::vector<std::unique_ptr<ThreadRunner>> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(std::make_unique<ThreadRunner>([&] {
      if (WaitForSingleObject(gate.get(), kPromptly) == WAIT_OBJECT_0) ++through;
      SetEvent(passed.get());
    }));
  }
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(SetEvent(gate.get()));
    ASSERT_EQ(WaitForSingleObject(passed.get(), kPromptly), WAIT_OBJECT_0);
  }
  for (auto& waiter : waiters) waiter->join();
  EXPECT_EQ(through.load(), 3);
  // Had one set released two waiters, a later set would have found nobody
  // to release and stayed signalled.
  EXPECT_EQ(WaitForSingleObject(gate.get(), 0), WAIT_TIMEOUT);
}

TEST(Waits, WaitAnyReportsTheFirstSignalledHandle) {
  ScopedEvent first(false), second(false);
  HANDLE handles[] = {first.get(), second.get()};
  SetEvent(second.get());
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_OBJECT_0 + 1);
  SetEvent(first.get());
  SetEvent(second.get());
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_OBJECT_0 + 1);
}

TEST(Waits, WaitAllConsumesNothingUntilEveryHandleIsSignalled) {
  ScopedEvent first(false), second(false);
  HANDLE handles[] = {first.get(), second.get()};
  SetEvent(first.get());
  EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 20), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(first.get(), 0), WAIT_OBJECT_0) << "a failed wait-all took it";

  SetEvent(first.get());
  ThreadRunner setter([&] { SetEvent(second.get()); });
  EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, kPromptly), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_TIMEOUT);
}

TEST(Waits, BadHandlesAndArgumentsFailCleanly) {
  HANDLE made_up = reinterpret_cast<HANDLE>(0x12345678);
  EXPECT_EQ(WaitForSingleObject(made_up, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(made_up));
  EXPECT_FALSE(CloseHandle(made_up));

  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  ASSERT_NE(event, nullptr);
  HANDLE twice[] = {event, event};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);

  ASSERT_TRUE(CloseHandle(event));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(event));
}

TEST(CriticalSections, OwnerReentersAndOthersWaitUntilTheLastLeave) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  LeaveCriticalSection(&section);

  auto other_may_enter = [&] {
    BOOL entered = FALSE;
    ThreadRunner other([&] {
      entered = TryEnterCriticalSection(&section);
      if (entered) LeaveCriticalSection(&section);
    });
    other.join();
    return entered;
  };
  EXPECT_FALSE(other_may_enter());
  LeaveCriticalSection(&section);
  EXPECT_FALSE(other_may_enter());
  LeaveCriticalSection(&section);
  EXPECT_TRUE(other_may_enter());
  DeleteCriticalSection(&section);
}

TEST(CriticalSections, KeepConcurrentUpdatesWhole) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long total = 0;
  {
    std::vector<std::unique_ptr<ThreadRunner>> workers;
    for (int i = 0; i < 4; ++i) {
      workers.push_back(std::make_unique<ThreadRunner>([&] {
        for (int n = 0; n < 10000; ++n) {
          EnterCriticalSection(&section);
          total = total + 1;
          LeaveCriticalSection(&section);
        }
      }));
    }
  }
  EXPECT_EQ(total, 40000);
  DeleteCriticalSection(&section);
}

}  // namespace
