// Delays cancelled from other threads, and timers set, run and cancelled
// by several threads at once.
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "transport_fixture.h"

namespace {

void IgnoreWake(uint32_t, uintptr_t) {}

// Another thread cancels a delay that waits until cancelled, whether the
// cancellation arrives before or during the delay.
int32_t DelayCancelledFromOutside(bool wakeFunctionMode, std::vector<int32_t> hows,
                                  int settleMs) {
  std::promise<uint32_t> context;
  std::promise<void> cancelled;
  std::future<int32_t> result = std::async(std::launch::async, [&] {
    EXPECT_EQ(wakeFunctionMode ? QTLInitEx(0, IgnoreWake, 0) : QTLInit(0), QTL_SUCCESS);
    context.set_value(QTLGetContext());
    const int32_t status = QTLDelay(-1);
    // The context stays until every cancellation has reached it.
    cancelled.get_future().wait();
    EXPECT_EQ(wakeFunctionMode ? QTLCleanupEx() : QTLCleanup(0), QTL_SUCCESS);
    return status;
  });
  const uint32_t target = context.get_future().get();
  Sleep(settleMs);
  for (int32_t how : hows) EXPECT_EQ(QTLCancelDelayInContext(target, how), QTL_SUCCESS);
  cancelled.set_value();
  return result.get();
}

TEST_F(TransportTest, DelayIsCancelledFromAnotherThread) {
  for (bool wakeFunctionMode : {false, true}) {
    for (int settleMs : {0, 50}) {
      EXPECT_EQ(DelayCancelledFromOutside(wakeFunctionMode, {1}, settleMs), QTL_SUCCESS);
      EXPECT_EQ(DelayCancelledFromOutside(wakeFunctionMode, {2, 1}, settleMs), QTLERR_CANCELLED);
    }
  }
}

constexpr int kTimers = 200;

void CountRun(QTLTimer, uintptr_t counter) { ++*reinterpret_cast<std::atomic<int>*>(counter); }

// The owner runs its due timers while another thread cancels them: each
// timer either runs once or is cancelled, and none is freed under its run.
TEST_F(TransportTest, TimersRunWhileAnotherThreadCancelsThem) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  std::vector<std::atomic<int>> runs(kTimers);
  std::vector<QTLTimer> timers;
  for (int i = 0; i < kTimers; ++i) {
    timers.push_back(QTLInitTimer(1 + i % 5, uintptr_t(&runs[i]), CountRun, nullptr));
    ASSERT_NE(timers.back(), nullptr);
  }
  std::atomic<int> refused{0};
  std::thread canceller([&] {
    for (QTLTimer timer : timers) {
      if (QTLCancelTimer(timer) == QTLERR_INTERNAL) ++refused;
    }
  });
  EXPECT_EQ(QTLDelay(1), QTLWARN_TIMEOUT);
  canceller.join();
  QTLProcessData();
  int ranOnce = 0;
  for (auto& count : runs) {
    EXPECT_LE(count, 1);
    ranOnce += count;
  }
  EXPECT_LE(refused, ranOnce);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

constexpr int kThreads = 4;
constexpr int kRounds = 20;

struct Round {
  uint32_t owner;
  int runs;
};

void RunOnOwner(QTLTimer, uintptr_t data) {
  auto& round = *reinterpret_cast<Round*>(data);
  EXPECT_EQ(round.owner, GetCurrentThreadId());
  if (++round.runs == 3) QTLCancelDelay(1);
}

// Threads keep filling and emptying the one timer list, so the timer thread
// ends and starts again under them; each thread's timers run on it.
TEST_F(TransportTest, ThreadsShareTheTimerThread) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([] {
      ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
      for (int round = 0; round < kRounds; ++round) {
        Round state{GetCurrentThreadId(), 0};
        for (uint32_t ms : {3u, 1u, 2u}) {
          ASSERT_NE(QTLInitTimer(ms, uintptr_t(&state), RunOnOwner, nullptr), nullptr);
        }
        EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
        EXPECT_EQ(state.runs, 3);
      }
      EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
