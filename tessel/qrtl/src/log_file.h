// Appending queued lines to the log file and keeping the file small.
//
// The file is changed in place, never replaced: it stays the same file, so
// links to it keep working, and the folder it lies in need not be writable.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace tessel::qrtl {

// Once the file is longer than `upper` bytes it is cut to the whole lines
// among its last `lower` bytes.
struct TrimThresholds {
  long upper;
  long lower;
};

// Appends the queued lines in order to the existing file at `path` (a link
// is followed), removing those written from the queue, then trims the file.
// The file is locked against other processes meanwhile. The lines that
// could not be written stay queued and no part of them is left in the file.
// QRTL status of the lines' writing: a trim that fails leaves the file
// longer for the next flush to trim, and is no failure of the lines.
int32_t FlushLogQueue(const std::string& path, std::deque<std::string>& queue,
                      const TrimThresholds& thresholds);

// Trims the open log `file`: the kept lines move to its front, then the
// file is cut behind them. Until the cut, a blank line covers the rest of
// the old line the kept ones end in, so a crash at any step leaves whole
// lines only (at worst a blank line and old lines after the kept ones).
// QRTL status; QRTLERR_NOMEM leaves the file unchanged.
int32_t TrimLogFile(int file, const TrimThresholds& thresholds);

}  // namespace tessel::qrtl
