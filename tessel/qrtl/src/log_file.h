// Appending queued lines to the log file and keeping the file small.
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

// Appends the queued lines in order to the existing file at `path`, removing
// those written from the queue, then trims the file. The lines that could
// not be written stay queued. QRTL status.
int32_t FlushLogQueue(const std::string& path, std::deque<std::string>& queue,
                      const TrimThresholds& thresholds);

// Trims the file at `path`: the kept lines go to a new file beside it, which
// then replaces the old one, so a crash half-way leaves the old file whole.
// QRTL status; on failure the file is unchanged.
int32_t TrimLogFile(const std::string& path, const TrimThresholds& thresholds);

}  // namespace tessel::qrtl
