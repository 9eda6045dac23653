// Appending queued lines to the log file and keeping the file small.
//
// The file is changed in place, never replaced: it stays the same file, so
// links to it keep working, and the folder it lies in need not be writable.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "log_queue.h"

namespace tessel::qrtl {

// Once the file is longer than `upper` bytes it is cut to the whole lines
// among its last `lower` bytes.
struct TrimThresholds {
  long upper;
  long lower;
};

// Opens the existing log at `path` for reading and writing. A symbolic link
// is followed only when it belongs to this user or to root (as the kernel's
// protected_symlinks does in sticky folders); another user's link gives
// QRTLERR_UNTRUSTED_LOG_LINK, a file of another user (however reached)
// QRTLERR_UNTRUSTED_LOG_FILE, any other failure QRTLERR_OPEN_LOG. The
// descriptor, or -1 with `status` set.
int OpenLogFile(const std::string& path, int32_t& status);

// After a failed flush the next flushes wait: none is tried before a pause
// that doubles from kFirstPauseMs to at most kLongestPauseMs has passed on
// the tick counter, so a writer that keeps logging to a full disk costs
// neither an open nor a write per line. The lines stay queued meanwhile.
class FlushBackoff {
 public:
  static constexpr uint32_t kFirstPauseMs = 10;
  static constexpr uint32_t kLongestPauseMs = 1000;

  bool Due(uint32_t now) const { return pauseMs_ == 0 || now - failedAt_ >= pauseMs_; }
  void Failed(uint32_t now) {
    failedAt_ = now;
    pauseMs_ = pauseMs_ == 0 ? kFirstPauseMs : std::min(2 * pauseMs_, kLongestPauseMs);
  }
  void Succeeded() { pauseMs_ = 0; }

 private:
  uint32_t failedAt_ = 0;
  uint32_t pauseMs_ = 0;
};

// Appends the queued lines in order to the existing file at `path`
// (opened as OpenLogFile does), removing those written from the queue;
// when the queue dropped lines, a line saying how many goes first. A
// file already over the upper threshold is trimmed first, so that a full
// disk gets its room back, and the file is trimmed again afterwards.
// The file is locked against other processes meanwhile. The lines that
// could not be written stay queued and no part of them is left in the file.
// QRTL status of the lines' writing: a trim that fails leaves the file
// longer for the next flush to trim, and is no failure of the lines.
int32_t FlushLogQueue(const std::string& path, LogQueue& queue, const TrimThresholds& thresholds);

// Trims the open log `file`: the kept lines move to its front, then the
// file is cut behind them. Until the cut, a blank line covers the rest of
// the old line the kept ones end in, so a crash at any step leaves whole
// lines only (at worst a blank line and old lines after the kept ones).
// QRTL status; QRTLERR_NOMEM leaves the file unchanged.
int32_t TrimLogFile(int file, const TrimThresholds& thresholds);

}  // namespace tessel::qrtl
