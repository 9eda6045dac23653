// Delays on the calling thread: their results, arming, nesting, blocking
// hooks, and what an idle delay costs the processor.
#include <sys/resource.h>

#include <chrono>

#include "transport_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto milliseconds = [](timeval time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
  return milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
}

struct Measured {
  int32_t status;
  double wallMs;
  double cpuMs;
};

Measured MeasureDelay(int32_t seconds) {
  const double cpuBefore = CpuMilliseconds();
  const auto start = Clock::now();
  const int32_t status = QTLDelay(seconds);
  const std::chrono::duration<double, std::milli> wall = Clock::now() - start;
  return {status, wall.count(), CpuMilliseconds() - cpuBefore};
}

Clock::time_point timerRan;
void NoteTime(QTLTimer, uintptr_t) { timerRan = Clock::now(); }

void IgnoreWake(uint32_t, uintptr_t) {}

// A delay that nothing cancels sleeps until its time is up, yet handles a
// wake-up (here a timer's) as soon as it comes.
void ExpectIdleDelay(int32_t seconds) {
  timerRan = {};
  const auto start = Clock::now();
  ASSERT_NE(QTLInitTimer(100, 0, NoteTime, nullptr), nullptr);
  const Measured delay = MeasureDelay(seconds);
  EXPECT_EQ(delay.status, QTLWARN_TIMEOUT);
  EXPECT_GE(delay.wallMs, seconds * 1000.0 - 10);
  EXPECT_LT(delay.wallMs, seconds * 1000.0 + 1000);
  EXPECT_LT(delay.cpuMs, delay.wallMs * 0.05) << "wall " << delay.wallMs << " ms";
  ASSERT_NE(timerRan, Clock::time_point{});
  EXPECT_LT(timerRan - start, std::chrono::milliseconds(500));
}

TEST_F(TransportTest, IdleDelayBlocksOnTheMessageQueue) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ExpectIdleDelay(5);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

TEST_F(TransportTest, IdleDelayInWakeFunctionModeSleepsAfterAWakeUp) {
  ASSERT_EQ(QTLInitEx(0, IgnoreWake, 0), QTL_SUCCESS);
  ExpectIdleDelay(2);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
}

void AbortThenComplete(QTLTimer, uintptr_t) {
  QTLCancelDelay(2);
  QTLCancelDelay(1);
}

TEST_F(TransportTest, DelayResults) {
  EXPECT_EQ(QTLDelay(0), QTLERR_NO_INIT);
  EXPECT_EQ(QTLArmDelay(), QTLERR_NO_INIT);
  EXPECT_EQ(QTLCancelDelayInContext(QTLGetContext(), 1), QTLERR_BAD_CONTEXT);
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);

  // Armed, a cancellation made before the delay ends it at once; the arming
  // is used up, and an unarmed one is forgotten.
  EXPECT_EQ(QTLArmDelay(), QTL_SUCCESS);
  QTLCancelDelay(1);
  Measured armed = MeasureDelay(5);
  EXPECT_EQ(armed.status, QTL_SUCCESS);
  EXPECT_LT(armed.wallMs, 500);
  QTLCancelDelay(1);
  EXPECT_EQ(QTLDelay(1), QTLWARN_TIMEOUT);

  // An abort stays an abort, whether made during the delay, before an armed
  // one, or posted through the thread's context.
  ASSERT_NE(QTLInitTimer(10, 0, AbortThenComplete, nullptr), nullptr);
  EXPECT_EQ(QTLDelay(5), QTLERR_CANCELLED);
  QTLArmDelay();
  AbortThenComplete(nullptr, 0);
  EXPECT_EQ(QTLDelay(5), QTLERR_CANCELLED);
  EXPECT_EQ(QTLCancelDelayInContext(QTLGetContext(), 2), QTL_SUCCESS);
  EXPECT_EQ(QTLCancelDelayInContext(QTLGetContext(), 1), QTL_SUCCESS);
  EXPECT_EQ(QTLDelay(5), QTLERR_CANCELLED);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

struct Nested {
  int32_t delaying = -1;
  int32_t inner = 0;
  int32_t zero = -1;
};

void DelayInsideDelay(QTLTimer, uintptr_t data) {
  auto& nested = *reinterpret_cast<Nested*>(data);
  nested.delaying = QTLIsDelaying();
  nested.inner = QTLDelay(5);
  nested.zero = QTLDelay(0);
  QTLCancelDelay(1);
}

TEST_F(TransportTest, DelayInsideADelayIsRefusedUnlessItIsZero) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  Nested nested;
  ASSERT_NE(QTLInitTimer(10, uintptr_t(&nested), DelayInsideDelay, nullptr), nullptr);
  EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
  EXPECT_EQ(nested.delaying, 1);
  EXPECT_EQ(nested.inner, QTLERR_BLOCKING);
  EXPECT_EQ(nested.zero, QTL_SUCCESS);
  EXPECT_EQ(QTLIsDelaying(), 0);
  EXPECT_EQ(QTLDelay(0), QTL_SUCCESS);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

// The delay's first processing of the thread's events already belongs to
// the delay: what it delivers counts, and a delay there is nested.
TEST_F(TransportTest, WakeFunctionDelayOwnsItsFirstProcessing) {
  ASSERT_EQ(QTLInitEx(0, IgnoreWake, 0), QTL_SUCCESS);
  EXPECT_EQ(QTLCancelDelayInContext(QTLGetContext(), 1), QTL_SUCCESS);
  const Measured cancelled = MeasureDelay(2);
  EXPECT_EQ(cancelled.status, QTL_SUCCESS);
  EXPECT_LT(cancelled.wallMs, 500);

  Nested nested;
  ASSERT_NE(QTLInitTimer(1, uintptr_t(&nested), DelayInsideDelay, nullptr), nullptr);
  Sleep(5);
  EXPECT_EQ(QTLDelay(2), QTL_SUCCESS);
  EXPECT_EQ(nested.inner, QTLERR_BLOCKING);
  EXPECT_EQ(QTLCleanupEx(), QTL_SUCCESS);
}

int hookCalls;
int32_t CancellingHook() {
  ++hookCalls;
  QTLCancelDelay(1);
  return 0;
}

TEST_F(TransportTest, BlockingHookIsSetPerThreadAndRunsTheDelay) {
  int32_t status = 0;
  const QTLBlockingHook defaultHook = QTLSetBlockingHook(CancellingHook, &status);
  EXPECT_EQ(status, QTLERR_NO_INIT);
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  EXPECT_EQ(QTLSetBlockingHook(nullptr, &status), defaultHook);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLSetBlockingHook(CancellingHook, &status), defaultHook);
  EXPECT_EQ(status, QTL_SUCCESS);

  hookCalls = 0;
  EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
  EXPECT_EQ(hookCalls, 1);

  EXPECT_EQ(QTLSetDefaultBlockingHook(), QTL_SUCCESS);
  EXPECT_EQ(QTLSetBlockingHook(defaultHook, nullptr), defaultHook);
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

}  // namespace
