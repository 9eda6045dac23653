#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "runtime_fixture.h"
#include "tessel/qrtl.h"

extern char** environ;

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

// Reads one whole entry "thread <t> line <i>" (without its LF): time stamp,
// subsystem, level, text, CR.
bool ParseThreadLine(const std::string& line, int* thread, int* index) {
  int month, day, year, hour, minute, second, millisecond, end = 0;
  char subsystem[8], level[8];
  return std::sscanf(line.c_str(),
                     "%2d/%2d/%4d %2d:%2d:%2d.%3d\t%7[A-Z0-9]\t%7[A-Za-z]\tthread %d line %d\r%n",
                     &month, &day, &year, &hour, &minute, &second, &millisecond, subsystem, level,
                     thread, index, &end) == 11 &&
         static_cast<size_t>(end) == line.size();
}

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
    int thread = -1;
    int index = -1;
    ASSERT_TRUE(ParseThreadLine(line, &thread, &index)) << line;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
    EXPECT_EQ(index, next[thread]) << "thread " << thread << " out of order";
    next[thread] = index + 1;
  }
  EXPECT_EQ(lines, kThreads * kLines + 2);
}

// Runs the exit logger on `log` and returns its wait status; a child that
// has not ended within ten seconds (a hang at its end) is killed.
int RunExitLogger(const std::string& log) {
  char* const argv[] = {const_cast<char*>(TESSEL_EXIT_LOGGER), const_cast<char*>(log.c_str()),
                        nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, TESSEL_EXIT_LOGGER, nullptr, nullptr, argv, environ) != 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return status;
}

// The library ends (main returns) while four threads are still logging: no
// crash, no line written twice or torn, and the lines queued at the end are
// in the file.
TEST_F(ThreadedLogging, EndingWhileThreadsLogIsSafe) {
  for (int run = 0; run < 30; ++run) {
    std::filesystem::remove(path_);
    const int status = RunExitLogger(path_);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "run " << run << ": wait status " << status;
    std::istringstream content(tessel_test::ReadFile(path_));
    std::string line;
    std::map<int, int> last;  // thread -> last line number seen
    int mainReturns = 0;
    while (std::getline(content, line)) {
      if (line.find("\tLogging Enabled.\r") != std::string::npos) continue;
      if (line.find("\tQRTL\tInfo\tmain returns\r") != std::string::npos) {
        ++mainReturns;
        continue;
      }
      int thread = -1;
      int number = -1;
      ASSERT_TRUE(ParseThreadLine(line, &thread, &number)) << "run " << run << ": " << line;
      const auto seen = last.find(thread);
      ASSERT_TRUE(seen == last.end() || number > seen->second)
          << "run " << run << ": thread " << thread << " line " << number << " again";
      last[thread] = number;
    }
    // Every thread logged past the flush count before main returned.
    EXPECT_EQ(last.size(), 4u) << "run " << run;
    EXPECT_EQ(mainReturns, 1) << "run " << run;
  }
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
