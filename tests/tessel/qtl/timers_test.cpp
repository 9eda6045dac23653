// One-shot timers and the 1-second pulse: order of expiry, cancellation,
// the timer thread's life, and the pulse's nesting.
#include <filesystem>
#include <thread>
#include <vector>

#include "transport_fixture.h"

namespace {

std::vector<int> ran;
void Record(QTLTimer, uintptr_t tag) { ran.push_back(int(tag)); }
void EndDelay(QTLTimer, uintptr_t) { QTLCancelDelay(1); }

// Handles the thread's messages for about `milliseconds`.
void RunFor(uint32_t milliseconds) {
  ASSERT_NE(QTLInitTimer(milliseconds, 0, EndDelay, nullptr), nullptr);
  ASSERT_EQ(QTLDelay(10), QTL_SUCCESS);
}

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

// The thread count before a test starts threads of its own. A sanitizer
// starts a helper thread along with the process's first thread; one thread
// started and ended first keeps that helper out of the test's counts.
int CountBeforeThreads() {
  std::thread([] {}).join();
  return ThreadCount();
}

// A thread may still be leaving the system for a moment after it has
// signalled its end.
bool ThreadCountBecomes(int expected) {
  for (int round = 0; round < 200 && ThreadCount() != expected; ++round) Sleep(5);
  return ThreadCount() == expected;
}

TEST_F(TransportTest, TimersRunInDueOrderThenInSettingOrder) {
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ran.clear();
  ASSERT_NE(QTLInitTimer(100, 1, Record, nullptr), nullptr);
  for (int tag = 2; tag <= 6; ++tag) ASSERT_NE(QTLInitTimer(50, tag, Record, nullptr), nullptr);
  QTLTimer cancelled = QTLInitTimer(60, 7, Record, nullptr);
  EXPECT_EQ(QTLCancelTimer(cancelled), QTL_SUCCESS);
  RunFor(150);
  EXPECT_EQ(ran, (std::vector<int>{2, 3, 4, 5, 6, 1}));
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

int32_t selfCancel;
void CancelSelf(QTLTimer timer, uintptr_t) {
  selfCancel = QTLCancelTimer(timer);
  QTLCancelDelay(1);
}

TEST_F(TransportTest, TimerCancellingItselfIsRefusedAndFreedWhenItReturns) {
  int32_t status = 0;
  EXPECT_EQ(QTLInitTimer(0, 0, Record, &status), nullptr);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLInitTimer(10, 0, nullptr, &status), nullptr);
  EXPECT_EQ(status, QTLERR_INVALID_PARAM);
  EXPECT_EQ(QTLCancelTimer(nullptr), QTLERR_INVALID_PARAM);

  const int threads = CountBeforeThreads();
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ASSERT_NE(QTLInitTimer(10, 0, CancelSelf, &status), nullptr);
  EXPECT_EQ(status, QTL_SUCCESS);
  EXPECT_EQ(QTLDelay(5), QTL_SUCCESS);
  EXPECT_EQ(selfCancel, QTLERR_INTERNAL);
  // Freeing the last timer ended the timer thread.
  EXPECT_TRUE(ThreadCountBecomes(threads));
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);
}

TEST_F(TransportTest, TimerThreadEndsWithTheLastTimerAndStartsAgain) {
  const int threads = CountBeforeThreads();
  QTLTimer first = QTLInitTimer(60000, 0, Record, nullptr);
  QTLTimer second = QTLInitTimer(60000, 0, Record, nullptr);
  EXPECT_EQ(ThreadCount(), threads + 1);
  EXPECT_EQ(QTLCancelTimer(first), QTL_SUCCESS);
  EXPECT_EQ(ThreadCount(), threads + 1);
  EXPECT_EQ(QTLCancelTimer(second), QTL_SUCCESS);
  EXPECT_TRUE(ThreadCountBecomes(threads));

  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ran.clear();
  ASSERT_NE(QTLInitTimer(10, 8, Record, nullptr), nullptr);
  RunFor(50);
  EXPECT_EQ(ran, std::vector<int>{8});
  EXPECT_TRUE(ThreadCountBecomes(threads));
  EXPECT_EQ(QTLCleanup(0), QTL_SUCCESS);

  // The library's end frees the timers left and ends the thread.
  ASSERT_NE(QTLInitTimer(60000, 0, Record, nullptr), nullptr);
  tessel::qtl::StopTransportFrame();
  EXPECT_TRUE(ThreadCountBecomes(threads));
  ASSERT_TRUE(tessel::qtl::StartTransportFrame());
}

int pulses;
int32_t disableStatus;
void CountPulse(int32_t event, int32_t subsystem, uintptr_t, uintptr_t, uintptr_t) {
  if (event == QTL_EVENT_PULSE && subsystem == 3) ++pulses;
}
void DisablePulse(int32_t event, int32_t subsystem, uintptr_t userData, uintptr_t first,
                  uintptr_t second) {
  CountPulse(event, subsystem, userData, first, second);
  disableStatus = QTLDisable1SecPulse();
}

QRTLEventHandle HandlePulses(QRTLEventCallback callback) {
  QRTLEventHandle handler = QRTLInstallEventHandler(callback, 0, nullptr);
  EXPECT_EQ(QRTLAddEventRequest(handler, QTL_EVENT_PULSE), QRTL_SUCCESS);
  pulses = 0;
  return handler;
}

TEST_F(TransportTest, PulseRunsUntilEveryEnableIsUndone) {
  QRTLEventHandle handler = HandlePulses(CountPulse);
  ASSERT_EQ(QTLInit(0), QTL_SUCCESS);
  ASSERT_EQ(QTLEnable1SecPulse(), QTL_SUCCESS);
  ASSERT_EQ(QTLEnable1SecPulse(), QTL_SUCCESS);
  RunFor(1300);
  EXPECT_EQ(pulses, 1);
  EXPECT_EQ(QTLDisable1SecPulse(), QTL_SUCCESS);
  RunFor(1000);
  EXPECT_EQ(pulses, 2);
  EXPECT_EQ(QTLDisable1SecPulse(), QTL_SUCCESS);
  RunFor(1300);
  EXPECT_EQ(pulses, 2);
  // One disable too many still drops a context reference: here QTLInit's.
  EXPECT_EQ(QTLDisable1SecPulse(), QTL_SUCCESS);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  QRTLRemoveEventHandler(handler);
}

TEST_F(TransportTest, PulseDisabledByItsHandlerIsNotSetAgain) {
  QRTLEventHandle handler = HandlePulses(DisablePulse);
  disableStatus = -1;
  // The pulse holds the thread's only context, which its handler releases.
  ASSERT_EQ(QTLEnable1SecPulse(), QTL_SUCCESS);
  EXPECT_TRUE(PumpUntil([] { return pulses == 1; }));
  EXPECT_EQ(disableStatus, QTL_SUCCESS);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);

  // Inside a delay the context outlives the handler's release.
  disableStatus = -1;
  ASSERT_EQ(QTLEnable1SecPulse(), QTL_SUCCESS);
  RunFor(2300);
  EXPECT_EQ(pulses, 2);
  EXPECT_EQ(disableStatus, QTL_SUCCESS);
  EXPECT_EQ(QTLValidateContextCleanup(), 1);
  QRTLRemoveEventHandler(handler);
}

}  // namespace
