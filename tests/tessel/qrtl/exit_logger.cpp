// Child process of the logging test for the library's end: four threads log
// without pause while `main` returns, so the library ends under them.
// Usage: exit_logger <log path>. A thread that gets a status other than
// "queued" or "logging disabled" ends the process with exit code 3.
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "tessel/qrtl.h"

namespace {

constexpr int kThreads = 4;
constexpr int kLinesBeforeReturn = 40;

std::atomic<int> g_started{0};

void LogUntilTheEnd(int thread) {
  for (int line = 0;; ++line) {
    const std::string text = "thread " + std::to_string(thread) + " line " + std::to_string(line);
    const int32_t status = QRTLWriteToLog(200 + thread, QRTL_LOG_INFO, text.c_str());
    if (status == QRTLWARN_LOG_DISABLED) return;
    if (status != QRTL_SUCCESS) _exit(3);
    if (line == kLinesBeforeReturn) ++g_started;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (QRTLEnableLogging(argv[1], QRTL_LOG_ALL, 5) != QRTL_SUCCESS) return 1;
  for (int thread = 0; thread < kThreads; ++thread) std::thread(LogUntilTheEnd, thread).detach();
  while (g_started < kThreads) std::this_thread::yield();
  // Queued, most likely, and written by the library's end.
  if (QRTLWriteToLog(QRTL_SUBSYSTEM_QRTL, QRTL_LOG_INFO, "main returns") != QRTL_SUCCESS) return 1;
  return 0;
}
