#include "log_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "log_line.h"
#include "tessel/qrtl.h"

namespace tessel::qrtl {
namespace {

constexpr size_t kBlockSize = 4096;
// Lines handed to one gathered write (well below IOV_MAX).
constexpr size_t kPiecesPerWrite = 256;

class Descriptor {
 public:
  explicit Descriptor(int file) : file_(file) {}
  ~Descriptor() {
    if (file_ >= 0) close(file_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return file_; }

 private:
  int file_;
};

// Writes `size` bytes at `offset`; returns how many reached the file, which
// is less than `size` only after an error.
size_t WriteAt(int file, const char* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t count = pwrite(file, data + done, size - done, offset + static_cast<off_t>(done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    done += static_cast<size_t>(count);
  }
  return done;
}

// Reads exactly `size` bytes at `offset`.
bool ReadAt(int file, char* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t count = pread(file, data + done, size - done, offset + static_cast<off_t>(done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

// Where the first line of the file that starts at or after `position`
// begins (`length` when none does). -1 on a read error.
off_t NextLineStart(int file, off_t position, off_t length) {
  if (position == 0) return 0;
  char block[kBlockSize];
  for (off_t at = position - 1; at < length;) {
    const size_t size = static_cast<size_t>(std::min<off_t>(kBlockSize, length - at));
    if (!ReadAt(file, block, size, at)) return -1;
    if (const void* lf = std::memchr(block, '\n', size)) {
      return at + (static_cast<const char*>(lf) - block) + 1;
    }
    at += static_cast<off_t>(size);
  }
  return length;
}

// A blank line of `size` bytes, ended like the log's own lines.
void AppendBlankLine(std::string& text, size_t size) {
  if (size == 0) return;
  if (size > 1) text.append(size - 2, ' ').push_back('\r');
  text.push_back('\n');
}

// A file or link of this user or of root; another user's may have been
// planted to catch or redirect the lines.
bool IsTrustedOwner(uid_t owner) { return owner == geteuid() || owner == 0; }

// Other processes logging to the same file wait here; the lock goes with
// the descriptor. A file system without locks still gets the lines.
void LockFile(int file) {
  while (flock(file, LOCK_EX) != 0 && errno == EINTR) {
  }
}

// The line that tells of `count` lines dropped from a full queue; it is
// the library's own, so no level mask filters it.
std::string LossLine(uint64_t count) {
  char text[96];
  std::snprintf(text, sizeof text, "%llu log lines were lost: the log file could not be written.",
                static_cast<unsigned long long>(count));
  return FormatLogLine(CurrentLocalTime(), QRTL_SUBSYSTEM_QRTL, QRTL_LOG_ALL, QRTL_LOG_ALL, text);
}

// Appends `report` (when not empty) and then the queued lines at `end`, in
// gathered writes straight from the queue, so a long queue is never copied.
// Each piece leaves the queue once it is whole in the file; the report is
// then cleared and the loss counted as told. A write that fails cuts off
// the part of a piece that got out, so no torn line stays.
int32_t AppendLines(int file, off_t end, std::string& report, LogQueue& queue) {
  off_t offset = end;  // just after the last whole piece
  size_t partial = 0;  // bytes of the first pending piece already written
  iovec pieces[kPiecesPerWrite];
  for (;;) {
    const size_t first = report.empty() ? 0 : 1;  // pieces before the queue's
    const size_t pending = first + queue.size();
    if (pending == 0) return QRTL_SUCCESS;
    const size_t count = std::min(pending, kPiecesPerWrite);
    for (size_t i = 0; i < count; ++i) {
      const std::string& piece = i < first ? report : queue[i - first];
      const size_t skip = i == 0 ? partial : 0;
      pieces[i] = {const_cast<char*>(piece.data() + skip), piece.size() - skip};
    }
    const ssize_t written =
        pwritev(file, pieces, static_cast<int>(count), offset + static_cast<off_t>(partial));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (partial > 0) (void)!ftruncate(file, offset);
      return QRTLERR_WRITE_LOG;
    }
    size_t done = partial + static_cast<size_t>(written);
    partial = 0;
    while (done > 0) {
      const size_t size = report.empty() ? queue[0].size() : report.size();
      if (done < size) {
        partial = done;
        break;
      }
      done -= size;
      offset += static_cast<off_t>(size);
      if (report.empty()) {
        queue.PopFront();
      } else {
        report.clear();
        queue.LossTold();
      }
    }
  }
}

}  // namespace

int OpenLogFile(const std::string& path, int32_t& status) {
  status = QRTL_SUCCESS;
  int file = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (file < 0 && errno == ELOOP) {
    struct stat link {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && !IsTrustedOwner(link.st_uid)) {
      status = QRTLERR_UNTRUSTED_LOG_LINK;
      return -1;
    }
    file = open(path.c_str(), O_RDWR | O_CLOEXEC);
  }
  if (file < 0) {
    status = QRTLERR_OPEN_LOG;
    return -1;
  }
  // The file itself, whichever way it was reached, must not be one another
  // user made to catch the lines.
  struct stat opened {};
  if (fstat(file, &opened) != 0 || !IsTrustedOwner(opened.st_uid)) {
    close(file);
    status = QRTLERR_UNTRUSTED_LOG_FILE;
    return -1;
  }
  return file;
}

int32_t TrimLogFile(int file, const TrimThresholds& thresholds) {
  struct stat status {};
  if (fstat(file, &status) != 0) return QRTLERR_WRITE_LOG;
  const off_t length = status.st_size;
  if (length <= thresholds.upper) return QRTL_SUCCESS;

  // The last `lower` bytes; the kept lines are those after their first LF.
  std::string kept;
  try {
    kept.resize(static_cast<size_t>(thresholds.lower));
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  if (!ReadAt(file, kept.data(), kept.size(), length - thresholds.lower)) return QRTLERR_WRITE_LOG;
  const size_t lf = kept.find('\n');
  kept.erase(0, lf == std::string::npos ? kept.size() : lf + 1);

  const auto keptLength = static_cast<off_t>(kept.size());
  const off_t oldLineStart = NextLineStart(file, keptLength, length);
  if (oldLineStart < 0) return QRTLERR_WRITE_LOG;
  try {
    AppendBlankLine(kept, static_cast<size_t>(oldLineStart - keptLength));
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  const size_t written = WriteAt(file, kept.data(), kept.size(), 0);
  if (written < kept.size()) {
    // The front now holds part of the kept lines: cut after the last whole
    // one, so that no torn line stays.
    const size_t lastLf = written == 0 ? std::string::npos : kept.rfind('\n', written - 1);
    if (written > 0) {
      (void)!ftruncate(file, lastLf == std::string::npos ? 0 : static_cast<off_t>(lastLf + 1));
    }
    return QRTLERR_WRITE_LOG;
  }
  return ftruncate(file, keptLength) == 0 ? QRTL_SUCCESS : QRTLERR_WRITE_LOG;
}

int32_t FlushLogQueue(const std::string& path, LogQueue& queue, const TrimThresholds& thresholds) {
  if (queue.empty()) return QRTL_SUCCESS;
  int32_t opened = QRTL_SUCCESS;
  const Descriptor file(OpenLogFile(path, opened));
  if (file.get() < 0) return opened;
  LockFile(file.get());
  TrimLogFile(file.get(), thresholds);
  std::string report;
  try {
    if (queue.dropped() > 0) report = LossLine(queue.dropped());
  } catch (const std::bad_alloc&) {
    return QRTLERR_NOMEM;
  }
  const off_t end = lseek(file.get(), 0, SEEK_END);
  if (end < 0) return QRTLERR_WRITE_LOG;
  const int32_t appended = AppendLines(file.get(), end, report, queue);
  if (appended != QRTL_SUCCESS) return appended;
  TrimLogFile(file.get(), thresholds);
  return QRTL_SUCCESS;
}

}  // namespace tessel::qrtl
