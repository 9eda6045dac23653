// The process-wide log: enable, disable, write and the settings read at
// library start.
//
// Locks: the logging lock guards the log object's fields and the queue, and
// is re-entrant because enable and disable log through QRTLWriteToLog while
// holding it. The object lock guards creating and releasing the object and
// is only ever taken inside the logging lock.
//
// The library may end while other threads still log (a program returning
// from main with its threads running). So the locks, once created, are never
// deleted, and the end does its work under the logging lock: it writes the
// queued lines and removes the log object, after which a line is answered
// with QRTLWARN_LOG_DISABLED.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "critical_section_lock.h"
#include "log_file.h"
#include "log_line.h"
#include "log_queue.h"
#include "log_settings.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "runtime.h"
#include "tessel/qrtl.h"

namespace {

struct LogObject {
  int refCount = 0;
  bool enabled = false;
  int32_t flushCount = 0;
  int32_t levelMask = 0;
  std::string path;
  tessel::qrtl::LogQueue queue;
  tessel::qrtl::FlushBackoff backoff;
  int32_t lastFailure = QRTL_SUCCESS;
};

CRITICAL_SECTION g_loggingLock;
CRITICAL_SECTION g_objectLock;
// Set once the two locks exist. Without them (a start that failed before
// them) logging is off and cannot be enabled.
std::atomic<bool> g_locksCreated{false};
// Between the runtime services' start and end; under the logging lock.
bool g_running = false;
LogObject* g_log = nullptr;
tessel::qrtl::LogSettings g_settings;

// A mirrored line longer than the debugger output takes is cut there; the
// file keeps it whole.
constexpr size_t kMirrorLimit = 160;
constexpr size_t kMirrorKept = 158;

int32_t AcquireLogObject() {
  tessel::CriticalSectionLock lock(g_objectLock);
  if (g_log == nullptr) {
    g_log = new (std::nothrow) LogObject;
    if (g_log == nullptr) return QRTLERR_NOMEM;
  }
  ++g_log->refCount;
  return QRTL_SUCCESS;
}

int32_t ReleaseLogObject() {
  tessel::CriticalSectionLock lock(g_objectLock);
  if (g_log == nullptr) return QRTLERR_INTERNAL;
  if (--g_log->refCount == 0) {
    delete g_log;
    g_log = nullptr;
  }
  return QRTL_SUCCESS;
}

// A flush during the pause after a failed one is not tried: the lines stay
// queued and the failure is told again. The last flush, as logging ends,
// is always tried.
enum class FlushWhen { kDue, kNow };
int32_t Flush(FlushWhen when = FlushWhen::kDue) {
  const uint32_t now = GetTickCount();
  if (when == FlushWhen::kDue && !g_log->backoff.Due(now)) return g_log->lastFailure;
  const int32_t status = tessel::qrtl::FlushLogQueue(g_log->path, g_log->queue,
                                                     {g_settings.upperThreshold, g_settings.lowerThreshold});
  if (status == QRTL_SUCCESS) {
    g_log->backoff.Succeeded();
  } else {
    g_log->backoff.Failed(now);
    g_log->lastFailure = status;
  }
  return status;
}

void Mirror(const std::string& line) {
  if (line.size() < kMirrorLimit) {
    std::fwrite(line.data(), 1, line.size(), stderr);
  } else {
    std::fwrite(line.data(), 1, kMirrorKept, stderr);
    std::fputc('\n', stderr);
  }
}

// Creates the file, readable and writable by its owner only, if it is not
// there; one that exists is used as it is, unless it is another user's
// file or link. QRTL status.
int32_t CreateLogFile(const std::string& path) {
  const int created = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (created >= 0) return close(created) == 0 ? QRTL_SUCCESS : QRTLERR_OPEN_LOG;
  if (errno != EEXIST) return QRTLERR_OPEN_LOG;
  int32_t status = QRTL_SUCCESS;
  const int file = tessel::qrtl::OpenLogFile(path, status);
  if (file >= 0) close(file);
  const bool untrusted = status == QRTLERR_UNTRUSTED_LOG_LINK || status == QRTLERR_UNTRUSTED_LOG_FILE;
  return untrusted ? status : QRTL_SUCCESS;
}

}  // namespace

namespace tessel::qrtl {

void StartLogging() {
  if (!g_locksCreated.load(std::memory_order_acquire)) {
    InitializeCriticalSection(&g_loggingLock);
    InitializeCriticalSection(&g_objectLock);
    g_locksCreated.store(true, std::memory_order_release);
  }
  const LogSettings settings = ReadLogSettings();
  tessel::CriticalSectionLock lock(g_loggingLock);
  g_settings = settings;
  g_running = true;
}

void StopLogging() {
  if (!g_locksCreated.load(std::memory_order_acquire)) return;
  tessel::CriticalSectionLock lock(g_loggingLock);
  // A client that never disabled logging still gets its queued lines.
  if (g_log != nullptr && g_log->enabled) Flush(FlushWhen::kNow);
  {
    tessel::CriticalSectionLock objectLock(g_objectLock);
    delete g_log;
    g_log = nullptr;
  }
  g_running = false;
}

}  // namespace tessel::qrtl

