#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime_fixture.h"
#include "tessel/qrtl.h"

namespace {

class ThreadedLogging : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    // Large enough that no line is trimmed away while the threads write.
    ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingUpperThreshold", "100000000", 2), 0);
    ASSERT_EQ(QRTLWriteProfileEntry("QRTL", "LoggingLowerThreshold", "50000000", 2), 0);
    Restart();
    path_ = tessel_test::TempDirectory() + "/threads.log";
    std::filesystem::remove(path_);
  }
  void TearDown() override {
    std::filesystem::remove(path_);
    RuntimeTest::TearDown();
  }
  std::string path_;
};

TEST_F(ThreadedLogging, ManyThreadsLoseNoLineAndInterleaveNone) {
  constexpr int kThreads = 6;
  constexpr int kLines = 400;
  ASSERT_EQ(QRTLEnableLogging(path_.c_str(), QRTL_LOG_ALL, 10), 0);
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) {
        // Every 50th line is an error, which flushes on its own.
        const int level = i % 50 == 49 ? QRTL_LOG_ERROR : QRTL_LOG_INFO;
        const std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i);
        EXPECT_EQ(QRTLWriteToLog(200 + t, level, text.c_str()), 0);
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  ASSERT_EQ(QRTLDisableLogging(), 0);

  std::istringstream content(tessel_test::ReadFile(path_));
  std::string line;
  std::vector<int> next(kThreads, 0);
  int lines = 0;
  while (std::getline(content, line)) {
    ++lines;
    if (line.find("\tLogging ") != std::string::npos) continue;
    // One whole entry per line: time stamp, subsystem, level, text, CR.
    int month, day, year, hour, minute, second, millisecond, thread, index, end = 0;
    char subsystem[8], level[8];
    ASSERT_EQ(
        std::sscanf(line.c_str(),
                    "%2d/%2d/%4d %2d:%2d:%2d.%3d\t%7[A-Z0-9]\t%7[A-Za-z]\tthread %d line %d\r%n",
                    &month, &day, &year, &hour, &minute, &second, &millisecond, subsystem, level,
                    &thread, &index, &end),
        11)
        << line;
    ASSERT_EQ(static_cast<size_t>(end), line.size()) << line;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    EXPECT_EQ(index, next[thread]) << "thread " << thread << " out of order";
    next[thread] = index + 1;
  }
  EXPECT_EQ(lines, kThreads * kLines + 2);
}

void CountCall(int32_t, int32_t, uintptr_t userData, uintptr_t, uintptr_t) {
  ++*reinterpret_cast<int*>(userData);
}

TEST_F(ThreadedLogging, EventsStayOnTheirThread) {
  constexpr int kThreads = 4;
  std::vector<int> calls(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &calls] {
      QRTLEventHandle handle =
          QRTLInstallEventHandler(CountCall, reinterpret_cast<uintptr_t>(&calls[t]), nullptr);
      ASSERT_EQ(QRTLAddEventRequest(handle, 301), 0);
      for (int i = 0; i <= t; ++i) EXPECT_EQ(QRTLGenerateEvent(301, 3, 0, 0), 0);
      EXPECT_EQ(QRTLRemoveEventHandler(handle), 0);
      EXPECT_EQ(QRTLValidateContextCleanup(), 1);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(calls[t], t + 1);
}

}  // namespace