int32_t QRTLEnableLogging(const char* path, int32_t levelMask, int32_t flushCount) {
  if (!g_locksCreated.load(std::memory_order_acquire)) return QRTLERR_INTERNAL;
  tessel::CriticalSectionLock lock(g_loggingLock);
  if (!g_running) return QRTLERR_INTERNAL;
  if (QRTLIsLoggingEnabled()) return QRTLERR_ALREADY_LOGGING;
  if (path == nullptr) return QRTLERR_INVALID_PARAM;
  int32_t status = AcquireLogObject();
  if (status != QRTL_SUCCESS) return status;
  g_log->levelMask = levelMask;
  g_log->flushCount = flushCount;
  try {
    g_log->path = path;
  } catch (const std::bad_alloc&) {
    ReleaseLogObject();
    return QRTLERR_NOMEM;
  }
  status = CreateLogFile(g_log->path);
  if (status != QRTL_SUCCESS) {
    g_log->path.clear();
    ReleaseLogObject();
    return status;
  }
  g_log->enabled = true;
  QRTLWriteToLog(QRTL_SUBSYSTEM_QRTL, QRTL_LOG_ALL, "Logging Enabled.");
  return QRTL_SUCCESS;
}

int32_t QRTLDisableLogging(void) {
  if (!g_locksCreated.load(std::memory_order_acquire)) return QRTL_SUCCESS;
  tessel::CriticalSectionLock lock(g_loggingLock);
  QRTLWriteToLog(QRTL_SUBSYSTEM_QRTL, QRTL_LOG_ALL, "Logging Disabled.");
  if (!QRTLIsLoggingEnabled()) return QRTL_SUCCESS;
  g_log->enabled = false;
  const int32_t flushed = Flush(FlushWhen::kNow);
  g_log->path.clear();
  const int32_t released = ReleaseLogObject();
  return flushed != QRTL_SUCCESS ? flushed : released;
}

int32_t QRTLIsLoggingEnabled(void) {
  if (!g_locksCreated.load(std::memory_order_acquire)) return 0;
  tessel::CriticalSectionLock lock(g_loggingLock);
  return g_log != nullptr && g_log->enabled ? 1 : 0;
}

int32_t QRTLGetLogParameters(char* path, int32_t length, int32_t* levelMask, int32_t* flushCount) {
  // Without the locks logging is off: the answer is the empty settings.
  std::optional<tessel::CriticalSectionLock> lock;
  if (g_locksCreated.load(std::memory_order_acquire)) lock.emplace(g_loggingLock);
  const bool enabled = QRTLIsLoggingEnabled() != 0;
  if (path != nullptr && length > 0) {
    const size_t room = static_cast<size_t>(length) - 1;
    const size_t copied = enabled ? std::min(g_log->path.size(), room) : 0;
    if (copied > 0) std::memcpy(path, g_log->path.data(), copied);
    path[copied] = '\0';
  }
  if (levelMask != nullptr) *levelMask = enabled ? g_log->levelMask : 0;
  if (flushCount != nullptr) *flushCount = enabled ? g_log->flushCount : 0;
  return enabled ? 1 : 0;
}

int32_t QRTLWriteToLog(int32_t subsystem, int32_t level, const char* text) {
  if (!g_locksCreated.load(std::memory_order_acquire)) return QRTLWARN_LOG_DISABLED;
  tessel::CriticalSectionLock lock(g_loggingLock);
  if (g_log == nullptr || !g_log->enabled) return QRTLWARN_LOG_DISABLED;
  if ((level & g_log->levelMask) == 0) return QRTLWARN_LOG_FILTERED;
  try {
    std::string line = tessel::qrtl::FormatLogLine(tessel::qrtl::CurrentLocalTime(), subsystem,
                                                   level, g_log->levelMask, text);
    if (g_settings.mirror) Mirror(line);
    g_log->queue.Push(std::move(line));
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  // A full queue is written whatever the flush count, so that lines are
  // dropped only while the file cannot be written.
  if (g_log->queue.size() >= static_cast<size_t>(std::max(g_log->flushCount, 0)) ||
      level == QRTL_LOG_ERROR || g_log->queue.Full()) {
    return Flush();
  }
  return QRTL_SUCCESS;
}

int32_t QRTLValidateCleanup(void) {
  if (!g_locksCreated.load(std::memory_order_acquire)) return 1;
  tessel::CriticalSectionLock lock(g_loggingLock);
  tessel::CriticalSectionLock objectLock(g_objectLock);
  return g_log == nullptr ? 1 : 0;
}
